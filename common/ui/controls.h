// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/ui/colourbutton.h"

#include <QRect>
#include <QString>
#include <QStringView>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QFont;
class QIcon;
class QLabel;
class QWidget;

namespace common {

// Colours are written as 0x00BBGGRR throughout both programs, red in the lowest byte.
inline constexpr quint32 kWhite = 0x00FFFFFF;
inline constexpr quint32 kMagenta = 0x00FF00FF;

// Object name of one element of a control array: "Command1_5".
QString elementName(const QString& array, int index);

QFont arialFont(qreal points, bool bold = false);

// Back colour of a control, on the face each kind paints: a ColourButton's own face, the button role of
// other buttons and combo boxes, the base of lists and edit boxes, the window role of everything else.
void setBackColour(QWidget* control, quint32 colour);
quint32 backColour(const QWidget* control);
// Text colour of labels, buttons and edit boxes.
void setForeColour(QWidget* control, quint32 colour);

// A ColourButton at a place given in twips.
ColourButton* makeButton(QWidget* parent, const QString& name, const QRect& twipsPlace,
                         const QString& caption = QString());
// A label with a transparent background at a place given in twips.
QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& twipsPlace,
                  const QString& caption = QString());

// The accessible name of a combo box, also given to its list and to its edit box (when it has one), which
// a screen reader reaches on their own.
void nameComboBox(QComboBox* combo, const QString& name);
// Names the clear button Qt puts in a line edit (setClearButtonEnabled).
void nameClearButton(QLineEdit* box);

// Puts a drawing on a picture button in place of its caption. A margin of -1 lets a ColourButton keep its
// own room around the drawing; otherwise the drawing sits `margin` pixels inside the edge.
void setPicture(QAbstractButton* button, const QIcon& picture, int margin = -1);

} // namespace common
