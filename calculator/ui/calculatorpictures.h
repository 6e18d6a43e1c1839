// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QList>
#include <QString>

class QAbstractButton;

namespace tallimo {

// Every picture the calculator shows, one value per subject. Windows ask for a subject, never a drawing.
enum class Picture {
    Calculator, // pocket calculator: the window's icon
    Backspace,  // curved arrow turning back on itself: delete the last character
    WrittenSum, // one plus one over a rule, two: plain number format
    LogCamera,  // camera, printing tape and notebook: write the operation log
    Eraser,     // empty the previous results, and delete a saved log
    BlueUp,     // long arrows of the tape's scroll buttons
    BlueDown,
    // Saved logs window
    Camera,
    Printer,
    Notepad,
    Clipboard,
    TextSize, // three digits in growing sizes
    // The operations, in the order of their codes 0 to 11
    OpAdd,
    OpSubtract,
    OpMultiply,
    OpDivide,
    OpPower,
    OpPercent,
    OpSquareRoot,
    OpReciprocal,
    OpRoot,
    OpRemainder,
    OpQuotient,
    OpFactorial,
};

QList<Picture> allPictures();
// Name of the drawing a picture shows.
QString drawingName(Picture picture);
QIcon pictureIcon(Picture picture);

// The picture of operation `code`, as the hidden Image1 array held it; addition for a code outside 0..11.
Picture operationPicture(int code);

// What a screen reader calls operation `code`: "suma", "resta"...; empty for a code outside 0..11.
QString operationName(int code);

// Puts the drawing on a key, sized to fit inside its bevel.
void setPicture(QAbstractButton& button, Picture picture);

} // namespace tallimo
