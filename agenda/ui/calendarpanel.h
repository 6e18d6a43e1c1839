// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/calendar/calendar.h"

#include <QSet>
#include <QWidget>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;

namespace quindara {

class DayMarks;

// The left-hand column of the main window: the month grid with its headings, the month and year
// selectors, the year arrows, the month buttons, the year overview button and "HOY". It draws what it is
// told and reports what the user asks for; it keeps no state of the agenda beyond what it painted.
class CalendarPanel : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CalendarPanel)

public:
    explicit CalendarPanel(QWidget* window);

    // Draws the month with its marks; no day is painted as selected.
    void DrawMonth(int year, int month, const DayMarks& marks);
    // Paints `day` of the drawn month as selected; the day selected before gets back its mark colour.
    // Day 0 only takes the selection away.
    void selectDay(int day, const DayMarks& marks);
    // Gives the keyboard focus to the button of `day` of the drawn month.
    void focusDay(int day);
    // A small sign in the buttons of `days` of the drawn month (their colours stay): a conflict copy of
    // one of their files is waiting to be merged.
    void showConflictSigns(const QSet<int>& days);
    // Says `day`'s marks again in its button's accessible name, after one of its files was written.
    void nameDay(int day, const DayMarks& marks);

    // Day buttons, index = 7 * row + column, Monday first.
    std::array<QPushButton*, kGridButtons> Command1{};
    // Column headings "L" to "D".
    std::array<QLabel*, kGridColumns> Label1{};
    // Month selector (upper-case names) and year selector (1901 to 2100).
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    // The year shown, as a button caption; Command3 are its arrows (0 up, 1 down).
    std::array<QPushButton*, 1> Command2{};
    std::array<QPushButton*, 2> Command3{};
    // "Enero" to "Diciembre".
    std::array<QPushButton*, 12> Command4{};
    // The year overview button.
    QPushButton* Command14 = nullptr;
    // "HOY".
    QPushButton* Command5 = nullptr;

signals:
    // The button index of a clicked day.
    void dayClicked(int index);
    void monthChosen(int month);
    void yearChosen(int year);
    // 1 for the up arrow, -1 for the down arrow.
    void yearStepped(int step);
    void monthButtonClicked(int month);
    void todayClicked();
    void yearOverviewClicked();
    // Keys on a focused day button (index): the arrows move the selection by `days` (1 or 7 either way),
    // Page Up and Page Down by `months`; Home asks for today, Enter for the day page (dayClicked).
    void selectionStepped(int index, int days, int months);
    void todayKeyPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintDay(int day, const DayMarks& marks);

    MonthLayout layout_;
    int selectedDay_ = 0;
    // Day buttons that have had a conflict sign: the others need no look when none is shown.
    std::array<bool, kGridButtons> conflictSigns_{};
    // Day buttons showing a conflict sign now, which their accessible names say.
    std::array<bool, kGridButtons> conflictShown_{};
};

} // namespace quindara
