#pragma once

#include "agenda/core/calendar.h"

#include <QString>
#include <array>
#include <functional>

class QLabel;
class QPushButton;
class QWidget;

namespace quindara {

// One of the twelve small calendars of the year overview: the month title, the weekday initials and
// 42 day buttons (row * 7 + column, Monday first). Its controls are children of the overview window
// itself, placed at the window's own coordinates.
class MonthPanel {
public:
    // `dayClicked` receives the index of the clicked day button.
    MonthPanel(QWidget& window, int month, std::function<void(int)> dayClicked);

    int month() const { return month_; }
    QPushButton* dayButton(int index) const { return buttons_.at(index); }

    // Shows `day` on button `index` with the back colour `colour` (0x00BBGGRR).
    void showDay(int index, int day, quint32 colour);
    void hideCell(int index);

    // Grid origin in twips: three rows of four panels, January at the top left.
    static int gridLeft(int month) { return 120 + 2880 * ((month - 1) % 4); }
    static int gridTop(int month) { return 840 + 3240 * ((month - 1) / 4); }
    // "Enero" .. "Diciembre".
    static QString title(int month);

private:
    int month_;
    std::array<QPushButton*, kGridButtons> buttons_{};
};

} // namespace quindara
