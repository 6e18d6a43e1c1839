// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace common {

// "2011-10-1--23-5": year, month, day, hour, minute without leading zeros; names notes and saved logs.
QString timeStampName(const QDateTime& moment);

// The first of "2011-1-5--9-7", "2011-1-5--9-7-2", "2011-1-5--9-7-3"... that `mayWrite` accepts: a second
// note or log saved within a minute never replaces the first, and lists right after it.
QString freeTimeStampName(const QDateTime& moment, const std::function<bool(const QString&)>& mayWrite);

// A day as the user reads it: "8 de diciembre", with the year when it is not the year of `today`
// ("8 de diciembre de 2025").
QString readableDate(const QDate& date, const QDate& today);
// The same with the time: "8 de diciembre, 09:49".
QString readableMoment(const QDateTime& moment, const QDate& today);

} // namespace common
