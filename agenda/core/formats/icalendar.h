// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <functional>

namespace quindara {

// What one day can receive from or give to another calendar program.
enum class CalendarKind { Holiday, YearlyReminder, OneYearReminder, DayNote };

// For holidays and yearly reminders only the day and month of `date` count.
struct CalendarItem {
    CalendarKind kind = CalendarKind::OneYearReminder;
    QDate date;
    QString text;
    // When the text was last changed (DTSTAMP); the time of the export when unknown.
    QDateTime stamp;
    // A one-year reminder read from an event marked as a holiday (by its category or by importing as
    // holidays): a holiday feed lists a fixed holiday once a year this way.
    bool holiday = false;
};

enum class ExchangePhase { Reading, Writing };
// Called now and then during long work, so a window can show how far it got.
using ExchangeProgress = std::function<void(ExchangePhase phase, qsizetype done, qsizetype total)>;
// Asked now and then while an import writes; true stops it after the files written so far, each whole.
using ExchangeCancelled = std::function<bool()>;

struct IcsReadOptions {
    // Yearly events become holidays even without a holiday category.
    bool asHolidays = false;
    // Timed events are placed on the day and at the hour they fall in this zone.
    QTimeZone zone = QTimeZone::systemTimeZone();
    // The day of the import: a rule that is not yearly is read up to two years after it.
    QDate today = QDate::currentDate();
    ExchangeProgress progress;
    ExchangeCancelled cancelled;
};

struct IcsReading {
    // Set when the file is not a whole, well-formed calendar: then `items` is empty.
    QString refusal;
    QList<CalendarItem> items;
    // One line per event left out, with its reason.
    QStringList skipped;
};

// One VCALENDAR (UTF-8, CR LF, lines folded at 75 octets); items in the given order. `folderId` (see
// folderIdentifier) makes the UIDs unique to the data folder the items come from.
QByteArray writeIcs(const QList<CalendarItem>& items, const QString& folderId);

// The days an iCalendar file fills, found without touching any file. Recurrences are expanded only
// within 1901-2100, a rule that is not yearly up to two years after `today` (or after its start, when
// later), and to at most 1,000 dates per rule, so no input can make it run for long or flood the folder.
// An event with a value that cannot be read is left out with its reason; only a broken structure
// refuses the file.
IcsReading readIcs(const QByteArray& bytes, const IcsReadOptions& options = {});

// The text of an event or journal entry from its SUMMARY and DESCRIPTION. Items the agenda wrote (`ours`,
// see isAgendaUid) carry the first line in SUMMARY and, when there are more, the whole text in DESCRIPTION;
// a SUMMARY changed by another program replaces only that first line. Another program's event is its
// SUMMARY, its journal entry SUMMARY and DESCRIPTION.
QString calendarText(const QString& summary, const QString& description, bool ours, bool journal);
// Whether the UID is one calendarItemUid gives.
bool isAgendaUid(const QString& uid);

// Stable identifier of an exported item: the same kind and day of one data folder always give the same
// UID, and no other folder gives it ("fiesta-12-25-<folder id>@quindara"). Files written before the folder
// had an identifier carry UIDs without it; an import does not depend on them.
QString calendarItemUid(const CalendarItem& item, const QString& folderId);

} // namespace quindara
