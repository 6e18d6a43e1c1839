#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <optional>

namespace common {

// Every button picture of both programs, one value per subject. Windows ask for a subject, never a path.
enum class Icon {
    // Agenda main window
    Calculator,      // pocket calculator: starts the calculator
    Clipboard,       // clipboard: notes pad tab, and copy in the saved logs window
    People,          // group of people: address book tab
    Notepad,         // spiral notepad: text pad, and the text editor in the saved logs window
    DownArrowGreen,  // green downward arrow: minimize
    CloseRedSquare,  // red square with a blue cross: save and exit
    YearCalendar,    // small twelve-month calendar: opens the year overview
    DecorativeStrip, // narrow vertical strip at the left edge of three pages
    YearUp,          // small arrows beside the year caption
    YearDown,
    PaperClip, // attach a file
    // Year overview
    OverviewUp,
    OverviewDown,
    OverviewClose, // red circle with a white cross
    // Calculator operations, in the order of their codes 0 to 11
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
    // Calculator window
    Undo,       // curved arrow turning back on itself: delete the last character
    WrittenSum, // one plus one over a rule, two: plain number format
    LogCamera,  // camera, printing tape and notebook: write the operation log
    Eraser,     // empty the previous results, and delete a saved log
    BlueUp,     // long arrows of the tape's scroll buttons
    BlueDown,
    // Saved logs window
    Camera,
    Printer,
    TextSize, // three digits in growing sizes
    // Agenda main window, added later
    Magnifier, // magnifying glass: the search page
    Exchange,  // two opposite arrows over a calendar sheet: import and export
};

inline constexpr int kOperationCount = 12;

QList<Icon> allIcons();

// Resource path of the drawing, ":/icons/<name>.svg".
QString iconResource(Icon icon);

// The operation icon of a calculator operation code, nothing for a code outside 0..11.
std::optional<Icon> operationIcon(int code);

// The drawing rendered into a transparent pixmap of exactly `size` device-independent pixels, centred and
// keeping its proportions (the decorative strip fills the whole size). Needs a QGuiApplication.
QPixmap iconPixmap(Icon icon, QSize size, qreal devicePixelRatio = 1.0);

// An icon that renders the drawing afresh at whatever size a button asks for.
QIcon iconFor(Icon icon);

} // namespace common
