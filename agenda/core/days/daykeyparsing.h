// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace quindara {

// A day read back from a file name: "6 de ENERO" (year 0: every year), "5 de ENERO de 2011", or
// "MIÉRCOLES, 5 de ENERO de 2011"; the month in any case, ".txt" allowed at the end.
struct KeyDay {
    int day = 0;
    int month = 0;
    int year = 0;

    bool isAnnual() const { return year == 0; }
    QDate date() const { return isAnnual() ? QDate() : QDate(year, month, day); }
};

std::optional<KeyDay> parseDayKey(QString key);

// The moment a notes-pad note or a saved log was stored, from its name ("2011-1-5--9-7").
std::optional<QDateTime> parseTimeStampName(const QString& name);

// The day a holiday or reminder file ("25 de DICIEMBRE.txt", `annual`) or a dated file ("5 de ENERO de
// 2026.txt", a day note's name with its weekday too) stands for; invalid when the name is no such day.
QDate dayOfCalendarFile(const QString& name, bool annual);

} // namespace quindara
