// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/colourbutton.h"

#include <QPainter>
#include <QPixmapCache>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace common {

// The button paints every one of its pixels, so Qt need not paint the window beneath it first.
ColourButton::ColourButton(QWidget* parent) : QPushButton(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ColourButton::ColourButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ColourButton::setBackColour(const QColor& colour) {
    if (backColour_ == colour)
        return;
    backColour_ = colour;
    update();
}

namespace {

// A dark outline (it keeps a white button visible on a white window), then the classic two bevels of light
// and shadow, raised or sunken, then the face. Only filled rectangles: the painter's line drawing cost more
// than all the rest of a button.
void paintEdges(QPainter& painter, QSize size, const QPalette& colours, bool sunken, const QBrush& face) {
    const QColor& shadow = colours.color(QPalette::Shadow);
    const int width = size.width();
    const int height = size.height();
    if (width < 1 || height < 1)
        return;
    painter.fillRect(0, 0, width, 1, shadow);
    painter.fillRect(0, height - 1, width, 1, shadow);
    painter.fillRect(0, 0, 1, height, shadow);
    painter.fillRect(width - 1, 0, 1, height, shadow);

    const int x = 1;
    const int y = 1;
    const int w = width - 2;
    const int h = height - 2;
    if (w < 2 || h < 2)
        return;
    // Outer top-left, outer bottom-right, inner top-left, inner bottom-right.
    const QColor& light = colours.color(QPalette::Light);
    const QColor& dark = colours.color(QPalette::Dark);
    const QColor& button = colours.color(QPalette::Button);
    const QColor& outerLeading = sunken ? shadow : light;
    const QColor& outerTrailing = sunken ? light : shadow;
    const QColor& innerLeading = sunken ? dark : button;
    const QColor& innerTrailing = sunken ? button : dark;
    painter.fillRect(x, y, 1, h - 1, outerLeading);
    painter.fillRect(x, y, w - 1, 1, outerLeading);
    painter.fillRect(x, y + h - 1, w, 1, outerTrailing);
    painter.fillRect(x + w - 1, y, 1, h, outerTrailing);
    if (w <= 4 || h <= 4)
        return;
    painter.fillRect(x + 1, y + 1, 1, h - 3, innerLeading);
    painter.fillRect(x + 1, y + 1, w - 3, 1, innerLeading);
    painter.fillRect(x + 1, y + h - 2, w - 2, 1, innerTrailing);
    painter.fillRect(x + w - 2, y + 1, 1, h - 2, innerTrailing);
    painter.fillRect(x + 2, y + 2, w - 4, h - 4, face);
}

} // namespace

void ColourButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool sunken = isDown() || isChecked();
    if (icon().isNull())
        painter.drawPixmap(0, 0, keptPicture(sunken));
    else
        paintPicture(painter, sunken);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = textRect(sunken);
        focus.backgroundColor = backColour();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

QRect ColourButton::textRect(bool sunken) const {
    QRect inside = rect().adjusted(3, 3, -3, -3);
    if (sunken)
        inside.translate(1, 1);
    return inside;
}

// The drawings are made to sit an eighth of the button's shorter side inside its edge.
int ColourButton::pictureMargin() const {
    return pictureMargin_ >= 0 ? pictureMargin_ : std::max(2, std::min(width(), height()) / 8);
}

QColor ColourButton::textColour() const {
    return palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
}

void ColourButton::paintPicture(QPainter& painter, bool sunken) const {
    paintEdges(painter, size(), palette(), sunken, QBrush(backColour()));
    if (!icon().isNull()) {
        const int margin = pictureMargin();
        QRect picture = rect().adjusted(margin, margin, -margin, -margin);
        if (sunken)
            picture.translate(1, 1);
        const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
        icon().paint(&painter, picture, Qt::AlignCenter, mode);
    }
    if (!text().isEmpty()) {
        painter.setPen(textColour());
        painter.drawText(textRect(sunken), Qt::AlignCenter | Qt::TextWordWrap, text());
    }
}

// A button without a drawing looks the same wherever its size, colours, font and text are the same: the
// year overview repaints four hundred day buttons per step, nearly all of them a number and a colour it
// has painted before, and copying a kept picture costs a fraction of laying out and drawing the text.
QPixmap ColourButton::keptPicture(bool sunken) const {
    const QPalette& colours = palette();
    const qreal ratio = devicePixelRatioF();
    QString key = QStringLiteral("colourbutton:");
    for (const QRgb value : {backColour().rgba(), textColour().rgba(), colours.color(QPalette::Shadow).rgba(),
                             colours.color(QPalette::Light).rgba(), colours.color(QPalette::Dark).rgba(),
                             colours.color(QPalette::Button).rgba()})
        key += QString::number(value, 16) + u',';
    key += QString::number(width()) + u'x' + QString::number(height()) + u'@' + QString::number(ratio) +
           (sunken ? u'v' : u'^') + font().key() + u':' + text();
    QPixmap picture;
    if (QPixmapCache::find(key, &picture))
        return picture;
    picture = QPixmap((QSizeF(size()) * ratio).toSize());
    picture.setDevicePixelRatio(ratio);
    picture.fill(backColour());
    QPainter painter(&picture);
    painter.setFont(font());
    paintPicture(painter, sunken);
    painter.end();
    QPixmapCache::insert(key, picture);
    return picture;
}

} // namespace common
