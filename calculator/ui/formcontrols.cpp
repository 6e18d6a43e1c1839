// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/ui/formcontrols.h"

#include <QLabel>
#include <QPushButton>

namespace tallimo {

QPushButton* makeKey(QWidget* parent, const QString& name, const QRect& twipsPlace,
                     std::optional<quint32> backColour, const QString& caption, const QFont& font) {
    // The keys' colours tell the kinds of key apart; the platform style would wash them out.
    common::ColourButton* key = common::makeButton(parent, name, twipsPlace, caption);
    // Tab reaches the key; a click leaves the focus where it was.
    key->setFocusPolicy(Qt::TabFocus);
    key->setFont(font);
    if (backColour)
        setBackColour(key, *backColour);
    return key;
}

QLabel* makeTextLabel(QWidget* parent, const QString& name, const QRect& twipsPlace, const QFont& font,
                      Qt::Alignment alignment) {
    QLabel* label = common::makeLabel(parent, name, twipsPlace);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

} // namespace tallimo
