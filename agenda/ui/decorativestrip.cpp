#include "agenda/ui/decorativestrip.h"

#include "common/units.h"

#include <QLinearGradient>
#include <QPainter>

namespace quindara {

DecorativeStrip::DecorativeStrip(const QString& name, int widthTwips, QWidget* page) : QWidget(page) {
    setObjectName(name);
    setGeometry(common::twipsRect(120, 240, widthTwips, 7935));
}

void DecorativeStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient cover(0, 0, width(), 0);
    cover.setColorAt(0, QColor(0x1f, 0x4e, 0x79));
    cover.setColorAt(1, QColor(0x4f, 0x8f, 0xc0));
    painter.fillRect(rect(), cover);

    const int pitch = 24;
    const qreal ring = width() * 0.28;
    painter.setPen(QPen(QColor(0xd8, 0xd8, 0xd8), 2.5));
    for (int y = pitch / 2; y < height(); y += pitch) {
        painter.setBrush(QColor(0x10, 0x20, 0x30));
        painter.drawEllipse(QPointF(width() * 0.7, y), ring * 0.45, ring * 0.45);
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(width() * 0.12, y - ring * 0.6, width() * 0.62, ring * 1.2), 0, 180 * 16);
    }
}

} // namespace quindara
