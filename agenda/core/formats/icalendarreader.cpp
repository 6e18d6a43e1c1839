// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/formats/icalendar.h"

#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/formats/icalendarparts.h"

#include <QHash>
#include <QSet>

#include <libical/ical.h>

#include <memory>

namespace quindara {

namespace {

// Limits that keep any input, however odd, to a few seconds of work.
constexpr int kMaxDatesPerRule = 1000;
constexpr qsizetype kMaxDaysInFile = 1000000;
// What libical is given at once, at most, of a large calendar.
constexpr qsizetype kPartBytes = 4 * 1024 * 1024;

// Why a day before 1901 or after 2100 is left out.
QString outsideTheYears() {
    return QStringLiteral("fuera de los años %1 a %2").arg(kFirstYear).arg(kLastYear);
}

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentFree>;

struct IteratorFree {
    void operator()(icalrecur_iterator* iterator) const { icalrecur_iterator_free(iterator); }
};

QString textOf(const char* text) {
    return text ? QString::fromUtf8(text)
                      .replace(QLatin1String("\r\n"), QLatin1String("\n"))
                      .replace(u'\r', u'\n')
                : QString();
}

// A SUMMARY or DESCRIPTION as the file has it, blanks and tabs at its ends included.
QString plainText(const char* text) {
    QString value = textOf(text);
    if (value.startsWith(QChar(kTextEdge)))
        value.remove(0, 1);
    if (value.endsWith(QChar(kTextEdge)))
        value.chop(1);
    return value;
}

bool isUtc(const icaltimetype& time) {
    return icaltime_is_utc(time) != 0;
}

// A day and time as the user sees them.
struct LocalTime {
    QDate date;
    QTime time; // null for an all-day date
};

// A time of the file in the user's zone. A floating time is the user's own and keeps its hour even in a
// daylight-saving gap; a zoned time in a gap goes forward, as libical converts it.
LocalTime localTime(icaltimetype time, const QTimeZone& zone) {
    const QDate date(time.year, time.month, time.day);
    if (time.is_date)
        return {date, QTime()};
    if (!time.zone && !isUtc(time))
        return {date, QTime(time.hour, time.minute, time.second == 60 ? 59 : time.second)};
    const icaltimezone* from = time.zone ? time.zone : icaltimezone_get_utc_timezone();
    qint64 seconds = qint64(icaltime_as_timet_with_zone(time, from));
    // A time in a daylight-saving gap does not exist: like calendar programs, take it with the offset
    // before the gap, which puts 02:30 at 03:30 on the same day.
    const icaltimetype back =
        icaltime_from_timet_with_zone(time_t(seconds), 0, const_cast<icaltimezone*>(from));
    const auto wall = [](const icaltimetype& t) {
        return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, std::min(t.second, 59)),
                         QTimeZone::utc());
    };
    const qint64 behind = wall(back).secsTo(wall(time));
    if (behind > 0)
        seconds += behind;
    const QDateTime when = QDateTime::fromSecsSinceEpoch(seconds, zone);
    return {when.date(), when.time()};
}

// A day and time of the user's zone as an instant (an all-day date at its midnight).
QDateTime instantOf(const LocalTime& when, const QTimeZone& zone) {
    return QDateTime(when.date, when.time.isValid() ? when.time : QTime(0, 0), zone);
}

bool isValidTime(const icaltimetype& time) {
    if (icaltime_is_null_time(time) || !QDate(time.year, time.month, time.day).isValid())
        return false;
    return time.is_date || QTime::isValid(time.hour, time.minute, time.second == 60 ? 59 : time.second);
}

// Identifies one occurrence for EXDATE and RECURRENCE-ID: the day for all-day events, the instant else.
QString occurrenceId(icaltimetype time) {
    if (time.is_date)
        return QDate(time.year, time.month, time.day).toString(Qt::ISODate);
    const icaltimezone* from = time.zone ? time.zone : icaltimezone_get_utc_timezone();
    if (!time.zone && !isUtc(time))
        return QStringLiteral("%1T%2:%3:%4")
            .arg(QDate(time.year, time.month, time.day).toString(Qt::ISODate))
            .arg(time.hour)
            .arg(time.minute)
            .arg(time.second);
    return QString::number(qint64(icaltime_as_timet_with_zone(time, from)));
}

const QSet<QString>& holidayCategories() {
    static const QSet<QString> names = {QStringLiteral("fiesta"),   QStringLiteral("fiestas"),
                                        QStringLiteral("festivo"),  QStringLiteral("festivos"),
                                        QStringLiteral("feriado"),  QStringLiteral("holiday"),
                                        QStringLiteral("holidays"), QStringLiteral("public holiday")};
    return names;
}

bool hasHolidayCategory(icalcomponent* component) {
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_CATEGORIES_PROPERTY)) {
        const QStringList names = textOf(icalproperty_get_categories(p)).split(u',');
        for (const QString& name : names) {
            if (holidayCategories().contains(name.trimmed().toLower()))
                return true;
        }
    }
    return false;
}

// Every property of a kind. Taken at once, because reading another property (DTSTART for a message)
// moves the component's one iterator.
QList<icalproperty*> propertiesOf(icalcomponent* component, icalproperty_kind kind) {
    QList<icalproperty*> properties;
    for (icalproperty* p = icalcomponent_get_first_property(component, kind); p;
         p = icalcomponent_get_next_property(component, kind))
        properties.append(p);
    return properties;
}

bool isEmptyList(const short* list) {
    return list[0] == ICAL_RECURRENCE_ARRAY_MAX;
}

// Every year on the same day and month, for ever: what a holiday or yearly reminder is.
bool isPlainYearly(const icalrecurrencetype& rule, const icaltimetype& start) {
    if (rule.freq != ICAL_YEARLY_RECURRENCE || rule.interval > 1 || rule.count > 0 ||
        !icaltime_is_null_time(rule.until))
        return false;
    if (!isEmptyList(rule.by_second) || !isEmptyList(rule.by_minute) || !isEmptyList(rule.by_hour) ||
        !isEmptyList(rule.by_day) || !isEmptyList(rule.by_year_day) || !isEmptyList(rule.by_week_no) ||
        !isEmptyList(rule.by_set_pos))
        return false;
    if (!isEmptyList(rule.by_month) &&
        (rule.by_month[0] != start.month || rule.by_month[1] != ICAL_RECURRENCE_ARRAY_MAX))
        return false;
    return isEmptyList(rule.by_month_day) ||
           (rule.by_month_day[0] == start.day && rule.by_month_day[1] == ICAL_RECURRENCE_ARRAY_MAX);
}

// Filters that can never meet (30 February) send libical searching for centuries.
bool canEverOccur(const icalrecurrencetype& rule) {
    if (isEmptyList(rule.by_month) || isEmptyList(rule.by_month_day))
        return true;
    static constexpr int kLongestMonth[13] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 0; m < ICAL_BY_MONTH_SIZE && rule.by_month[m] != ICAL_RECURRENCE_ARRAY_MAX; ++m) {
        const int month = rule.by_month[m];
        for (int d = 0; d < ICAL_BY_MONTHDAY_SIZE && rule.by_month_day[d] != ICAL_RECURRENCE_ARRAY_MAX; ++d) {
            const int day = rule.by_month_day[d];
            if (month >= 1 && month <= 12 && std::abs(day) <= kLongestMonth[month])
                return true;
        }
    }
    return false;
}

// Why an event is left out whole, before its dates are read; empty when it is not.
QString leftOutReason(icalcomponent* event, const QString& text) {
    if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
        return QStringLiteral("está cancelado");
    if (text.trimmed().isEmpty())
        return QStringLiteral("no tiene texto");
    if (icaltime_is_null_time(icalcomponent_get_dtstart(event)))
        return QStringLiteral("no tiene fecha");
    return QString();
}

// The text of a day an event falls on, with the hour it begins there when it has one.
QString textAt(const LocalTime& when, const QString& text) {
    return when.time.isNull() ? text : when.time.toString(u"HH:mm") + u' ' + text;
}

// How long each occurrence of an event lasts: in days for an all-day event, in seconds otherwise.
struct EventLength {
    qint64 days = 0;
    qint64 seconds = 0;
};

// Measured between the instants of DTSTART and DTEND, which may be in different zones (a flight): in
// days for an all-day event (its DTEND is the day after), in seconds otherwise; a timed event marks every
// day it touches. Counted in 64 bits: libical's own count is an int of seconds, which a length of 69
// years overflows.
EventLength lengthOf(icalcomponent* event, const icaltimetype& start, const QTimeZone& zone) {
    EventLength length;
    const icaltimetype end = icalcomponent_get_dtend(event);
    if (icaltime_is_null_time(end) || !isValidTime(end) || icaltime_compare(end, start) <= 0)
        return length;
    const LocalTime first = localTime(start, zone);
    const LocalTime last = localTime(end, zone);
    if (start.is_date)
        length.days = first.date.daysTo(last.date);
    else
        length.seconds = std::max<qint64>(0, instantOf(first, zone).secsTo(instantOf(last, zone)));
    return length;
}

// Where an occurrence beginning at `when` ends: at its own `end` unless that is null, else after the
// event's length.
LocalTime occurrenceEnd(const LocalTime& when, const icaltimetype& end, const EventLength& length,
                        const QTimeZone& zone) {
    if (!icaltime_is_null_time(end))
        return localTime(end, zone);
    if (when.time.isNull())
        return {when.date.addDays(length.days), QTime()};
    const QDateTime last = instantOf(when, zone).addSecs(length.seconds);
    return {last.date(), last.time()};
}

// The occurrenceId of an EXDATE or RECURRENCE-ID time, which may give an all-day event a date-time and
// the other way round: taken as the event's start is, to compare like with like.
QString occurrenceIdLike(icaltimetype time, const icaltimetype& start) {
    if (start.is_date && !time.is_date) {
        time.is_date = 1;
        time.hour = time.minute = time.second = 0;
        time.zone = nullptr;
    } else if (!start.is_date && time.is_date) {
        time.is_date = 0;
        time.hour = start.hour;
        time.minute = start.minute;
        time.second = start.second;
        time.zone = start.zone;
    }
    return occurrenceId(time);
}

// The occurrences of one event: DTSTART first, then the dates its rules and RDATE give.
struct EventDates {
    QList<icaltimetype> starts;
    // Each start's own end (an RDATE period's); null when the occurrence lasts as the event does.
    QList<icaltimetype> ends;
    // The occurrenceIds left out: EXDATE's, and those other events of its UID move (RECURRENCE-ID).
    QSet<QString> excluded;
};

class CalendarReader {
public:
    // `days` counts the days of the whole file, read in parts.
    CalendarReader(const IcsReadOptions& options, IcsReading& reading, qsizetype& days)
        : options_(options), reading_(reading), days_(days) {}

    // The tasks the calendar holds, which the agenda does not keep.
    qsizetype tasks() const { return tasks_; }

    // False when the file must be refused as a whole (reading_.refusal says why).
    bool read(icalcomponent* calendar);

private:
    // Why an event or journal cannot be read; empty when it can.
    QString badDates(icalcomponent* component) const;
    void readEvent(icalcomponent* event);
    // A plain yearly event (a birthday, a holiday) as one holiday or yearly reminder; false when the
    // event is not one.
    bool readPlainYearly(icalcomponent* event, const QString& text, const icaltimetype& start);
    // Adds the dates of RDATE, a period's with its own end.
    void addExtraDates(icalcomponent* event, const QString& text, EventDates& dates);
    QSet<QString> excludedOccurrences(icalcomponent* event, const icaltimetype& start, bool isOverride) const;
    // Adds the days of every occurrence not excluded, up to kMaxEventDays each.
    void addOccurrences(icalcomponent* event, const QString& text, const icaltimetype& start,
                        const EventDates& dates, const EventLength& length);
    void readJournal(icalcomponent* journal);
    // Adds the dates a rule gives after `start`, up to its window, telling what is left out.
    void expandRule(icalcomponent* event, const QString& text, icalrecurrencetype rule,
                    const icaltimetype& start, QList<icaltimetype>& starts);
    void skip(const QString& what, const QString& reason) {
        reading_.skipped.append(QStringLiteral("«%1»: %2").arg(what, reason));
    }
    void addDay(CalendarKind kind, const QDate& date, const QString& text);
    QString describe(icalcomponent* component, const QString& text) const;

    const IcsReadOptions& options_;
    IcsReading& reading_;
    QHash<QString, QList<icaltimetype>> replaced_; // UID -> occurrences given by a RECURRENCE-ID event
    qsizetype& days_;
    qsizetype tasks_ = 0;
    bool tooMany_ = false;
    bool holidayEvent_ = false; // the event being read is marked as a holiday
};

QString CalendarReader::describe(icalcomponent* component, const QString& text) const {
    const icaltimetype start = icalcomponent_get_dtstart(component);
    QString what = text.isEmpty() ? QStringLiteral("(sin texto)") : firstLine(text);
    if (isValidTime(start))
        what += QStringLiteral(", ") + datedKey(QDate(start.year, start.month, start.day));
    return what;
}

void CalendarReader::addDay(CalendarKind kind, const QDate& date, const QString& text) {
    if (++days_ > kMaxDaysInFile) {
        tooMany_ = true;
        return;
    }
    reading_.items.append({kind, date, text, {}, kind == CalendarKind::OneYearReminder && holidayEvent_});
}

QString CalendarReader::badDates(icalcomponent* component) const {
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY)) {
        // libical's own message is English: only the name of the property is told.
        const QString error = textOf(icalproperty_get_xlicerror(p));
        static const QStringList dateProperties = {QStringLiteral("DTSTART"),      QStringLiteral("DTEND"),
                                                   QStringLiteral("DURATION"),     QStringLiteral("RRULE"),
                                                   QStringLiteral("EXDATE"),       QStringLiteral("RDATE"),
                                                   QStringLiteral("RECURRENCE-ID")};
        for (const QString& name : dateProperties) {
            // The user is told which property could not be read; libical's English words stay out.
            if (error.contains(name + QLatin1String(" property")))
                return QStringLiteral("valor no válido en %1").arg(name);
        }
    }
    const icalproperty_kind dated[] = {ICAL_DTSTART_PROPERTY, ICAL_DTEND_PROPERTY, ICAL_RECURRENCEID_PROPERTY,
                                       ICAL_EXDATE_PROPERTY};
    for (const icalproperty_kind kind : dated) {
        for (icalproperty* p = icalcomponent_get_first_property(component, kind); p;
             p = icalcomponent_get_next_property(component, kind)) {
            const icaltimetype time = icalproperty_get_datetime_with_component(p, component);
            if (!isValidTime(time))
                return QStringLiteral("fecha no válida: %1")
                    .arg(textOf(icalproperty_as_ical_string(p)).trimmed());
        }
    }
    return QString();
}

bool CalendarReader::read(icalcomponent* calendar) {
    QList<icalcomponent*> events;
    QList<icalcomponent*> journals;
    qsizetype others = 0;
    for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
        switch (icalcomponent_isa(c)) {
        case ICAL_VEVENT_COMPONENT:
            events.append(c);
            break;
        case ICAL_VJOURNAL_COMPONENT:
            journals.append(c);
            break;
        case ICAL_VTODO_COMPONENT:
            ++others;
            break;
        default:
            break;
        }
    }
    tasks_ = others;

    // An item with a date that cannot be read is left out alone.
    const auto readable = [this](QList<icalcomponent*>& components) {
        components.removeIf([this](icalcomponent* c) {
            const QString reason = badDates(c);
            if (!reason.isEmpty()) {
                const QString text = calendarText(plainText(icalcomponent_get_summary(c)),
                                                  plainText(icalcomponent_get_description(c)), false, false);
                skip(text.isEmpty() ? QStringLiteral("(sin texto)") : firstLine(text), reason);
            }
            return !reason.isEmpty();
        });
    };
    readable(events);
    readable(journals);
    for (icalcomponent* c : std::as_const(events)) {
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY))
            replaced_[textOf(icalcomponent_get_uid(c))].append(
                icalproperty_get_datetime_with_component(p, c));
    }
    const qsizetype total = events.size() + journals.size();
    qsizetype done = 0;
    for (icalcomponent* c : std::as_const(events)) {
        readEvent(c);
        if (tooMany_)
            break;
        if (options_.progress && ++done % 256 == 0)
            options_.progress(ExchangePhase::Reading, done, total);
    }
    for (icalcomponent* c : std::as_const(journals)) {
        if (tooMany_)
            break;
        readJournal(c);
    }
    if (tooMany_) {
        reading_.refusal = QStringLiteral("el calendario da más de %L1 días; divídalo en partes más pequeñas")
                               .arg(kMaxDaysInFile);
        return false;
    }
    if (options_.progress)
        options_.progress(ExchangePhase::Reading, total, total);
    return true;
}

// Whether DESCRIPTION is the whole text and SUMMARY its first line, as our own export writes them. Other
// programs may have trimmed the first line's blanks in SUMMARY.
bool describesWhole(const QString& summary, const QString& description) {
    if (description == summary || description.startsWith(summary + u'\n'))
        return true;
    const QString first = firstLine(description);
    return !summary.trimmed().isEmpty() && first.trimmed() == summary.trimmed();
}

QString eventText(icalcomponent* event) {
    return calendarText(plainText(icalcomponent_get_summary(event)),
                        plainText(icalcomponent_get_description(event)),
                        isAgendaUid(textOf(icalcomponent_get_uid(event))), false);
}

void CalendarReader::readEvent(icalcomponent* event) {
    // Only a single dated event is a holiday feed's entry: the dates a rule gives (every weekday) are no
    // fixed holidays, however often one falls on the same day in two years.
    const bool series = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
                        icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY) ||
                        icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
    holidayEvent_ = (options_.asHolidays || hasHolidayCategory(event)) && !series;
    const QString text = eventText(event);
    if (const QString reason = leftOutReason(event, text); !reason.isEmpty()) {
        skip(describe(event, text), reason);
        return;
    }
    const icaltimetype start = icalcomponent_get_dtstart(event);
    // An event that moves one occurrence of another (RECURRENCE-ID) is that occurrence alone.
    const bool isOverride = !icaltime_is_null_time(icalcomponent_get_recurrenceid(event));
    if (!isOverride && readPlainYearly(event, text, start))
        return;
    const EventLength length = lengthOf(event, start, options_.zone);
    if (length.days > kMaxEventDays || length.seconds > qint64(kMaxEventDays) * 86400) {
        skip(describe(event, text), QStringLiteral("dura más de un año"));
        return;
    }
    // DTSTART is always the first occurrence, whether the rule gives it or not.
    EventDates dates;
    dates.starts.append(start);
    if (!isOverride) {
        for (icalproperty* p : propertiesOf(event, ICAL_RRULE_PROPERTY))
            expandRule(event, text, icalproperty_get_rrule(p), start, dates.starts);
    }
    dates.ends = QList<icaltimetype>(dates.starts.size(), icaltime_null_time());
    addExtraDates(event, text, dates);
    dates.excluded = excludedOccurrences(event, start, isOverride);
    addOccurrences(event, text, start, dates, length);
}

bool CalendarReader::readPlainYearly(icalcomponent* event, const QString& text, const icaltimetype& start) {
    icalproperty* rruleProperty = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (!rruleProperty)
        return false;
    const bool overridden = replaced_.contains(textOf(icalcomponent_get_uid(event)));
    const bool hasExtra = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY) ||
                          icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY) ||
                          propertiesOf(event, ICAL_RRULE_PROPERTY).size() > 1;
    if (!isPlainYearly(icalproperty_get_rrule(rruleProperty), start) || hasExtra || overridden)
        return false;
    // A birthday or holiday first held before 1901 comes back every year of the agenda; one that begins
    // after 2100 never does.
    const LocalTime first = localTime(start, options_.zone);
    if (first.date.year() > kLastYear) {
        skip(describe(event, text), outsideTheYears());
        return true;
    }
    const bool holiday = options_.asHolidays || hasHolidayCategory(event);
    addDay(holiday ? CalendarKind::Holiday : CalendarKind::YearlyReminder, first.date, textAt(first, text));
    return true;
}

void CalendarReader::addExtraDates(icalcomponent* event, const QString& text, EventDates& dates) {
    icalcomponent* parent = icalcomponent_get_parent(event);
    for (icalproperty* p : propertiesOf(event, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype value = icalproperty_get_rdate(p);
        icaltimetype extra = value.time;
        icaltimetype extraEnd = icaltime_null_time();
        if (icaltime_is_null_time(extra)) {
            // A period: its start, and its own end or duration.
            extra = value.period.start;
            extraEnd = icaltime_is_null_time(value.period.end) ? icaltime_add(extra, value.period.duration)
                                                               : value.period.end;
        }
        if (!isUtc(extra)) {
            if (icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER)) {
                const icaltimezone* zone =
                    parent ? icalcomponent_get_timezone(parent, icalparameter_get_tzid(tzid)) : nullptr;
                extra.zone = zone;
                extraEnd.zone = zone;
            }
        }
        if (isValidTime(extra)) {
            dates.starts.append(extra);
            dates.ends.append(extraEnd);
        } else {
            skip(describe(event, text), QStringLiteral("fecha no válida en RDATE"));
        }
    }
}

QSet<QString> CalendarReader::excludedOccurrences(icalcomponent* event, const icaltimetype& start,
                                                  bool isOverride) const {
    QSet<QString> excluded;
    if (!isOverride) {
        for (const icaltimetype& moved : replaced_.value(textOf(icalcomponent_get_uid(event))))
            excluded.insert(occurrenceIdLike(moved, start));
    }
    for (icalproperty* p : propertiesOf(event, ICAL_EXDATE_PROPERTY))
        excluded.insert(occurrenceIdLike(icalproperty_get_datetime_with_component(p, event), start));
    return excluded;
}

void CalendarReader::addOccurrences(icalcomponent* event, const QString& text, const icaltimetype& start,
                                    const EventDates& dates, const EventLength& length) {
    int outside = 0;
    QSet<QDate> seen;
    QSet<QString> taken;
    for (qsizetype i = 0; i < dates.starts.size(); ++i) {
        const QString id = occurrenceId(dates.starts.at(i));
        if (dates.excluded.contains(id) || taken.contains(id))
            continue;
        taken.insert(id);
        const LocalTime when = localTime(dates.starts.at(i), options_.zone);
        const LocalTime end = occurrenceEnd(when, dates.ends.at(i), length, options_.zone);
        // The last day counts unless the event ends at its very beginning.
        qint64 days = when.date.daysTo(end.date) + (end.time.isValid() && end.time != QTime(0, 0) ? 1 : 0);
        days = std::clamp<qint64>(days, 1, kMaxEventDays);
        for (int d = 0; d < days; ++d) {
            const QDate day = when.date.addDays(d);
            if (day.year() < kFirstYear || day.year() > kLastYear) {
                ++outside;
                continue;
            }
            if (start.is_date && seen.contains(day))
                continue;
            seen.insert(day);
            addDay(CalendarKind::OneYearReminder, day, d == 0 ? textAt(when, text) : text);
        }
    }
    if (seen.isEmpty() && outside > 0)
        skip(describe(event, text), outsideTheYears());
    else if (outside > 0)
        skip(describe(event, text),
             (outside == 1 ? QStringLiteral("1 fecha") : QStringLiteral("%1 fechas").arg(outside)) +
                 QStringLiteral(" fuera de los años %1 a %2").arg(kFirstYear).arg(kLastYear));
}

QString repeatsEvery(const icalrecurrencetype& rule) {
    const int n = std::max<int>(rule.interval, 1);
    switch (rule.freq) {
    case ICAL_DAILY_RECURRENCE:
        return n == 1 ? QStringLiteral("cada día") : QStringLiteral("cada %1 días").arg(n);
    case ICAL_WEEKLY_RECURRENCE:
        return n == 1 ? QStringLiteral("cada semana") : QStringLiteral("cada %1 semanas").arg(n);
    case ICAL_MONTHLY_RECURRENCE:
        return n == 1 ? QStringLiteral("cada mes") : QStringLiteral("cada %1 meses").arg(n);
    default:
        break;
    }
    return n == 1 ? QStringLiteral("cada año") : QStringLiteral("cada %1 años").arg(n);
}

void CalendarReader::expandRule(icalcomponent* event, const QString& text, icalrecurrencetype rule,
                                const icaltimetype& start, QList<icaltimetype>& starts) {
    if (rule.freq == ICAL_SECONDLY_RECURRENCE || rule.freq == ICAL_MINUTELY_RECURRENCE ||
        rule.freq == ICAL_HOURLY_RECURRENCE) {
        skip(describe(event, text),
             QStringLiteral("se repite varias veces al día: solo se importa su primer día"));
        return;
    }
    if (!canEverOccur(rule))
        return;
    // The rule runs on wall-clock times; each one is placed in its zone afterwards, so a time in a
    // daylight-saving gap moves that occurrence only.
    icaltimetype first = start;
    first.zone = nullptr;
    if (!icaltime_is_null_time(rule.until) && !rule.until.is_date && start.zone && isUtc(rule.until))
        rule.until = icaltime_convert_to_zone(rule.until, const_cast<icaltimezone*>(start.zone));
    rule.until.zone = nullptr;
    // Nothing after 2100 is wanted: an endless rule ends there.
    if (rule.count == 0) {
        icaltimetype limit = first;
        limit.year = kLastYear + 1;
        limit.month = 1;
        limit.day = 1;
        if (icaltime_is_null_time(rule.until) || icaltime_compare(rule.until, limit) > 0)
            rule.until = limit;
    }
    // A rule that is not yearly is read up to two years after the import (or after its start, when it
    // starts later), and no rule gives more than a bounded number of dates.
    const QDate startDay(start.year, start.month, start.day);
    const QDate lastDay =
        rule.freq == ICAL_YEARLY_RECURRENCE
            ? QDate(kLastYear, 12, 31)
            : std::min(std::max(options_.today, startDay).addYears(2), QDate(kLastYear, 12, 31));
    std::unique_ptr<icalrecur_iterator, IteratorFree> iterator(icalrecur_iterator_new(rule, first));
    if (!iterator) {
        skip(describe(event, text),
             QStringLiteral("su regla de repetición no se puede leer: solo se importa su primera fecha"));
        return;
    }
    int count = 0;
    QDate last;
    for (icaltimetype next = icalrecur_iterator_next(iterator.get()); !icaltime_is_null_time(next);
         next = icalrecur_iterator_next(iterator.get())) {
        const QDate day(next.year, next.month, next.day);
        if (next.year > kLastYear)
            break;
        if (day > lastDay || count == kMaxDatesPerRule) {
            const QDate until = day > lastDay ? lastDay : last;
            skip(describe(event, text),
                 QStringLiteral("se repite %1: %2 hasta el %3 de %4 de %5")
                     .arg(repeatsEvery(rule), count == 1 ? QStringLiteral("importada 1 fecha")
                                                         : QStringLiteral("importadas %1 fechas").arg(count))
                     .arg(until.day())
                     .arg(monthName(until.month()).toLower())
                     .arg(until.year()));
            break;
        }
        next.zone = start.zone;
        starts.append(next);
        last = day;
        ++count;
    }
}

void CalendarReader::readJournal(icalcomponent* journal) {
    const QString text = calendarText(plainText(icalcomponent_get_summary(journal)),
                                      plainText(icalcomponent_get_description(journal)),
                                      isAgendaUid(textOf(icalcomponent_get_uid(journal))), true);
    if (text.trimmed().isEmpty()) {
        skip(describe(journal, text), QStringLiteral("no tiene texto"));
        return;
    }
    const icaltimetype start = icalcomponent_get_dtstart(journal);
    if (icaltime_is_null_time(start)) {
        skip(describe(journal, text), QStringLiteral("no tiene fecha"));
        return;
    }
    const QDate day = localTime(start, options_.zone).date;
    if (day.year() < kFirstYear || day.year() > kLastYear) {
        skip(describe(journal, text), outsideTheYears());
        return;
    }
    addDay(CalendarKind::DayNote, day, text);
}

// Reads calendar texts (a whole file, or each part of a large one) into one reading, counting the days
// and the tasks of them all.
class IcsTextReader {
public:
    explicit IcsTextReader(IcsReading& reading) : reading_(reading) {}

    // False when the file is refused (the reading's refusal says why).
    bool read(const QByteArray& text, const IcsReadOptions& options);
    qsizetype tasks() const { return tasks_; }

private:
    IcsReading& reading_;
    qsizetype days_ = 0;
    qsizetype tasks_ = 0;
};

bool IcsTextReader::read(const QByteArray& text, const IcsReadOptions& options) {
    ComponentPtr root(icalparser_parse_string(text.constData()));
    if (!root) {
        reading_.refusal = QStringLiteral("no es un calendario iCalendar");
        return false;
    }
    QList<icalcomponent*> calendars;
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars.append(root.get());
    } else {
        for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); c;
             c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            calendars.append(c);
    }
    if (calendars.isEmpty()) {
        reading_.refusal = QStringLiteral("no es un calendario iCalendar");
        return false;
    }
    for (icalcomponent* calendar : std::as_const(calendars)) {
        CalendarReader reader(options, reading_, days_);
        const bool read = reader.read(calendar);
        tasks_ += reader.tasks();
        if (!read)
            return false;
    }
    return true;
}

// The calendar's time zones, which every part of a large one carries.
QByteArray zonesOf(const CheckedText& checked) {
    QByteArray zones;
    for (const ComponentSpan& span : checked.components) {
        if (span.zone)
            zones += checked.unfolded.mid(span.from, span.to - span.from);
    }
    return zones;
}

// The items of a large calendar (by their place in `components`) in the groups that go to libical in
// one part: each item alone, or with the others of its UID where the first of them is, when one of them
// moves an occurrence of it.
QList<QList<qsizetype>> itemGroups(const QList<ComponentSpan>& components) {
    QHash<QString, QList<qsizetype>> together;
    for (const ComponentSpan& span : components) {
        if (span.moved)
            together.insert(span.uid, {});
    }
    for (qsizetype i = 0; i < components.size(); ++i) {
        if (!components.at(i).zone && together.contains(components.at(i).uid))
            together[components.at(i).uid].append(i);
    }
    QList<QList<qsizetype>> groups;
    for (qsizetype i = 0; i < components.size(); ++i) {
        const ComponentSpan& span = components.at(i);
        if (span.zone)
            continue;
        const auto group = together.constFind(span.uid);
        if (group == together.constEnd())
            groups.append(QList<qsizetype>{i});
        else if (group->constFirst() == i)
            groups.append(*group);
    }
    return groups;
}

// A large calendar goes to libical in parts of a few MB, each with the time zones and with every item of
// a UID together (an event and its moved occurrences), so that its tree never holds more than a part: 40
// MB of small events would take libical about a gigabyte.
bool readInParts(const CheckedText& checked, const IcsReadOptions& options, IcsTextReader& reader) {
    const QByteArray zones = zonesOf(checked);
    const qsizetype items = std::count_if(checked.components.cbegin(), checked.components.cend(),
                                          [](const ComponentSpan& span) { return !span.zone; });
    const qsizetype partBytes = std::max<qsizetype>(kPartBytes, 4 * zones.size());
    qsizetype done = 0;
    QByteArray part;
    qsizetype inPart = 0;
    const auto readPart = [&] {
        IcsReadOptions partOptions = options;
        if (options.progress)
            partOptions.progress = [&, offset = done](ExchangePhase phase, qsizetype partDone, qsizetype) {
                options.progress(phase, offset + partDone, items);
            };
        const bool partRead =
            reader.read("BEGIN:VCALENDAR\r\n" + zones + part + "END:VCALENDAR\r\n", partOptions);
        done += inPart;
        part.clear();
        inPart = 0;
        return partRead;
    };
    const QList<QList<qsizetype>> groups = itemGroups(checked.components);
    for (const QList<qsizetype>& group : groups) {
        for (const qsizetype i : group) {
            const ComponentSpan& span = checked.components.at(i);
            part += checked.unfolded.mid(span.from, span.to - span.from);
            ++inPart;
        }
        if (part.size() >= partBytes && !readPart())
            return false;
    }
    return inPart == 0 || readPart();
}

void preventAborts() {
    static const bool once = [] {
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    Q_UNUSED(once);
}

} // namespace

bool isAgendaUid(const QString& uid) {
    return uid.endsWith(QLatin1String("@quindara"));
}

QString calendarText(const QString& summary, const QString& description, bool ours, bool journal) {
    if (summary.trimmed().isEmpty())
        return description;
    if (description.isEmpty())
        return summary;
    if (describesWhole(summary, description))
        return description;
    // Another program changed only the first line, the one it shows; the further lines stay.
    if (ours && description.contains(u'\n'))
        return summary + u'\n' + description.mid(description.indexOf(u'\n') + 1);
    // Another program's event is what it shows; a journal entry's description is its body.
    return journal ? summary + u'\n' + description : summary;
}

IcsReading readIcs(const QByteArray& bytes, const IcsReadOptions& options) {
    IcsReading reading;
    preventAborts();
    const CheckedText checked = checkLines(bytes);
    if (!checked.refusal.isEmpty()) {
        reading.refusal = checked.refusal;
        return reading;
    }
    reading.skipped = checked.skipped;
    const qsizetype tasksAt = reading.skipped.size();
    IcsTextReader reader(reading);
    const bool read = checked.unfolded.size() <= kPartBytes ? reader.read(checked.unfolded, options)
                                                            : readInParts(checked, options, reader);
    if (!read) {
        reading.items.clear();
        return reading;
    }
    const qsizetype tasks = reader.tasks();
    if (tasks > 0)
        reading.skipped.insert(
            tasksAt, (tasks == 1 ? QStringLiteral("1 tarea") : QStringLiteral("%1 tareas").arg(tasks)) +
                         QStringLiteral(" (VTODO): la agenda no guarda tareas"));
    return reading;
}

} // namespace quindara
