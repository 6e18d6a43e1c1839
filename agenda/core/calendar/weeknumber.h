// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>

namespace quindara {

// The ISO 8601 week of a day: weeks run Monday to Sunday and week 1 is the one holding the year's first
// Thursday, so 3-9 January 2011 is week 1 and 31 December 2012 is week 1 of 2013.
struct IsoWeek {
    int week = 0;
    int year = 0;
};
IsoWeek isoWeek(const QDate& day);

// "Semana 1": the caption of the week page.
QString weekCaption(const QDate& day);

} // namespace quindara
