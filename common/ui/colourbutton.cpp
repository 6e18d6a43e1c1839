#include "common/ui/colourbutton.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <qdrawutil.h>

namespace common {

void ColourButton::setBackColour(const QColor& colour) {
    if (backColour_ == colour)
        return;
    backColour_ = colour;
    update();
}

void ColourButton::paintEvent(QPaintEvent*) {
    const QBrush face(backColour());
    QPainter painter(this);
    const QPalette& colours = palette();
    const bool sunken = isDown() || isChecked();
    // A dark outline keeps a white button visible on a white window.
    painter.setPen(colours.color(QPalette::Shadow));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    qDrawWinButton(&painter, rect().adjusted(1, 1, -1, -1), colours, sunken, &face);

    QRect inside = rect().adjusted(3, 3, -3, -3);
    if (sunken)
        inside.translate(1, 1);
    if (!icon().isNull()) {
        // The drawings are made to sit an eighth of the button's shorter side inside its edge.
        const int margin =
            pictureMargin_ >= 0 ? pictureMargin_ : std::max(2, std::min(width(), height()) / 8);
        QRect picture = rect().adjusted(margin, margin, -margin, -margin);
        if (sunken)
            picture.translate(1, 1);
        const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
        icon().paint(&painter, picture, Qt::AlignCenter, mode);
    }
    if (!text().isEmpty()) {
        painter.setPen(
            colours.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(inside, Qt::AlignCenter | Qt::TextWordWrap, text());
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = inside;
        focus.backgroundColor = face.color();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

} // namespace common
