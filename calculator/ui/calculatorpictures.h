#pragma once

#include <QPixmap>
#include <QSize>

class QAbstractButton;

namespace tallimo {

// Subjects of the calculator's button pictures.
enum class Picture {
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
    Undo,       // curved arrow turning back on itself
    ScrollUp,   // blue arrow up
    ScrollDown, // blue arrow down
    LogCamera,  // camera, printing tape and notebook
    Eraser,
    WrittenSum, // one plus one over a rule, two
};

// The picture of operation `code` (what the hidden Image1 array held).
Picture operationPicture(int code);

// Puts the picture on the button, sized to fit inside it; a short text stands in while no drawing
// exists for the subject.
void setPicture(QAbstractButton& button, Picture picture);

} // namespace tallimo
