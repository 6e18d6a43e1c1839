#include "calculator/ui/savedlogswindow.h"

namespace tallimo {

SavedLogsWindow::SavedLogsWindow(const QString& programFolder, const common::Clock& clock,
                                 common::DesktopServices& desktop, QWidget* parent)
    : QDialog(parent), folder_(programFolder), clock_(clock), desktop_(desktop) {
    setObjectName(QStringLiteral("Form2"));
    Form_Load();
}

void SavedLogsWindow::Form_Load() {}

} // namespace tallimo
