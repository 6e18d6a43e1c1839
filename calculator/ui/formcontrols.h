// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/ui/controls.h"

#include <QFont>
#include <QRect>
#include <QString>

#include <optional>

class QLabel;
class QPushButton;
class QWidget;

namespace tallimo {

// The control helpers both programs share.
using common::arialFont;
using common::elementName;
using common::kWhite;
using common::setBackColour;
using common::setForeColour;

// A key at a place given in twips, reached by Tab; the window handles every other key. Without a back colour
// it shows the toolkit's face colour.
QPushButton* makeKey(QWidget* parent, const QString& name, const QRect& twipsPlace,
                     std::optional<quint32> backColour, const QString& caption = QString(),
                     const QFont& font = QFont());
// A label in `font`, its text vertically centred and aligned by `alignment`.
QLabel* makeTextLabel(QWidget* parent, const QString& name, const QRect& twipsPlace, const QFont& font,
                      Qt::Alignment alignment);

} // namespace tallimo
