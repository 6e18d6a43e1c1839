// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/formats/icalendarparts.h"

#include "agenda/core/days/daykeys.h"
#include "agenda/core/formats/contentline.h"
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

bool isMappedText(QStringView name) {
    return name == u"SUMMARY" || name == u"DESCRIPTION";
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

QString withTextEdges(QString line) {
    line.remove(QChar(kTextEdge));
    const qsizetype colon = valueColon(line);
    return colon < 0 ? line
                     : line.left(colon + 1) + QChar(kTextEdge) + line.mid(colon + 1) + QChar(kTextEdge);
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

    // Keeps what describing the item needs of one of its property lines, and the first reason a value
    // cannot be read. The parameters run from `nameEnd` to `colon`, where the value begins.
    void take(const QString& name, const QString& line, qsizetype nameEnd, qsizetype colon) {
        const QString value = line.mid(colon + 1).trimmed();
        if (name == u"SUMMARY")
            summary = line.mid(colon + 1);
        else if (name == u"DESCRIPTION")
            description = line.mid(colon + 1);
        else if (name == u"DTSTART")
            start = value;
        else if (name == u"UID")
            uid = value;
        else if (name == u"RECURRENCE-ID")
            moved = true;
        if (problem.isEmpty() && colon >= nameEnd)
            problem = badValueReason(name, QStringView(line).mid(nameEnd, colon - nameEnd), value);
    }

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

QString noCalendarStart() {
    return QStringLiteral("no es un calendario iCalendar (no empieza por BEGIN:VCALENDAR)");
}

// Why the bytes are refused before any line is read: too many, or a file of another kind; empty when
// they may be a calendar.
QString refusalBeforeLines(const QByteArray& bytes) {
    if (bytes.size() > kMaxFileBytes)
        return QStringLiteral("el archivo es demasiado grande (más de 64 MB)");
    // Told apart at once, before any work on a file of another kind, however large.
    qsizetype first = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (first < bytes.size() && (bytes.at(first) == '\r' || bytes.at(first) == '\n'))
        ++first;
    if (bytes.mid(first, 15).toUpper().startsWith("BEGIN:VCALENDAR"))
        return QString();
    // A NUL in a calendar is a damaged item, left out later; elsewhere it is a file of another kind.
    if (bytes.contains('\0'))
        return QStringLiteral("no es un archivo de texto");
    return noCalendarStart();
}

// The logical lines of a text one at a time (a folded line joined), so that a file of millions of short
// lines costs no more than its text.
class UnfoldedLines {
public:
    explicit UnfoldedLines(const QString& text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    // The next line, and in `number` the physical line it begins on. Joining stops once the line is
    // longer than kMaxLineChars, which refuses the file.
    QString next(int& number) {
        QString logical = nextPhysical().toString();
        number = physical_;
        while (continues() && logical.size() <= kMaxLineChars)
            logical += nextPhysical().mid(1);
        return logical;
    }

private:
    QStringView nextPhysical() {
        qsizetype end = pos_;
        while (end < text_.size() && text_.at(end) != u'\r' && text_.at(end) != u'\n')
            ++end;
        const QStringView line = QStringView(text_).mid(pos_, end - pos_);
        ++physical_;
        pos_ = end;
        if (pos_ < text_.size() && text_.at(pos_) == u'\r')
            ++pos_;
        if (pos_ < text_.size() && text_.at(pos_) == u'\n')
            ++pos_;
        return line;
    }

    bool continues() const {
        return pos_ < text_.size() && (text_.at(pos_) == u' ' || text_.at(pos_) == u'\t');
    }

    const QString& text_;
    qsizetype pos_ = 0;
    int physical_ = 0;
};

// Checks a calendar's logical lines one after another, gathering the lines libical is to read.
class LineChecker {
public:
    explicit LineChecker(qsizetype expectedBytes) { out_.reserve(expectedBytes); }

    // False when the line refuses the file.
    bool take(const QString& logical, int number);
    bool refuse(const QString& why) {
        checked_.refusal = why;
        return false;
    }
    // What the check found once every line is taken: a refusal too when the calendar is empty or cut.
    CheckedText finish();

private:
    bool begin(const QString& component, int number);
    bool end(const QString& component, int number);
    // Whether the property line goes to libical.
    bool takeProperty(const QString& line, const QString& name, qsizetype nameEnd);
    // After the END of one of the calendar's components: where it lies, or a damaged item taken back out.
    void closeComponent(bool kept, const QString& component);

    CheckedText checked_;
    QStringList open_; // the components begun and not ended, the calendar first
    bool sawCalendar_ = false;
    QByteArray out_;
    CheckedItem item_;
    // Lines from this depth on are never read and never reach libical: a component of a kind the agenda
    // does not keep, an event's alarms.
    qsizetype droppedFrom_ = 0;
    qsizetype componentFrom_ = 0;
    qsizetype itemLines_ = 0;
};

bool LineChecker::take(const QString& logical, int number) {
    const qsizetype control = forbiddenControlAt(QStringView(logical));
    // Checked without them; an item holding one is left out at its END, a line outside items (the
    // calendar's own properties) goes on without them.
    const QString line = control >= 0 ? withoutForbiddenControls(logical) : logical;
    if (line.trimmed().isEmpty())
        return true;
    const qsizetype colon = line.indexOf(u':');
    qsizetype nameEnd = line.indexOf(u';');
    if (nameEnd < 0 || (colon >= 0 && colon < nameEnd))
        nameEnd = colon;
    if (colon < 0 || !isPropertyName(QStringView(line).left(nameEnd)))
        return refuse(sawCalendar_ ? QStringLiteral("la línea %1 no es una línea de iCalendar").arg(number)
                                   : noCalendarStart());
    const QString name = line.left(nameEnd).toUpper();
    const QString value = line.mid(colon + 1).trimmed().toUpper();
    if (open_.isEmpty() && !(name == u"BEGIN" && value == u"VCALENDAR"))
        return refuse(sawCalendar_
                          ? QStringLiteral("hay texto después de END:VCALENDAR (línea %1)").arg(number)
                          : noCalendarStart());
    bool kept = droppedFrom_ == 0;
    if (name == u"BEGIN") {
        if (!begin(value, number))
            return false;
        kept = droppedFrom_ == 0;
    } else if (name == u"END") {
        if (!end(value, number))
            return false;
    } else if (kept) {
        kept = takeProperty(line, name, nameEnd);
    }
    if (control >= 0 && item_.from >= 0 && item_.problem.isEmpty())
        item_.problem = forbiddenControlReason(logical.at(control).unicode());
    if (kept) {
        out_ += (isMappedText(name) ? withTextEdges(line) : line).toUtf8();
        out_ += "\r\n";
    }
    if (name == u"END" && open_.size() == 1)
        closeComponent(kept, value);
    return true;
}

bool LineChecker::begin(const QString& component, int number) {
    if (component.isEmpty() || (component == u"VCALENDAR" && !open_.isEmpty()))
        return refuse(QStringLiteral("BEGIN:%1 mal anidado en la línea %2").arg(component).arg(number));
    // libical builds and frees nested components by recursion: a deep nesting would overflow the stack.
    // Calendars nest four deep at most.
    if (open_.size() >= kMaxNesting)
        return refuse(QStringLiteral("tiene más de %1 bloques BEGIN anidados unos dentro de otros (línea %2)")
                          .arg(kMaxNesting)
                          .arg(number));
    open_.append(component);
    sawCalendar_ = true;
    if (open_.size() == 2)
        componentFrom_ = out_.size();
    if (droppedFrom_ == 0 && !keepsComponent(open_))
        droppedFrom_ = open_.size();
    if (droppedFrom_ == 0 && open_.size() == 2 && (component == u"VEVENT" || component == u"VJOURNAL")) {
        item_ = CheckedItem();
        item_.from = out_.size();
        itemLines_ = 0;
    }
    return true;
}

bool LineChecker::end(const QString& component, int number) {
    if (open_.last() != component)
        return refuse(QStringLiteral("END:%1 en la línea %2 no cierra BEGIN:%3")
                          .arg(component)
                          .arg(number)
                          .arg(open_.last()));
    if (droppedFrom_ == open_.size())
        droppedFrom_ = 0;
    open_.removeLast();
    return true;
}

bool LineChecker::takeProperty(const QString& line, const QString& name, qsizetype nameEnd) {
    const qsizetype colon = valueColon(line);
    if (open_.size() == 2 && item_.from >= 0)
        item_.take(name, line, nameEnd, colon);
    // What the reader never looks at, and empty values (which libical handles slowly), stay out.
    const bool kept = !line.mid(colon + 1).trimmed().isEmpty() && keepsProperty(open_, name);
    if (kept && item_.from >= 0 && item_.problem.isEmpty() && ++itemLines_ > kMaxItemLines)
        item_.problem = QStringLiteral("tiene más de %L1 líneas").arg(kMaxItemLines);
    return kept;
}

void LineChecker::closeComponent(bool kept, const QString& component) {
    if (item_.from >= 0) {
        if (item_.problem.isEmpty()) {
            checked_.components.append({componentFrom_, out_.size(), false, item_.uid, item_.moved});
        } else {
            out_.truncate(item_.from);
            checked_.skipped.append(QStringLiteral("«%1»: %2").arg(item_.describe(), item_.problem));
        }
        item_ = CheckedItem();
    } else if (kept) {
        checked_.components.append(
            {componentFrom_, out_.size(), component == u"VTIMEZONE", QString(), false});
    }
}

CheckedText LineChecker::finish() {
    if (checked_.refusal.isEmpty()) {
        if (!sawCalendar_)
            checked_.refusal = QStringLiteral("no es un calendario iCalendar (está vacío)");
        else if (!open_.isEmpty())
            checked_.refusal = QStringLiteral("el archivo está cortado: falta END:%1").arg(open_.last());
        else
            checked_.unfolded = out_;
    }
    return checked_;
}

} // namespace

CheckedText checkLines(const QByteArray& bytes) {
    CheckedText checked;
    checked.refusal = refusalBeforeLines(bytes);
    if (!checked.refusal.isEmpty())
        return checked;
    QString text = common::decodeText(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    UnfoldedLines lines(text);
    LineChecker checker(bytes.size() / 4);
    for (bool going = true; going && !lines.atEnd();) {
        int number = 0;
        const QString line = lines.next(number);
        going = line.size() > kMaxLineChars
                    ? checker.refuse(
                          QStringLiteral("la línea %1 es demasiado larga (más de un millón de caracteres)")
                              .arg(number))
                    : checker.take(line, number);
    }
    return checker.finish();
}

} // namespace quindara
