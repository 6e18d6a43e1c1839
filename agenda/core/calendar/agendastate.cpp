// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/calendar/agendastate.h"

#include "agenda/core/calendar/calendar.h"

namespace quindara {

AgendaState::AgendaState(const QDate& today) : today_(today) {
    goToToday();
}

bool AgendaState::todayIsListed() const {
    return today_.isValid() && isListedYear(today_.year());
}

bool AgendaState::showMonth(int year, int month) {
    if (!isListedYear(year) || month < 1 || month > 12)
        return false;
    year_ = year;
    month_ = month;
    selected_ = QDate();
    return true;
}

bool AgendaState::canStepYear(int step) const {
    return steppedYear(year_, step).has_value();
}

bool AgendaState::stepYear(int step) {
    const auto year = steppedYear(year_, step);
    return year && showMonth(*year, month_);
}

bool AgendaState::selectDay(int day) {
    const QDate date(year_, month_, day);
    if (!date.isValid())
        return false;
    selected_ = date;
    lastShown_ = date;
    return true;
}

void AgendaState::goToToday() {
    // A clock outside the listed years shows the nearest month, with no false "today" selected.
    const TodayOnGrid onGrid = todayOnGrid(today_);
    showMonth(onGrid.year, onGrid.month);
    if (onGrid.day != 0)
        selectDay(onGrid.day);
}

bool AgendaState::goToDate(const QDate& date) {
    if (!date.isValid() || !showMonth(date.year(), date.month()))
        return false;
    return selectDay(date.day());
}

std::optional<QDate> AgendaState::stepTarget(int focusedDay, int days, int months) const {
    const QDate from = hasSelection() ? selected_ : QDate(year_, month_, focusedDay);
    if (!from.isValid())
        return std::nullopt;
    const QDate to = from.addMonths(months).addDays(days);
    if (!to.isValid() || !isListedYear(to.year()))
        return std::nullopt;
    return to;
}

} // namespace quindara
