#include "agenda/ui/decorativestrip.h"

#include "common/icons.h"
#include "common/units.h"

#include <QPainter>

namespace quindara {

DecorativeStrip::DecorativeStrip(const QString& name, int widthTwips, QWidget* page) : QWidget(page) {
    setObjectName(name);
    setGeometry(common::twipsRect(120, 240, widthTwips, 7935));
}

void DecorativeStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       common::iconPixmap(QStringLiteral("decorative-strip"), size(), devicePixelRatioF(),
                                          common::IconFit::FillSize));
}

} // namespace quindara
