// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/ui/controls.h"

class QAbstractButton;
class QDate;
class QLabel;
class QWidget;

namespace quindara {

struct DayMarkSet;

// The control helpers both programs share.
using common::arialFont;
using common::backColour;
using common::ColourButton;
using common::elementName;
using common::kMagenta;
using common::kWhite;
using common::makeButton;
using common::makeLabel;
using common::nameClearButton;
using common::nameComboBox;
using common::setBackColour;
using common::setForeColour;

// One weekday heading above a grid column, Monday first: "L", "M", "Mi", "J", "V", "S", "D", the weekend
// in magenta.
QLabel* makeWeekdayInitial(QWidget* parent, const QString& name, const QRect& twipsPlace, int column);

// A date as a screen reader says it: "lunes 8 de diciembre".
QString spokenDay(const QDate& date);
// What a screen reader says of a day button: its date and its marks, the holiday by its name when one is
// given: "lunes 8 de diciembre, festivo: Inmaculada Concepción, recordatorio de todos los años". A
// conflict copy waiting to be merged is said last.
QString dayButtonName(const QDate& date, const DayMarkSet& marks, const QString& holidayName, bool conflict);

// Shows or hides the sign of a day with a conflict copy on its day button: a small red corner at the top
// right, clear of the day number, that lets clicks through. The button's colour stays. Made on first use.
void showConflictSign(QAbstractButton* dayButton, bool shown);

// What a picture button shows.
enum class Picture {
    Calculator,
    Clipboard,
    People,
    SpiralNotepad,
    Minimize,
    Exit,
    YearCalendar,
    ArrowUp,
    ArrowDown,
    AttachThisYear,
    AttachEveryYear,
    OverviewUp,
    OverviewDown,
    OverviewClose,
    Magnifier,
    Exchange,
    // The tool row's server sync indicator, one drawing per state.
    SyncDone,
    SyncRunning,
    SyncOffline,
    SyncAttention,
};

inline constexpr int kPictureCount = int(Picture::SyncAttention) + 1;
// Name of the drawing a picture shows.
QString drawingName(Picture picture);

// Every button picture of the agenda goes through here: the shared drawing, and a tooltip and an accessible
// name saying what the button is for.
void setPicture(QAbstractButton* button, Picture picture);

} // namespace quindara
