// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QStringList>

#include <optional>

namespace quindara {

inline constexpr int kFirstYear = 1901;
inline constexpr int kLastYear = 2100;
inline constexpr int kGridButtons = 42;
inline constexpr int kGridColumns = 7;

// Where a month sits on a six-row, Monday-first grid of 42 buttons (real Gregorian calendar).
struct MonthLayout {
    int year = 0;
    int month = 0;       // 1 to 12
    int firstIndex = 0;  // button of day 1, 0 to 6
    int daysInMonth = 0; // 28 to 31

    int buttonOfDay(int day) const { return firstIndex + day - 1; }
    // Day shown on a button, or 0 for a hidden button.
    int dayOnButton(int index) const;
    int lastIndex() const { return firstIndex + daysInMonth - 1; }
};

MonthLayout monthLayout(int year, int month);
// Column of 1 January, Monday = 0.
int janFirstWeekday(int year);
bool isWeekendColumn(int column);
bool isListedYear(int year);
// The years of the year selector, ascending, as text.
QStringList listedYears();
// Where the grid opens for the clock's date: today itself, or, with the clock outside the listed years,
// the nearest listed month (January 1901 or December 2100) and no day (day 0).
struct TodayOnGrid {
    int year = kFirstYear;
    int month = 1;
    int day = 0;
};
TodayOnGrid todayOnGrid(const QDate& today);
// `year` moved by `step`, or nothing when that leaves the listed years.
std::optional<int> steppedYear(int year, int step);

} // namespace quindara
