#include "agenda/ui/yearoverviewwindow.h"

#include "common/units.h"

namespace quindara {

YearOverviewWindow::YearOverviewWindow(const DataFolder& data, int mainWindowYear, QWidget* parent)
    : QWidget(parent, Qt::Window), data_(data), mainWindowYear_(mainWindowYear) {
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    Form_Load();
}

void YearOverviewWindow::Form_Load() {}

} // namespace quindara
