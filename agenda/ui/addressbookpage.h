#pragma once

#include "agenda/core/datafolder.h"
#include "common/desktopservices.h"

#include <QFrame>

namespace quindara {

// The address-book page (Frame1(5)) of the main window.
class AddressBookPage : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddressBookPage)

public:
    AddressBookPage(const DataFolder& data, common::DesktopServices& desktop, QWidget* parent = nullptr);

    // Start-up: points the folder list at "direcciones" and fills Combo3 with its categories.
    void loadCategories();

private:
    DataFolder data_;
    common::DesktopServices& desktop_;
};

} // namespace quindara
