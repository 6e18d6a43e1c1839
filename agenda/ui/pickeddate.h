#pragma once

#include <QString>

namespace quindara {

// A date picked in the year overview, handed to the main window, which applies and clears it.
struct PickedDate {
    bool DatePicked = false;
    int PickedDay = 0;
    QString PickedMonthName;
    int PickedYear = 0;
};

// Program-wide, as the year overview and the main window are separate windows of one program.
PickedDate& pickedDate();

} // namespace quindara
