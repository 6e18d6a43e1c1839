// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/week.h"

#include "agenda/core/days/daykeys.h"

namespace quindara {

std::array<QDate, kDaysInWeek> weekOf(const QDate& day) {
    const QDate monday = day.addDays(-mondayBasedWeekday(day));
    std::array<QDate, kDaysInWeek> week;
    for (int k = 0; k < kDaysInWeek; ++k)
        week[k] = monday.addDays(k);
    return week;
}

QStringList weekDayNoteKeys(const QDate& day) {
    QStringList keys;
    for (const QDate& date : weekOf(day))
        keys.append(dayNoteKey(date));
    return keys;
}

} // namespace quindara
