#include "calculator/ui/calculatorwindow.h"

#include "common/units.h"

#include <QPalette>

namespace tallimo {

CalculatorWindow::CalculatorWindow(const QString& programFolder, const common::Clock& clock,
                                   common::DesktopServices& desktop, QWidget* parent)
    : QWidget(parent), folder_(programFolder), clock_(clock), desktop_(desktop) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("TALLIMO 1.2"));
    setFixedSize(common::twipsSize(9585, 6015));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, common::bgrColor(0x0080C0FF));
    setPalette(palette);
    setAutoFillBackground(true);
    Form_Load();
}

void CalculatorWindow::Form_Load() {
    folder_.createMissingFolders();
}

} // namespace tallimo
