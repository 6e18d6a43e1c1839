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
        const int frame =
            edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit) : 0;
        // The line edit keeps two pixels each side besides its frame and margins.
        const QMargins margins = edit->textMargins();
        const int room = edit->contentsRect().width() - 2 * frame - 4 - margins.left() - margins.right();
        const QFont font = fittingFont(base, text, room);
        if (edit->font() != font)
            edit->setFont(font);
        if (QFontMetrics(font).horizontalAdvance(text) > room)
            edit->setCursorPosition(0);
    });
}

} // namespace tallimo
