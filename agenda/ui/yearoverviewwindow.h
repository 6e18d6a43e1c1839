#pragma once

#include "agenda/core/calendar.h"
#include "agenda/core/datafolder.h"
#include "agenda/core/daymarks.h"
#include "agenda/ui/monthpanel.h"

#include <QDate>
#include <QPixmap>
#include <QWidget>
#include <array>

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

    // Paints the shown year's marks again, after another program changed the marking folders.
    void showOutsideChanges() { DrawYear(); }

signals:
    // A day clicked in one of the panels, just before the window closes.
    void datePicked(const QDate& date);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load();
    void Command1_Click();
    void Command14_Click(int Index);
    void ComputeYearStart();
    void DrawYear();
    void DrawMonthPanel(int year, int month);

    // Command2 to Command13 are the day buttons of the twelve panels, January to December.
    void PickDay(int month, int Index);

    void createControls();

    DataFolder data_;
    int mainWindowYear_;
    // The year shown.
    int year_ = kFirstYear;
    DayMarks marks_;
    QPixmap background_;
    std::array<MonthPanel*, 12> panels_{};

    QLabel* Label3 = nullptr;                // the year shown
    std::array<QPushButton*, 2> Command14{}; // next year, previous year
    QPushButton* Command1 = nullptr;         // close
};

} // namespace quindara
