// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace quindara {

// Month names, index 1 to 12, exactly as they go into every key and the month selector.
const QStringList& monthNames();
QString monthName(int month);
// 1 to 12, or 0 for a name that is not a month (any case).
int monthNumber(const QString& name);

// Weekday names, index 0 (Monday) to 6, each ending in ", ".
const QStringList& weekdayNames();
QString weekdayName(int mondayBasedIndex);
// 0 for Monday ... 6 for Sunday.
int mondayBasedWeekday(const QDate& date);

// The three keys that name the agenda's files; built from the texts the grid shows.
QString annualKey(const QString& day, const QString& month);
QString datedKey(const QString& day, const QString& month, const QString& year);
QString dayNoteKey(int mondayBasedWeekday, const QString& day, const QString& month, const QString& year);

QString annualKey(const QDate& date);
QString datedKey(const QDate& date);
QString dayNoteKey(const QDate& date);

} // namespace quindara
