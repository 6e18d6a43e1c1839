// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/daykeyparsing.h"

#include "agenda/core/datafolder.h"
#include "agenda/core/daykeys.h"

#include <QRegularExpression>

namespace quindara {

std::optional<KeyDay> parseDayKey(QString key) {
    if (key.endsWith(kTxt, Qt::CaseInsensitive))
        key.chop(kTxt.size());
    // A weekday name ends in ", ": the day starts after it.
    const qsizetype comma = key.indexOf(QLatin1String(", "));
    if (comma >= 0)
        key = key.mid(comma + 2);
    const QStringList parts = key.split(QLatin1String(" de "));
    if (parts.size() != 2 && parts.size() != 3)
        return std::nullopt;
    bool dayOk = false;
    KeyDay parsed;
    parsed.day = parts[0].toInt(&dayOk);
    parsed.month = monthNumber(parts[1]);
    if (!dayOk || parsed.month == 0)
        return std::nullopt;
    if (parts.size() == 3) {
        bool yearOk = false;
        parsed.year = parts[2].toInt(&yearOk);
        if (!yearOk || !QDate(parsed.year, parsed.month, parsed.day).isValid())
            return std::nullopt;
    } else if (!QDate(2000, parsed.month, parsed.day).isValid()) {
        return std::nullopt;
    }
    return parsed;
}

std::optional<QDateTime> parseTimeStampName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,4})-(\\d{1,2})-(\\d{1,2})--(\\d{1,2})-(\\d{1,2})$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

} // namespace quindara
