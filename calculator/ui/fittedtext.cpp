// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/ui/fittedtext.h"

#include "common/units.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>

namespace tallimo {

namespace {

constexpr qreal kSmallestPoints = 6;

// The largest font from `base` down in which `text` fits `room` pixels, or the smallest one.
QFont fittingFont(const QFont& base, const QString& text, int room) {
    QFont font = base;
    while (QFontMetrics(font).horizontalAdvance(text) > room && font.pointSizeF() > kSmallestPoints)
        font.setPointSizeF(std::max(kSmallestPoints, font.pointSizeF() - 0.5));
    return font;
}

// The pixels a line edit has for its text, inside its frame, margins and the two pixels it keeps each side.
int textRoom(const QLineEdit* edit) {
    const int frame =
        edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit) : 0;
    const QMargins margins = edit->textMargins();
    return edit->contentsRect().width() - 2 * frame - 4 - margins.left() - margins.right();
}

} // namespace

FittedLabel::FittedLabel(QWidget* parent, const QString& name, const QRect& twipsPlace, const QFont& font)
    : QLabel(parent), font_(font) {
    setObjectName(name);
    setGeometry(common::twipsRect(twipsPlace.x(), twipsPlace.y(), twipsPlace.width(), twipsPlace.height()));
    setFont(font);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void FittedLabel::setValueText(const QString& text) {
    value_ = text;
    const int room = contentsRect().width() - 2 * margin();
    const QFont font = fittingFont(font_, text, room);
    if (this->font() != font)
        setFont(font);
    const QFontMetrics metrics(font);
    const bool fits = metrics.horizontalAdvance(text) <= room;
    setText(fits ? text : metrics.elidedText(text, Qt::ElideMiddle, room));
    setToolTip(fits ? QString() : text);
}

void keepValueFitted(QLineEdit* edit) {
    const QFont base = edit->font();
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, base](const QString& text) {
        const int room = textRoom(edit);
        const QFont font = fittingFont(base, text, room);
        if (edit->font() != font)
            edit->setFont(font);
        if (QFontMetrics(font).horizontalAdvance(text) > room)
            edit->setCursorPosition(0);
    });
}

void showFittedValue(QLineEdit* edit, const QString& value, const QFont& base) {
    const int room = textRoom(edit);
    const QFont font = fittingFont(base, value, room);
    if (edit->font() != font)
        edit->setFont(font);
    const QFontMetrics metrics(font);
    const bool fits = metrics.horizontalAdvance(value) <= room;
    edit->setText(fits ? value : metrics.elidedText(value, Qt::ElideMiddle, room));
    edit->setToolTip(fits ? QString() : value);
}

} // namespace tallimo
