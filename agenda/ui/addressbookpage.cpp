#include "agenda/ui/addressbookpage.h"

namespace quindara {

AddressBookPage::AddressBookPage(const DataFolder& data, common::DesktopServices& desktop, QWidget* parent)
    : QFrame(parent), data_(data), desktop_(desktop) {
    setObjectName(QStringLiteral("Frame1_5"));
}

void AddressBookPage::loadCategories() {}

} // namespace quindara
