// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/calendar/calendar.h"

#include <QDate>

namespace quindara {

int MonthLayout::dayOnButton(int index) const {
    const int day = index - firstIndex + 1;
    return day >= 1 && day <= daysInMonth ? day : 0;
}

MonthLayout monthLayout(int year, int month) {
    const QDate first(year, month, 1);
    if (!first.isValid())
        return {};
    return {year, month, first.dayOfWeek() - 1, first.daysInMonth()};
}

int janFirstWeekday(int year) {
    return QDate(year, 1, 1).dayOfWeek() - 1;
}

bool isWeekendColumn(int column) {
    return column % kGridColumns >= 5;
}

bool isListedYear(int year) {
    return year >= kFirstYear && year <= kLastYear;
}

QStringList listedYears() {
    QStringList years;
    years.reserve(kLastYear - kFirstYear + 1);
    for (int year = kFirstYear; year <= kLastYear; ++year)
        years.append(QString::number(year));
    return years;
}

TodayOnGrid todayOnGrid(const QDate& today) {
    if (today.year() > kLastYear)
        return {kLastYear, 12, 0};
    if (!isListedYear(today.year()))
        return {kFirstYear, 1, 0};
    return {today.year(), today.month(), today.day()};
}

std::optional<int> steppedYear(int year, int step) {
    const int stepped = year + step;
    if (!isListedYear(stepped))
        return std::nullopt;
    return stepped;
}

} // namespace quindara
