// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/daykeyparsing.h"

#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"

#include <QRegularExpression>

#include <algorithm>

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

namespace {

const QRegularExpression& annualName() {
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2}) de (\\S+)\\.txt$"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

const QRegularExpression& datedName() {
    static const QRegularExpression re(QStringLiteral("^(?:[^,]+, )?(\\d{1,2}) de (\\S+) de (\\d{4})\\.txt$"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

// The number of the ASCII digits `text` is made of, or -1.
int asciiNumber(QStringView text) {
    int n = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return text.isEmpty() ? -1 : n;
}

// Day, month name and year of the usual names ("5 de MAYO.txt", "LUNES, 4 de MAYO de 2026.txt") read
// without the expressions, which cost most of listing a day folder; false for any other form, which the
// expressions then read as before.
bool quickDayName(QStringView name, bool annual, int& day, QStringView& month, int& year) {
    if (!name.endsWith(u".txt"))
        return false;
    name.chop(4);
    if (const qsizetype comma = name.indexOf(u','); comma >= 0) {
        if (annual || comma == 0 || name.mid(comma + 1, 1) != u" " || name.indexOf(u',', comma + 1) >= 0)
            return false;
        name = name.mid(comma + 2);
    }
    const qsizetype afterDay = name.indexOf(u" de ");
    if (afterDay < 1 || afterDay > 2 || (day = asciiNumber(name.left(afterDay))) < 0)
        return false;
    month = name.mid(afterDay + 4);
    year = 2000;
    if (!annual) {
        if (month.size() < 9 || month.mid(month.size() - 8, 4) != u" de " ||
            (year = asciiNumber(month.right(4))) < 0)
            return false;
        month.chop(8);
    }
    return !month.isEmpty() && std::none_of(month.begin(), month.end(), [](QChar c) { return c.isSpace(); });
}

} // namespace

QDate dayOfCalendarFile(const QString& name, bool annual) {
    int day = 0;
    int year = 0;
    QStringView monthText;
    QString captured;
    if (!quickDayName(name, annual, day, monthText, year)) {
        const QRegularExpressionMatch match = (annual ? annualName() : datedName()).match(name);
        if (!match.hasMatch())
            return {};
        captured = match.captured(2);
        monthText = captured;
        year = annual ? 2000 : match.captured(3).toInt();
        day = match.captured(1).toInt();
    }
    const int month = monthNumber(monthText.toString());
    const QDate date(year, month, day);
    return date.isValid() && year >= kFirstYear && year <= kLastYear ? date : QDate();
}

} // namespace quindara
