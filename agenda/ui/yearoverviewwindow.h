// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/dayconflicts.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/ui/monthpanel.h"

#include <QDate>
#include <QPixmap>
#include <QWidget>
#include <array>
#include <memory>

class QLabel;
class QPushButton;

namespace quindara {

// The year overview (Form2): twelve month panels of one year; a clicked day is handed to the main window
// by datePicked before the window closes.
class YearOverviewWindow : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(YearOverviewWindow)

public:
    // `mainWindowYear` is the year the main window shows when the overview opens.
    YearOverviewWindow(const DataFolder& data, int mainWindowYear, QWidget* parent = nullptr);
    // Draws from the main window's marks and conflict copies, so that a folder another program changed
    // is listed once for both windows.
    YearOverviewWindow(const DataFolder& data, int mainWindowYear, DayMarks& marks, DayConflicts& conflicts,
                       QWidget* parent = nullptr);
    ~YearOverviewWindow() override;

    // Paints the shown year's marks and conflict signs again, after another program changed the marking
    // folders or the day notes.
    void showOutsideChanges() { DrawYear(); }

signals:
    // A day clicked in one of the panels, just before the window closes.
    void datePicked(const QDate& date);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The marks, notes and conflict copies of a window that draws on its own.
    struct OwnStores {
        explicit OwnStores(const DataFolder& data)
            : marks(data), notes(data), conflicts(data, marks, notes) {}
        DayMarks marks;
        DayNotes notes;
        DayConflicts conflicts;
    };
    YearOverviewWindow(const DataFolder& data, int mainWindowYear, OwnStores* own, QWidget* parent);
    void setUp();

    void Form_Load();
    void Command1_Click();
    void Command14_Click(int Index);
    void ComputeYearStart();
    void DrawYear();
    void DrawMonthPanel(int year, int month, const QSet<int>& conflictDays);

    // Command2 to Command13 are the day buttons of the twelve panels, January to December.
    void pickDay(int month, int Index);

    void createControls();

    DataFolder data_;
    int mainWindowYear_;
    // The year shown.
    int year_ = kFirstYear;
    std::unique_ptr<OwnStores> ownStores_;
    DayMarks& marks_;
    // Days with a conflict copy a sync tool left of one of their files get the main grid's sign.
    DayConflicts& conflicts_;
    QPixmap background_;
    std::array<MonthPanel*, 12> panels_{};

    QLabel* Label3 = nullptr;                // the year shown
    std::array<QPushButton*, 2> Command14{}; // next year, previous year
    QPushButton* Command1 = nullptr;         // close
};

} // namespace quindara
