#pragma once

#include "agenda/core/datafolder.h"
#include "agenda/core/daymarks.h"
#include "agenda/ui/monthpanel.h"

#include <QPixmap>
#include <QWidget>
#include <array>

class QLabel;
class QPushButton;

namespace quindara {

// The year overview (Form2): twelve month panels of one year; a clicked day is handed back through
// pickedDate() before the window closes.
class YearOverviewWindow : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(YearOverviewWindow)

public:
    // `mainWindowYear` is the year the main window shows when the overview opens.
    YearOverviewWindow(const DataFolder& data, int mainWindowYear, QWidget* parent = nullptr);

signals:
    // Emitted after pickedDate() has been filled, just before the window closes.
    void datePicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load();
    void Command1_Click();
    void Command14_Click(int Index);
    void ComputeYearStart();
    void DrawYear();
    void DrawMonthPanel(int month);

    void Command2_Click(int Index) { PickDay(1, Index); }
    void Command3_Click(int Index) { PickDay(2, Index); }
    void Command4_Click(int Index) { PickDay(3, Index); }
    void Command5_Click(int Index) { PickDay(4, Index); }
    void Command6_Click(int Index) { PickDay(5, Index); }
    void Command7_Click(int Index) { PickDay(6, Index); }
    void Command8_Click(int Index) { PickDay(7, Index); }
    void Command9_Click(int Index) { PickDay(8, Index); }
    void Command10_Click(int Index) { PickDay(9, Index); }
    void Command11_Click(int Index) { PickDay(10, Index); }
    void Command12_Click(int Index) { PickDay(11, Index); }
    void Command13_Click(int Index) { PickDay(12, Index); }
    void PickDay(int month, int Index);

    void createControls();
    int shownYear() const;

    DataFolder data_;
    int mainWindowYear_;
    DayMarks marks_;
    QPixmap background_;
    std::array<MonthPanel*, 12> panels_{};

    QLabel* Label3 = nullptr;                // the year shown
    std::array<QPushButton*, 2> Command14{}; // next year, previous year
    QPushButton* Command1 = nullptr;         // close

    // Set by DrawYear for the month being drawn.
    int DaysInMonth = 0;
    int FirstIndex = 0;
};

} // namespace quindara
