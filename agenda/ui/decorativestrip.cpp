// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/decorativestrip.h"

#include "common/ui/icons.h"
#include "common/units.h"

#include <QPainter>

namespace quindara {

DecorativeStrip::DecorativeStrip(const QString& name, int widthTwips, QWidget* page) : QWidget(page) {
    setObjectName(name);
    setGeometry(common::twipsRect(120, 240, widthTwips, 7935));
}

void DecorativeStrip::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    if (picture_.isNull() || picture_.deviceIndependentSize() != QSizeF(size()) ||
        picture_.devicePixelRatio() != ratio)
        picture_ =
            common::iconPixmap(QStringLiteral("decorative-strip"), size(), ratio, common::IconFit::FillSize);
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

} // namespace quindara
