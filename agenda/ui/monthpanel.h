// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/calendar/calendar.h"

#include <QString>
#include <QWidget>
#include <array>

namespace common {
class ColourButton;
}

namespace quindara {

using common::ColourButton;

// One of the twelve small calendars of the year overview: the month title, the weekday initials and
// 42 day buttons (row * 7 + column, Monday first). A transparent frame around them, so that showing
// or hiding a day only concerns the panel's own controls.
class MonthPanel : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MonthPanel)

public:
    MonthPanel(int month, QWidget* window);

    int month() const { return month_; }
    ColourButton* dayButton(int index) const { return buttons_.at(index); }

    // Shows `day` on button `index` with the back colour `colour` (0x00BBGGRR), and `name` for a screen
    // reader.
    void showDay(int index, int day, quint32 colour, const QString& name);
    void hideCell(int index);
    // The sign of a day with a conflict copy; a hidden cell shows none.
    void showConflictSign(int index, bool shown);

    // Grid origin in window twips: three rows of four panels, January at the top left.
    static int gridLeft(int month) { return 120 + 2880 * ((month - 1) % 4); }
    static int gridTop(int month) { return 840 + 3240 * ((month - 1) / 4); }
    // "Enero" .. "Diciembre".
    static QString title(int month);

signals:
    void dayClicked(int index);

private:
    int month_;
    std::array<ColourButton*, kGridButtons> buttons_{};
    // Buttons that have had a conflict sign: the others need no look while none is shown.
    std::array<bool, kGridButtons> signed_{};
};

} // namespace quindara
