#pragma once

#include "calculator/core/calculatorfolder.h"
#include "common/clock.h"
#include "common/desktopservices.h"

#include <QWidget>

namespace tallimo {

// The calculator window (Form1).
class CalculatorWindow : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CalculatorWindow)

public:
    CalculatorWindow(const QString& programFolder, const common::Clock& clock,
                     common::DesktopServices& desktop, QWidget* parent = nullptr);

private:
    void Form_Load();

    CalculatorFolder folder_;
    const common::Clock& clock_;
    common::DesktopServices& desktop_;
};

} // namespace tallimo
