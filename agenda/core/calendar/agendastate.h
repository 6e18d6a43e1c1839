// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>

#include <optional>

namespace quindara {

// The pages stacked in the main window: the tabbed ones first, in the order of their tab buttons.
enum class AgendaPage { Day, Week, MonthSummary, YearSummary, NotesPad, AddressBook, Search, Exchange, Sync };
inline constexpr int kAgendaPageCount = 6;

// What the agenda's main window shows: the month of the grid, the day selected in it, the day whose
// page was last shown, and the page in front. The window draws its captions from this and never reads
// them back. Every change keeps the shown month within the listed years.
class AgendaState {
public:
    // Starts on today's month with today selected; when today is outside the listed years, on the
    // nearest listed month with no day selected.
    explicit AgendaState(const QDate& today);

    int year() const { return year_; }
    int month() const { return month_; }
    AgendaPage page() const { return page_; }
    const QDate& today() const { return today_; }
    bool todayIsListed() const;

    // The day selected in the grid, or an invalid date while none is (after every redraw of the grid).
    const QDate& selectedDate() const { return selected_; }
    bool hasSelection() const { return selected_.isValid(); }
    // The day last loaded into the day page; the week page shows its week. It outlives the selection.
    const QDate& lastShownDay() const { return lastShown_; }

    // Shows another month of a listed year; the selection is forgotten. False (nothing changes) when the
    // year is not listed or the month is not 1 to 12.
    bool showMonth(int year, int month);
    bool canStepYear(int step) const;
    bool stepYear(int step);
    // Selects a day of the shown month; false for a day it does not have.
    bool selectDay(int day);
    // Shows today's month and selects today (nearest listed month, nothing selected, when out of range).
    void goToToday();
    // Shows the month of `date` and selects it; false, with nothing changed, for a date out of range.
    bool goToDate(const QDate& date);
    void showPage(AgendaPage page) { page_ = page; }
    // Where a key moving the selection by days and months goes: from the selected day, or while none is
    // from `focusedDay` of the shown month. Nothing past the first and last listed days.
    std::optional<QDate> stepTarget(int focusedDay, int days, int months) const;

private:
    QDate today_;
    int year_ = 0;
    int month_ = 1;
    QDate selected_;
    QDate lastShown_;
    AgendaPage page_ = AgendaPage::Day;
};

} // namespace quindara
