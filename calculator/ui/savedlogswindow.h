#pragma once

#include "calculator/core/calculatorfolder.h"
#include "common/clock.h"
#include "common/desktopservices.h"

#include <QDialog>

namespace tallimo {

// The saved operations browser (Form2), shown modally over the calculator window.
class SavedLogsWindow : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SavedLogsWindow)

public:
    SavedLogsWindow(const QString& programFolder, const common::Clock& clock,
                    common::DesktopServices& desktop, QWidget* parent = nullptr);

private:
    void Form_Load();

    CalculatorFolder folder_;
    const common::Clock& clock_;
    common::DesktopServices& desktop_;
};

} // namespace tallimo
