#include "agenda/ui/agendawindow.h"

#include "common/units.h"

namespace quindara {

AgendaWindow::AgendaWindow(const QString& programFolder, const common::Clock& clock,
                           common::DesktopServices& desktop, QWidget* parent)
    : QWidget(parent), data_(programFolder), clock_(clock), desktop_(desktop) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("QUINDARA"));
    setFixedSize(common::twipsSize(13890, 9405));
    Form_Load();
}

void AgendaWindow::Form_Load() {
    data_.createMissingFolders();
}

} // namespace quindara
