// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QStringList>

#include <array>

namespace quindara {

inline constexpr int kDaysInWeek = 7;

// Monday to Sunday of the week that holds `day`; it may reach into another month or year.
std::array<QDate, kDaysInWeek> weekOf(const QDate& day);
// The day-note keys of that week, Monday first: the headings of the week page and the names of its notes.
QStringList weekDayNoteKeys(const QDate& day);

} // namespace quindara
