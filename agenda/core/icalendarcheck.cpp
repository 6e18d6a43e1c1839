// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/icalendarparts.h"

#include "agenda/core/contentline.h"
#include "agenda/core/daykeys.h"
#include "common/textfile.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>

namespace quindara {

namespace {

// Limits that keep any input, however odd, to a few seconds of work.
constexpr qsizetype kMaxFileBytes = 64 * 1024 * 1024;
constexpr qsizetype kMaxLineChars = 1024 * 1024;
constexpr qsizetype kMaxNesting = 100;
// Lines of one event the reader keeps; more make libical slow and are no real event.
constexpr qsizetype kMaxItemLines = 10000;

// An event or journal being checked: its lines are taken back out when it holds a character the format
// does not allow, so one damaged item costs only itself.
struct CheckedItem {
    qsizetype from = -1; // where its lines begin in the unfolded text; -1 outside any item
    QString problem;
    QString summary;
    QString description;
    QString start;
    QString uid;
    bool moved = false;

    QString describe() const {
        QString text = unescapeContentText(summary);
        if (text.trimmed().isEmpty())
            text = unescapeContentText(description);
        QString what = text.isEmpty() ? QStringLiteral("(sin texto)") : firstLine(text);
        const QDate date = QDate::fromString(start.left(8), u"yyyyMMdd");
        if (date.isValid())
            what += QStringLiteral(", ") + datedKey(date);
        return what;
    }
};

bool isMappedText(QStringView name) {
    return name == u"SUMMARY" || name == u"DESCRIPTION";
}

// Where the value of a content line begins: after the first colon outside a quoted parameter value.
qsizetype valueStart(const QString& line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == u'"')
            quoted = !quoted;
        else if (line.at(i) == u':' && !quoted)
            return i + 1;
    }
    return -1;
}

QString withTextEdges(QString line) {
    line.remove(QChar(kTextEdge));
    const qsizetype at = valueStart(line);
    return at < 0 ? line : line.left(at) + QChar(kTextEdge) + line.mid(at) + QChar(kTextEdge);
}

bool isPropertyName(QStringView name) {
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-')
            return false;
    }
    return true;
}

// Where the value of a content line begins: after the first colon outside a quoted parameter.
qsizetype valueColon(QStringView line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == u'"')
            quoted = !quoted;
        else if (line.at(i) == u':' && !quoted)
            return i;
    }
    return -1;
}

bool allDigits(QStringView text) {
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return !text.isEmpty();
}

bool isDateValue(QStringView text) {
    return text.size() == 8 && allDigits(text) &&
           QDate(text.left(4).toInt(), text.mid(4, 2).toInt(), text.mid(6, 2).toInt()).isValid();
}

bool isDateTimeValue(QStringView text) {
    if (text.endsWith(u'Z'))
        text.chop(1);
    if (text.size() != 15 || text.at(8) != u'T' || !isDateValue(text.left(8)) || !allDigits(text.mid(9)))
        return false;
    return text.mid(9, 2).toInt() < 24 && text.mid(11, 2).toInt() < 60 && text.mid(13, 2).toInt() <= 60;
}

bool isDurationValue(QStringView text) {
    static const QRegularExpression pattern(
        QStringLiteral("^[+-]?P(\\d+W|\\d+D(T(\\d+H)?(\\d+M)?(\\d+S)?)?|T(\\d+H)?(\\d+M)?(\\d+S)?)$"));
    return !text.endsWith(u'T') && text != u"PT" && pattern.match(text).hasMatch();
}

// The length a valid duration gives, in seconds, saturated far beyond any date the agenda holds: libical
// keeps it in an int, which P24856D already overflows.
qint64 durationSeconds(QStringView text) {
    constexpr qint64 kCeiling = qint64(1) << 50;
    qint64 total = 0;
    qint64 number = 0;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9') {
            number = std::min(kCeiling, number * 10 + (c.unicode() - u'0'));
            continue;
        }
        const qint64 unit = c == u'W' ? 7 * 86400 : c == u'D' ? 86400 : c == u'H' ? 3600 : c == u'M' ? 60 : 1;
        if (c == u'W' || c == u'D' || c == u'H' || c == u'M' || c == u'S')
            total = std::min(kCeiling, total + std::min(kCeiling / unit, number) * unit);
        number = 0;
    }
    return total;
}

bool isTooLong(QStringView duration) {
    return !duration.startsWith(u'-') && durationSeconds(duration) > qint64(kMaxEventDays) * 86400;
}

// Why the value of a date, duration or rule property of an event cannot be read; empty when it can, or
// when the property is none of those. Checked here because libical reads "2026052X" as 2 May.
QString badValueReason(const QString& name, QStringView parameters, QStringView value) {
    const bool dated = name == u"DTSTART" || name == u"DTEND" || name == u"RECURRENCE-ID" ||
                       name == u"EXDATE" || name == u"RDATE" || name == u"DUE";
    if (dated) {
        const QString upper = parameters.toString().toUpper();
        const bool dateOnly =
            upper.contains(QLatin1String("VALUE=DATE")) && !upper.contains(QLatin1String("VALUE=DATE-TIME"));
        const bool period = upper.contains(QLatin1String("VALUE=PERIOD"));
        for (const QStringView entry : value.split(u',')) {
            bool good = false;
            if (period) {
                const qsizetype slash = entry.indexOf(u'/');
                good = slash > 0 && isDateTimeValue(entry.left(slash)) &&
                       (isDateTimeValue(entry.mid(slash + 1)) || isDurationValue(entry.mid(slash + 1)));
                if (good && isDurationValue(entry.mid(slash + 1)) && isTooLong(entry.mid(slash + 1)))
                    return QStringLiteral("dura más de un año");
            } else {
                good = isDateValue(entry) || (!dateOnly && isDateTimeValue(entry));
            }
            if (!good)
                return QStringLiteral("fecha no válida en %1: %2").arg(name, value.toString());
        }
    } else if (name == u"DURATION") {
        if (!isDurationValue(value))
            return QStringLiteral("duración no válida: %1").arg(value.toString());
        if (isTooLong(value))
            return QStringLiteral("dura más de un año");
    } else if (name == u"RRULE") {
        static const QStringList frequencies = {QStringLiteral("SECONDLY"), QStringLiteral("MINUTELY"),
                                                QStringLiteral("HOURLY"),   QStringLiteral("DAILY"),
                                                QStringLiteral("WEEKLY"),   QStringLiteral("MONTHLY"),
                                                QStringLiteral("YEARLY")};
        bool good = false;
        for (const QStringView part : value.split(u';')) {
            const QStringView partValue = part.mid(part.indexOf(u'=') + 1);
            if (part.startsWith(QLatin1String("FREQ="), Qt::CaseInsensitive))
                good = frequencies.contains(partValue.toString().toUpper());
            else if (part.startsWith(QLatin1String("UNTIL="), Qt::CaseInsensitive) &&
                     !isDateValue(partValue) && !isDateTimeValue(partValue))
                return QStringLiteral("regla de repetición no válida: %1").arg(value.toString());
        }
        if (!good)
            return QStringLiteral("regla de repetición no válida: %1").arg(value.toString());
    }
    return QString();
}

// The components the reader looks at: events and journals (without their alarms), the time zones they
// name, and tasks, only counted. `open` ends with the component just begun.
bool keepsComponent(const QStringList& open) {
    static const QStringList top = {QStringLiteral("VEVENT"), QStringLiteral("VJOURNAL"),
                                    QStringLiteral("VTIMEZONE"), QStringLiteral("VTODO")};
    if (open.size() <= 1)
        return true;
    if (open.size() == 2)
        return top.contains(open.at(1));
    return open.size() == 3 && open.at(1) == u"VTIMEZONE" &&
           (open.at(2) == u"STANDARD" || open.at(2) == u"DAYLIGHT");
}

// The properties the reader (or libical, for a time zone) reads, by the component they are in.
bool keepsProperty(const QStringList& open, const QString& name) {
    static const QSet<QString> item = {
        QStringLiteral("UID"),     QStringLiteral("SUMMARY"),       QStringLiteral("DESCRIPTION"),
        QStringLiteral("DTSTART"), QStringLiteral("DTEND"),         QStringLiteral("DURATION"),
        QStringLiteral("RRULE"),   QStringLiteral("RDATE"),         QStringLiteral("EXDATE"),
        QStringLiteral("STATUS"),  QStringLiteral("RECURRENCE-ID"), QStringLiteral("CATEGORIES")};
    static const QSet<QString> zone = {QStringLiteral("TZID"), QStringLiteral("X-LIC-LOCATION")};
    static const QSet<QString> rule = {QStringLiteral("DTSTART"),    QStringLiteral("TZOFFSETFROM"),
                                       QStringLiteral("TZOFFSETTO"), QStringLiteral("RRULE"),
                                       QStringLiteral("RDATE"),      QStringLiteral("TZNAME")};
    if (open.size() == 2 && (open.at(1) == u"VEVENT" || open.at(1) == u"VJOURNAL"))
        return item.contains(name);
    if (open.size() == 2 && open.at(1) == u"VTIMEZONE")
        return zone.contains(name);
    return open.size() == 3 && rule.contains(name);
}

} // namespace

CheckedText checkLines(const QByteArray& bytes) {
    CheckedText checked;
    if (bytes.size() > kMaxFileBytes) {
        checked.refusal = QStringLiteral("el archivo es demasiado grande (más de 64 MB)");
        return checked;
    }
    // Told apart at once, before any work on a file of another kind, however large.
    qsizetype first = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (first < bytes.size() && (bytes.at(first) == '\r' || bytes.at(first) == '\n'))
        ++first;
    const bool calendar = bytes.mid(first, 15).toUpper().startsWith("BEGIN:VCALENDAR");
    // A NUL in a calendar is a damaged item, left out below; elsewhere it is a file of another kind.
    if (!calendar && bytes.contains('\0')) {
        checked.refusal = QStringLiteral("no es un archivo de texto");
        return checked;
    }
    if (!calendar) {
        checked.refusal = QStringLiteral("no es un calendario iCalendar (no empieza por BEGIN:VCALENDAR)");
        return checked;
    }
    QString text = common::decodeText(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    // One logical line at a time (a folded line joined), so that a file of millions of short lines costs
    // no more than its text.
    qsizetype pos = 0;
    int physical = 0;
    const auto nextPhysical = [&](QStringView& line) {
        qsizetype end = pos;
        while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
            ++end;
        line = QStringView(text).mid(pos, end - pos);
        ++physical;
        pos = end;
        if (pos < text.size() && text.at(pos) == u'\r')
            ++pos;
        if (pos < text.size() && text.at(pos) == u'\n')
            ++pos;
    };
    const auto continues = [&] {
        return pos < text.size() && (text.at(pos) == u' ' || text.at(pos) == u'\t');
    };

    QStringList open;
    bool sawCalendar = false;
    QByteArray out;
    out.reserve(bytes.size() / 4);
    CheckedItem item;
    // Lines from this depth on are never read and never reach libical: a component of a kind the agenda
    // does not keep, an event's alarms.
    qsizetype droppedFrom = 0;
    qsizetype componentFrom = 0;
    qsizetype itemLines = 0;
    while (pos < text.size()) {
        QStringView first;
        nextPhysical(first);
        const int number = physical;
        QString logical = first.toString();
        while (continues()) {
            QStringView more;
            nextPhysical(more);
            logical += more.mid(1);
            if (logical.size() > kMaxLineChars) {
                checked.refusal =
                    QStringLiteral("la línea %1 es demasiado larga (más de un millón de caracteres)")
                        .arg(number);
                return checked;
            }
        }
        if (logical.size() > kMaxLineChars) {
            checked.refusal =
                QStringLiteral("la línea %1 es demasiado larga (más de un millón de caracteres)").arg(number);
            return checked;
        }
        const qsizetype control = forbiddenControlAt(QStringView(logical));
        const char16_t controlChar = control >= 0 ? logical.at(control).unicode() : 0;
        // Checked without them; an item holding one is left out at its END, a line outside items (the
        // calendar's own properties) goes on without them.
        const QString line = control >= 0 ? withoutForbiddenControls(logical) : logical;
        if (line.trimmed().isEmpty())
            continue;
        const qsizetype colon = line.indexOf(u':');
        qsizetype nameEnd = line.indexOf(u';');
        if (nameEnd < 0 || (colon >= 0 && colon < nameEnd))
            nameEnd = colon;
        if (colon < 0 || !isPropertyName(QStringView(line).left(nameEnd))) {
            checked.refusal = sawCalendar
                                  ? QStringLiteral("la línea %1 no es una línea de iCalendar").arg(number)
                                  : QStringLiteral("no es un calendario iCalendar (no empieza por "
                                                   "BEGIN:VCALENDAR)");
            return checked;
        }
        const QString name = line.left(nameEnd).toUpper();
        const QString value = line.mid(colon + 1).trimmed().toUpper();
        if (open.isEmpty() && !(name == u"BEGIN" && value == u"VCALENDAR")) {
            checked.refusal =
                sawCalendar ? QStringLiteral("hay texto después de END:VCALENDAR (línea %1)").arg(number)
                            : QStringLiteral("no es un calendario iCalendar (no empieza por "
                                             "BEGIN:VCALENDAR)");
            return checked;
        }
        bool kept = droppedFrom == 0;
        if (name == u"BEGIN") {
            if (value.isEmpty() || (value == u"VCALENDAR" && !open.isEmpty())) {
                checked.refusal =
                    QStringLiteral("BEGIN:%1 mal anidado en la línea %2").arg(value).arg(number);
                return checked;
            }
            // libical builds and frees nested components by recursion: a deep nesting would overflow the
            // stack. Calendars nest four deep at most.
            if (open.size() >= kMaxNesting) {
                checked.refusal =
                    QStringLiteral("tiene más de %1 bloques BEGIN anidados unos dentro de otros (línea %2)")
                        .arg(kMaxNesting)
                        .arg(number);
                return checked;
            }
            open.append(value);
            sawCalendar = true;
            if (open.size() == 2)
                componentFrom = out.size();
            if (kept && !keepsComponent(open)) {
                droppedFrom = open.size();
                kept = false;
            }
            if (kept && open.size() == 2 && (value == u"VEVENT" || value == u"VJOURNAL")) {
                item = CheckedItem{out.size(), {}, {}, {}, {}, {}, false};
                itemLines = 0;
            }
        } else if (name == u"END") {
            if (open.last() != value) {
                checked.refusal = QStringLiteral("END:%1 en la línea %2 no cierra BEGIN:%3")
                                      .arg(value)
                                      .arg(number)
                                      .arg(open.last());
                return checked;
            }
            if (droppedFrom == open.size())
                droppedFrom = 0;
            open.removeLast();
        } else if (kept) {
            const qsizetype at = valueColon(line);
            const QString itemValue = line.mid(at + 1).trimmed();
            if (open.size() == 2 && item.from >= 0) {
                if (name == u"SUMMARY")
                    item.summary = line.mid(at + 1);
                else if (name == u"DESCRIPTION")
                    item.description = line.mid(at + 1);
                else if (name == u"DTSTART")
                    item.start = itemValue;
                else if (name == u"UID")
                    item.uid = itemValue;
                else if (name == u"RECURRENCE-ID")
                    item.moved = true;
                if (item.problem.isEmpty() && at >= nameEnd)
                    item.problem =
                        badValueReason(name, QStringView(line).mid(nameEnd, at - nameEnd), itemValue);
            }
            // What the reader never looks at, and empty values (which libical handles slowly), stay out.
            kept = !itemValue.isEmpty() && keepsProperty(open, name);
            if (kept && item.from >= 0 && item.problem.isEmpty() && ++itemLines > kMaxItemLines)
                item.problem = QStringLiteral("tiene más de %L1 líneas").arg(kMaxItemLines);
        }
        if (control >= 0 && item.from >= 0 && item.problem.isEmpty())
            item.problem = forbiddenControlReason(controlChar);
        if (kept) {
            out += (isMappedText(name) ? withTextEdges(line) : line).toUtf8();
            out += "\r\n";
        }
        bool truncated = false;
        if (open.size() == 1 && item.from >= 0) {
            if (!item.problem.isEmpty()) {
                out.truncate(item.from);
                truncated = true;
                checked.skipped.append(QStringLiteral("«%1»: %2").arg(item.describe(), item.problem));
            }
            checked.components.append({componentFrom, out.size(), false, item.uid, item.moved});
            item = CheckedItem();
        } else if (kept && name == u"END" && open.size() == 1) {
            checked.components.append({componentFrom, out.size(), value == u"VTIMEZONE", QString(), false});
        }
        if (truncated)
            checked.components.removeLast();
    }
    if (!sawCalendar) {
        checked.refusal = QStringLiteral("no es un calendario iCalendar (está vacío)");
        return checked;
    }
    if (!open.isEmpty()) {
        checked.refusal = QStringLiteral("el archivo está cortado: falta END:%1").arg(open.last());
        return checked;
    }
    checked.unfolded = out;
    return checked;
}

} // namespace quindara
