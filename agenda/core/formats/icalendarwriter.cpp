// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/formats/icalendar.h"

#include "agenda/core/formats/contentline.h"
#include "agenda/core/formats/icalendarparts.h"

namespace quindara {

namespace {

// Holidays and yearly reminders go out on a leap year, so that 29 February is a valid start.
constexpr int kAnnualExportYear = 2000;

const QString kProdId = QStringLiteral("-//Quindara//Agenda//ES");

QString categoryOf(CalendarKind kind) {
    switch (kind) {
    case CalendarKind::Holiday:
        return QStringLiteral("Fiesta");
    case CalendarKind::YearlyReminder:
        return QStringLiteral("Recordatorio");
    case CalendarKind::OneYearReminder:
        return QStringLiteral("Recordatorio de un año");
    case CalendarKind::DayNote:
        break;
    }
    return QStringLiteral("Nota del día");
}

QString icsDate(const QDate& date) {
    return date.toString(u"yyyyMMdd");
}

bool isAnnual(CalendarKind kind) {
    return kind == CalendarKind::Holiday || kind == CalendarKind::YearlyReminder;
}

} // namespace

QString calendarItemUid(const CalendarItem& item, const QString& folderId) {
    static const char* const prefixes[] = {"fiesta", "recordatorio", "recordatorionoanual", "nota"};
    const QString day =
        isAnnual(item.kind) ? item.date.toString(u"MM-dd") : item.date.toString(u"yyyy-MM-dd");
    return QStringLiteral("%1-%2-%3@quindara").arg(QLatin1String(prefixes[int(item.kind)]), day, folderId);
}

QByteArray writeIcs(const QList<CalendarItem>& items, const QString& folderId) {
    QByteArray out;
    const auto line = [&out](const QString& text) { out += foldedContentLine(text); };
    line(QStringLiteral("BEGIN:VCALENDAR"));
    line(QStringLiteral("VERSION:2.0"));
    line(QStringLiteral("PRODID:") + kProdId);
    line(QStringLiteral("CALSCALE:GREGORIAN"));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const CalendarItem& item : items) {
        const bool journal = item.kind == CalendarKind::DayNote;
        const QDate start =
            isAnnual(item.kind) ? QDate(kAnnualExportYear, item.date.month(), item.date.day()) : item.date;
        const QDateTime stamp = (item.stamp.isValid() ? item.stamp : now).toUTC();
        line(journal ? QStringLiteral("BEGIN:VJOURNAL") : QStringLiteral("BEGIN:VEVENT"));
        line(QStringLiteral("UID:") + calendarItemUid(item, folderId));
        line(QStringLiteral("DTSTAMP:") + stamp.toString(u"yyyyMMdd'T'HHmmss'Z'"));
        line(QStringLiteral("DTSTART;VALUE=DATE:") + icsDate(start));
        if (!journal) {
            line(QStringLiteral("DTEND;VALUE=DATE:") + icsDate(start.addDays(1)));
            // 29 February starts on a leap year; the years without that day are skipped by the rule itself.
            if (isAnnual(item.kind))
                line(QStringLiteral("RRULE:FREQ=YEARLY"));
            line(QStringLiteral("TRANSP:TRANSPARENT"));
        }
        line(QStringLiteral("SUMMARY:") + escapeContentText(firstLine(item.text)));
        // The whole text again, when it has further lines: a phone shows both, so a line alone goes once.
        QString lines = item.text;
        while (lines.endsWith(u'\n'))
            lines.chop(1);
        if (lines.contains(u'\n'))
            line(QStringLiteral("DESCRIPTION:") + escapeContentText(item.text));
        line(QStringLiteral("CATEGORIES:") + escapeContentText(categoryOf(item.kind)));
        line(journal ? QStringLiteral("END:VJOURNAL") : QStringLiteral("END:VEVENT"));
    }
    line(QStringLiteral("END:VCALENDAR"));
    return out;
}

} // namespace quindara
