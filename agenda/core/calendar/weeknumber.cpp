// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/calendar/weeknumber.h"

namespace quindara {

IsoWeek isoWeek(const QDate& day) {
    if (!day.isValid())
        return {};
    // The Thursday of the day's week decides both the week's year and its number.
    const QDate thursday = day.addDays(4 - day.dayOfWeek());
    return {(thursday.dayOfYear() - 1) / 7 + 1, thursday.year()};
}

QString weekCaption(const QDate& day) {
    const IsoWeek week = isoWeek(day);
    return week.week == 0 ? QString() : QStringLiteral("Semana %1").arg(week.week);
}

} // namespace quindara
