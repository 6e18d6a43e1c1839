// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/sync/davitems.h"

#include "agenda/core/contacts/addressbookfolder.h"
#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/days/daykeyparsing.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/formats/vcard.h"
#include "common/folderindex.h"
#include "common/outsidechange.h"
#include "common/programfolder.h"
#include "common/textfile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <libical/ical.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace quindara {

namespace {

// The copies of contact `name` in its categories that hold what its card in "Todos" (`cardPath`) holds:
// they follow that card when it changes or goes.
QStringList categoryCopiesOfCard(const DataFolder& data, const QString& name, const QString& cardPath) {
    QStringList copies;
    const std::optional<QStringList> card = readContactCard(cardPath);
    if (!card)
        return copies;
    const AddressBookFolder book(data.folder(folders::addressBook));
    const QString cardFile = QFileInfo(cardPath).absoluteFilePath();
    for (const QString& category : book.categories()) {
        const QString copy = QDir(book.categoryPath(category)).filePath(name);
        if (QFileInfo(copy).absoluteFilePath() != cardFile && readContactCard(copy) == card)
            copies.append(copy);
    }
    return copies;
}

const QString kContactPrefix = QStringLiteral("contacto/");

const char* prefixOf(CalendarKind kind) {
    switch (kind) {
    case CalendarKind::Holiday:
        return "fiesta";
    case CalendarKind::YearlyReminder:
        return "recordatorio";
    case CalendarKind::OneYearReminder:
        return "recordatorionoanual";
    case CalendarKind::DayNote:
        break;
    }
    return "nota";
}

bool isAnnual(CalendarKind kind) {
    return kind == CalendarKind::Holiday || kind == CalendarKind::YearlyReminder;
}

// Digits of `n` (0 to 9999) into `out`, at least `width` of them; the count written.
int putDigits(char16_t* out, int n, int width) {
    char16_t digits[4];
    int count = 0;
    do {
        digits[count++] = char16_t(u'0' + n % 10);
        n /= 10;
    } while (n > 0 && count < 4);
    while (count < width)
        digits[count++] = u'0';
    for (int i = 0; i < count; ++i)
        out[i] = digits[count - 1 - i];
    return count;
}

// `prefix` and `date` as "MM-dd" or "yyyy-MM-dd", or as "d/M" or "d/M/yyyy" for people, in one string.
// QDate::toString goes through the calendar's and the locale's formatting, which cost most of naming every
// item of a run; it is kept for years that are not four digits.
QString dayText(const QString& prefix, const QDate& date, bool key, bool withYear) {
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 1000 || year > 9999)
        return prefix +
               date.toString(key ? (withYear ? u"yyyy-MM-dd" : u"MM-dd") : (withYear ? u"d/M/yyyy" : u"d/M"));
    char16_t text[10];
    int length = 0;
    if (key) {
        if (withYear) {
            length += putDigits(text, year, 4);
            text[length++] = u'-';
        }
        length += putDigits(text + length, month, 2);
        text[length++] = u'-';
        length += putDigits(text + length, day, 2);
    } else {
        length += putDigits(text, day, 1);
        text[length++] = u'/';
        length += putDigits(text + length, month, 1);
        if (withYear) {
            text[length++] = u'/';
            length += putDigits(text + length, year, 4);
        }
    }
    QString result;
    result.reserve(prefix.size() + length);
    result.append(prefix);
    result.append(reinterpret_cast<const QChar*>(text), length);
    return result;
}

QString calendarKey(const CalendarItem& item) {
    static const std::array<QString, 4> prefixes = {
        QLatin1String(prefixOf(CalendarKind::Holiday)) + u'/',
        QLatin1String(prefixOf(CalendarKind::YearlyReminder)) + u'/',
        QLatin1String(prefixOf(CalendarKind::OneYearReminder)) + u'/',
        QLatin1String(prefixOf(CalendarKind::DayNote)) + u'/'};
    return dayText(prefixes.at(size_t(item.kind)), item.date, true, !isAnnual(item.kind));
}

// The kind and day a calendar key names; an invalid date when it names none.
CalendarItem itemOfKey(const QString& key) {
    CalendarItem item;
    const QString prefix = key.section(u'/', 0, 0);
    const QString day = key.section(u'/', 1);
    for (const CalendarKind kind : {CalendarKind::Holiday, CalendarKind::YearlyReminder,
                                    CalendarKind::OneYearReminder, CalendarKind::DayNote}) {
        if (prefix == QLatin1String(prefixOf(kind))) {
            item.kind = kind;
            item.date = isAnnual(kind) ? QDate::fromString(QStringLiteral("2000-") + day, u"yyyy-MM-dd")
                                       : QDate::fromString(day, u"yyyy-MM-dd");
        }
    }
    return item;
}

DayTextKind textKindOf(CalendarKind kind) {
    return kind == CalendarKind::Holiday          ? DayTextKind::Holiday
           : kind == CalendarKind::YearlyReminder ? DayTextKind::YearlyReminder
                                                  : DayTextKind::OneYearReminder;
}

QString describe(const CalendarItem& item) {
    static const char* const names[] = {"fiesta ", "recordatorio ", "recordatorio de un año ",
                                        "nota del día "};
    static const std::array<QString, 4> prefixes = {QString::fromUtf8(names[0]), QString::fromUtf8(names[1]),
                                                    QString::fromUtf8(names[2]), QString::fromUtf8(names[3])};
    return dayText(prefixes.at(size_t(item.kind)), item.date, false, !isAnnual(item.kind));
}

// The values of a field of numbers or addresses, whether joined with ", " or kept as both versions
// with " / ", joined with ", " as the card writer gives each its own property.
QString separateValues(const QString& field) {
    QStringList values;
    for (const QString& kept : field.split(QStringLiteral(" / "))) {
        for (const QString& value : kept.split(QStringLiteral(", "))) {
            if (!value.trimmed().isEmpty() && !values.contains(value.trimmed()))
                values.append(value.trimmed());
        }
    }
    return values.join(QStringLiteral(", "));
}

QStringList asStoredFields(const QStringList& fields) {
    return contactFieldsFromLines(contactLinesFromFields(fields));
}

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

icalcomponent* firstItem(icalcomponent* root) {
    if (!root)
        return nullptr;
    const icalcomponent_kind own = icalcomponent_isa(root);
    if (own == ICAL_VEVENT_COMPONENT || own == ICAL_VJOURNAL_COMPONENT)
        return root;
    for (icalcomponent_kind kind : {ICAL_VEVENT_COMPONENT, ICAL_VJOURNAL_COMPONENT}) {
        if (icalcomponent* c = icalcomponent_get_first_component(root, kind))
            return c;
    }
    return nullptr;
}

// `previous` with the text (SUMMARY, DESCRIPTION, DTSTAMP) of `fresh`; everything else it carried stays.
QByteArray patchedIcs(const QByteArray& previous, const QByteArray& fresh) {
    Component old(icalparser_parse_string(previous.constData()));
    Component made(icalparser_parse_string(fresh.constData()));
    icalcomponent* target = firstItem(old.get());
    icalcomponent* source = firstItem(made.get());
    if (!target || !source)
        return fresh;
    // A description of the server's own that the agenda never showed stays, unless the new text needs it
    // for its further lines; one whose lines the agenda shows is the agenda's.
    const QString summary = QString::fromUtf8(icalcomponent_get_summary(target));
    const QString description = QString::fromUtf8(icalcomponent_get_description(target));
    const bool ownDescription =
        description.isEmpty() || description == summary ||
        calendarText(summary, description, isAgendaUid(QString::fromUtf8(icalcomponent_get_uid(target))),
                     icalcomponent_isa(target) == ICAL_VJOURNAL_COMPONENT) != summary ||
        QString::fromUtf8(icalcomponent_get_description(source)).contains(u'\n');
    QList<icalproperty_kind> replaced = {ICAL_SUMMARY_PROPERTY, ICAL_DTSTAMP_PROPERTY};
    if (ownDescription)
        replaced.append(ICAL_DESCRIPTION_PROPERTY);
    for (const icalproperty_kind kind : replaced) {
        while (icalproperty* p = icalcomponent_get_first_property(target, kind)) {
            icalcomponent_remove_property(target, p);
            icalproperty_free(p);
        }
        for (icalproperty* p = icalcomponent_get_first_property(source, kind); p;
             p = icalcomponent_get_next_property(source, kind))
            icalcomponent_add_property(target, icalproperty_new_clone(p));
    }
    char* text = icalcomponent_as_ical_string_r(old.get());
    QByteArray out(text);
    icalmemory_free_buffer(text);
    return out;
}

// Properties of a server card the agenda has no field for and keeps as they were: a photo, keys, sounds,
// and any extension.
bool keptFromServerCard(const QByteArray& line) {
    static const QList<QByteArray> kept = {"PHOTO",  "LOGO",    "SOUND",        "KEY",   "GEO",
                                           "TZ",     "KIND",    "GENDER",       "LANG",  "IMPP",
                                           "MEMBER", "RELATED", "CLIENTPIDMAP", "SOURCE"};
    qsizetype end = 0;
    while (end < line.size() && line.at(end) != ':' && line.at(end) != ';')
        ++end;
    QByteArray name = line.left(end).toUpper();
    if (const qsizetype dot = name.indexOf('.'); dot >= 0)
        name = name.mid(dot + 1);
    return name.startsWith("X-") || kept.contains(name);
}

// `fresh` with the properties of `previous` the agenda keeps no field for, lines as folded there.
QByteArray patchedVCard(const QByteArray& previous, const QByteArray& fresh) {
    QByteArray keep;
    bool keeping = false;
    for (const QByteArray& raw : previous.split('\n')) {
        QByteArray line = raw;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (line.at(0) == ' ' || line.at(0) == '\t') {
            if (keeping)
                keep += line + "\r\n";
            continue;
        }
        keeping = keptFromServerCard(line);
        if (keeping)
            keep += line + "\r\n";
    }
    const qsizetype end = fresh.lastIndexOf("END:VCARD");
    return end < 0 ? fresh : fresh.left(end) + keep + fresh.mid(end);
}

QString safeHrefName(QString uid) {
    uid.remove(QStringLiteral("urn:uuid:"));
    for (QChar& c : uid) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'.' && c != u'_')
            c = u'-';
    }
    return uid;
}

// Size and modification time of the file; empty while the file may still be changed within the same tick of
// the clock, so that a stamp never hides a change.
QByteArray stampOf(const struct stat& info, qint64 nowMs) {
    const qint64 modified = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
    if (nowMs - modified < 3000)
        return {};
    QByteArray stamp = QByteArray::number(qint64(info.st_size));
    stamp += '-';
    stamp += QByteArray::number(modified);
    return stamp;
}

struct ListedFile {
    QString name;
    QByteArray stamp;
};

// The regular files of `folder` (links followed, hidden ones left out) in the order of their names, with
// one readdir pass and one stat each relative to the open folder: Qt's file infos stat again and convert
// every time to local time, which was most of a run that found nothing changed.
QList<ListedFile> listFiles(const QString& folder, Qt::CaseSensitivity order) {
    QList<ListedFile> files;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return files;
    const int dirFd = ::dirfd(dir);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    std::vector<std::pair<QByteArray, QByteArray>> names; // as stored, and the stamp
    bool ascii = true;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat info;
        if (entry->d_name[0] == '.' || ::fstatat(dirFd, entry->d_name, &info, 0) != 0 ||
            !S_ISREG(info.st_mode))
            continue;
        names.emplace_back(QByteArray(entry->d_name), stampOf(info, now));
        ascii = ascii && std::all_of(names.back().first.cbegin(), names.back().first.cend(),
                                     [](char c) { return c > 0; });
    }
    ::closedir(dir);
    // ASCII names sort as their bytes do, which is cheaper than comparing the names as text.
    if (ascii) {
        std::sort(names.begin(), names.end(), [order](const auto& a, const auto& b) {
            return order == Qt::CaseSensitive ? a.first < b.first
                                              : qstricmp(a.first.constData(), b.first.constData()) < 0;
        });
    }
    files.reserve(qsizetype(names.size()));
    for (auto& [name, stamp] : names)
        files.append({ascii ? QString::fromLatin1(name) : QFile::decodeName(name), std::move(stamp)});
    if (!ascii) {
        std::sort(files.begin(), files.end(), [order](const ListedFile& a, const ListedFile& b) {
            return a.name.compare(b.name, order) < 0;
        });
    }
    return files;
}

QStringList linesOfText(QString text) {
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

// Where the last run of `wanted` starts among `lines`, or -1.
qsizetype lastRun(const QStringList& lines, const QStringList& wanted) {
    if (wanted.isEmpty())
        return -1;
    for (qsizetype at = lines.size() - wanted.size(); at >= 0; --at) {
        qsizetype i = 0;
        while (i < wanted.size() && lines[at + i] == wanted[i])
            ++i;
        if (i == wanted.size())
            return at;
    }
    return -1;
}

// A server item read as the import reads a file, its days counted from `today`; false with the reason when
// it is not a whole calendar.
bool readServerIcs(const QByteArray& body, const QDate& today, IcsReading& reading, QString& reason) {
    IcsReadOptions options;
    options.today = today;
    reading = readIcs(body, options);
    reason = reading.refusal;
    return reading.refusal.isEmpty();
}

// Takes the item's stamp from its file, and its hash from the status when the file is as it was then: true
// when the item need not be read.
bool knownFromStatus(SyncItem& item, const ListedFile& file, const QHash<QString, SyncStatusItem>& status) {
    item.stamp = file.stamp;
    const auto kept = status.constFind(item.key);
    if (item.stamp.isEmpty() || kept == status.constEnd() || kept->localStamp != item.stamp)
        return false;
    item.hash = kept->localHash;
    return !item.hash.isEmpty();
}

} // namespace

bool dayHoldsText(const QString& day, const QString& text) {
    return lastRun(day.split(u'\n'), linesOfText(text)) >= 0;
}

QString dayWithoutText(const QString& day, const QString& text) {
    QStringList lines = day.split(u'\n');
    const QStringList wanted = linesOfText(text);
    const qsizetype at = lastRun(lines, wanted);
    if (at < 0)
        return day;
    // The line ends the text ended with go with it: what the day held before it stays as it was.
    qsizetype end = at + wanted.size();
    for (qsizetype i = text.size() - 1; i >= 0 && text.at(i) == u'\n' && end < lines.size(); --i) {
        if (!lines.at(end).isEmpty())
            break;
        ++end;
    }
    lines.remove(at, end - at);
    return lines.join(u'\n');
}

QString dayWithText(const QString& day, const QString& text) {
    if (day.trimmed().isEmpty())
        return text;
    // A line end the day ended with stays, so that taking the text out again gives the day back.
    return day + u'\n' + text;
}

SyncItems::SyncItems(const DataFolder& data, bool addressBook, bool withNotes, const QString& folderId,
                     const QDate& today)
    : data_(data), addressBook_(addressBook), withNotes_(withNotes), folderId_(folderId), today_(today) {}

common::FolderIndex& SyncItems::indexOf(CalendarKind kind) const {
    std::unique_ptr<common::FolderIndex>& index = indexes_.at(size_t(textKindOf(kind)));
    if (!index) {
        index = std::make_unique<common::FolderIndex>(
            dayTextPlace(data_, textKindOf(kind), QStringLiteral("1"), monthName(1), QStringLiteral("2000"))
                .folder);
        index->refresh();
    }
    // Another program may have written meanwhile: every file is checked again right before it is replaced.
    index->refreshIfChanged();
    return *index;
}

DayNotes& SyncItems::notes() const {
    if (!notes_)
        notes_ = std::make_unique<DayNotes>(data_);
    return *notes_;
}

QByteArray SyncItems::hashOf(const SyncItem& item) const {
    QByteArray content;
    if (addressBook_) {
        QStringList fields = item.fields;
        if (!fields.isEmpty())
            fields[0] = surnameWithoutNumber(fields[0]);
        content = fields.join(QChar(0x1f)).toUtf8();
    } else {
        content = (calendarKey(item.day) + u'\n' + item.day.text).toUtf8();
    }
    return QCryptographicHash::hash(content, QCryptographicHash::Sha1).toHex();
}

QString SyncItems::contactName(const QString& key) const {
    return key.mid(kContactPrefix.size());
}

QHash<QString, SyncItem> SyncItems::local(QStringList& leftOut,
                                          const QHash<QString, SyncStatusItem>& status) const {
    QHash<QString, SyncItem> items;
    items.reserve(status.size());
    if (addressBook_) {
        addLocalContacts(items, leftOut, status);
        return items;
    }
    QList<CalendarKind> kinds = {CalendarKind::Holiday, CalendarKind::YearlyReminder,
                                 CalendarKind::OneYearReminder};
    if (withNotes_)
        kinds.append(CalendarKind::DayNote);
    for (const CalendarKind kind : std::as_const(kinds))
        addLocalDays(kind, items, leftOut, status);
    return items;
}

void SyncItems::addLocalContacts(QHash<QString, SyncItem>& items, QStringList& leftOut,
                                 const QHash<QString, SyncStatusItem>& status) const {
    const QDir all(data_.categoryFolder(folders::allContacts));
    for (const ListedFile& file : listFiles(all.path(), Qt::CaseInsensitive)) {
        const QString& name = file.name;
        SyncItem item;
        item.key = kContactPrefix + name;
        item.what = QStringLiteral("contacto %1").arg(name);
        if (!knownFromStatus(item, file, status)) {
            const std::optional<QStringList> card = readContactCard(all.filePath(name));
            if (!card) {
                leftOut.append(QStringLiteral("«%1»: no se puede leer").arg(name));
                continue;
            }
            item.fields = asStoredFields(*card);
            item.hash = hashOf(item);
        }
        const QString key = item.key;
        items.emplace(key, std::move(item));
    }
}

void SyncItems::addLocalDays(CalendarKind kind, QHash<QString, SyncItem>& items, QStringList& leftOut,
                             const QHash<QString, SyncStatusItem>& status) const {
    const bool notes = kind == CalendarKind::DayNote;
    const DayTextPlace place = notes
                                   ? DayTextPlace{data_.folder(folders::dayNotes), {}, common::Ending::Zoned}
                                   : dayTextPlace(data_, textKindOf(kind), QStringLiteral("1"), monthName(1),
                                                  QStringLiteral("2000"));
    const QDir dir(place.folder);
    QSet<QDate> seen;
    for (const ListedFile& file : listFiles(place.folder, Qt::CaseSensitive)) {
        const auto what = [&] { return dir.dirName() + u'/' + file.name; }; // for the summary only
        SyncItem item;
        item.day.kind = kind;
        item.day.date = dayOfCalendarFile(file.name, isAnnual(kind));
        if (!item.day.date.isValid()) {
            leftOut.append(QStringLiteral("«%1»: el nombre no es un día de 1901 a 2100").arg(what()));
            continue;
        }
        if (seen.contains(item.day.date)) {
            leftOut.append(QStringLiteral("«%1»: el mismo día ya está en otro archivo").arg(what()));
            continue;
        }
        item.key = calendarKey(item.day);
        item.what = describe(item.day);
        if (!knownFromStatus(item, file, status)) {
            const std::optional<QString> text = common::readText(dir.filePath(file.name), place.ending);
            if (!text) {
                leftOut.append(QStringLiteral("«%1»: no se puede leer").arg(what()));
                continue;
            }
            const QString own = ownText(item.key, *text);
            if (own.trimmed().isEmpty()) {
                // An emptied day note keeps its file; there is nothing to give away.
                if (!notes && own == *text)
                    leftOut.append(QStringLiteral("«%1»: no tiene texto").arg(what()));
                continue;
            }
            item.day.text = own;
            item.hash = hashOf(item);
        }
        seen.insert(item.day.date);
        const QString key = item.key;
        items.emplace(key, std::move(item));
    }
}

SyncItem SyncItems::localNow(const QString& key) const {
    SyncItem item;
    if (addressBook_) {
        const QString name = contactName(key);
        const std::optional<QStringList> card =
            readContactCard(data_.contactFile(folders::allContacts, name));
        if (!card)
            return item;
        item.fields = asStoredFields(*card);
    } else {
        item.day = itemOfKey(key);
        item.day.text = ownText(key, dayText(key));
        if (item.day.text.trimmed().isEmpty())
            return SyncItem();
        item.what = describe(item.day);
    }
    item.key = key;
    item.hash = hashOf(item);
    return item;
}

QString SyncItems::dayText(const QString& key) const {
    const CalendarItem day = itemOfKey(key);
    if (!day.date.isValid())
        return {};
    if (day.kind == CalendarKind::DayNote)
        return notes().load(dayNoteKey(day.date)).text;
    const QDate& d = day.date;
    const DayTextPlace place = dayTextPlace(data_, textKindOf(day.kind), QString::number(d.day()),
                                            monthName(d.month()), QString::number(d.year()));
    const common::FolderIndex& index = indexOf(day.kind);
    return index.contains(place.fileName)
               ? common::readTextOrEmpty(index.pathFor(place.fileName), place.ending)
               : QString();
}

QString SyncItems::ownText(const QString& key, const QString& text) const {
    QString own = text;
    for (const QString& shared : shared_.value(key))
        own = dayWithoutText(own, shared);
    return own;
}

common::Status SyncItems::storeDayText(const QString& key, const QString& text) const {
    SyncItem item;
    item.day = itemOfKey(key);
    item.day.text = text;
    return writeDay(item.day);
}

bool SyncItems::daysFromServer(const QByteArray& body, QList<SyncItem>& days, QStringList& skipped,
                               QString& reason) const {
    IcsReading reading;
    if (!readServerIcs(body, today_, reading, reason))
        return false;
    skipped = reading.skipped;
    for (const CalendarItem& read : reading.items) {
        if (read.kind == CalendarKind::DayNote && !withNotes_) {
            reason = QStringLiteral("es una nota del día y las notas no se sincronizan");
            return false;
        }
        days.append(asAgendaItem(read));
    }
    if (days.isEmpty()) {
        reason = !skipped.isEmpty() ? skipped.join(QStringLiteral("; "))
                                    : QStringLiteral("no tiene ningún día que la agenda pueda guardar");
        return false;
    }
    return true;
}

SyncItem SyncItems::asAgendaItem(const CalendarItem& day) const {
    SyncItem item;
    item.day = day;
    const common::Ending ending = item.day.kind == CalendarKind::DayNote
                                      ? common::Ending::Zoned
                                      : dayTextPlace(data_, textKindOf(item.day.kind), QStringLiteral("1"),
                                                     monthName(1), QStringLiteral("2000"))
                                            .ending;
    item.day.text = common::textFromBytes(common::encodeText(item.day.text, ending), ending);
    item.day.holiday = false;
    item.key = calendarKey(item.day);
    item.what = describe(item.day);
    item.hash = hashOf(item);
    return item;
}

bool SyncItems::fromServer(const QByteArray& body, SyncItem& item, QString& reason) const {
    if (addressBook_) {
        const VCardReading reading = readVCards(body);
        if (!reading.refusal.isEmpty() || reading.contacts.size() != 1) {
            reason = !reading.refusal.isEmpty()   ? reading.refusal
                     : !reading.skipped.isEmpty() ? reading.skipped.join(QStringLiteral("; "))
                                                  : QStringLiteral("no es una tarjeta de un contacto");
            return false;
        }
        item.fields = asStoredFields(reading.contacts.first());
        item.uid = reading.uids.value(0);
        item.what = QStringLiteral("contacto %1").arg(item.fields.value(0));
        if (!isSafeAddressBookName(common::windowsSafeName(item.fields.value(0)))) {
            reason = QStringLiteral("el apellido no sirve como nombre de archivo");
            return false;
        }
        item.hash = hashOf(item);
        return true;
    }
    IcsReading reading;
    if (!readServerIcs(body, today_, reading, reason))
        return false;
    if (reading.items.size() != 1) {
        reason =
            reading.items.isEmpty() && !reading.skipped.isEmpty() ? reading.skipped.join(QStringLiteral("; "))
            : reading.items.isEmpty()
                ? QStringLiteral("no tiene ningún día que la agenda pueda guardar")
                : QStringLiteral("ocupa %1 días; la agenda sólo guarda días sueltos o que vuelven cada año")
                      .arg(reading.items.size());
        return false;
    }
    if (reading.items.first().kind == CalendarKind::DayNote && !withNotes_) {
        reason = QStringLiteral("es una nota del día y las notas no se sincronizan");
        return false;
    }
    const SyncItem read = asAgendaItem(reading.items.first());
    item.day = read.day;
    item.key = read.key;
    item.what = read.what;
    item.hash = read.hash;
    return true;
}

QString SyncItems::newContactKey(const SyncItem& item, const QSet<QString>& taken,
                                 const QSet<QString>& alsoTaken) const {
    const QString surname = common::windowsSafeName(item.fields.value(0));
    const QDir all(data_.categoryFolder(folders::allContacts));
    for (int number = 1; number < 1000; ++number) {
        const QString name = number == 1 ? surname : QStringLiteral("%1 (%2)").arg(surname).arg(number);
        const QString key = kContactPrefix + name;
        if (!taken.contains(key) && !alsoTaken.contains(key) && !QFileInfo::exists(all.filePath(name)))
            return key;
    }
    return {};
}

QByteArray SyncItems::serverBody(const SyncItem& item, const QByteArray& previous) const {
    if (addressBook_) {
        const QString name = contactName(item.key);
        QStringList fields = item.fields;
        fields[0] = name;
        // Numbers and addresses that both sides changed are kept as "a / b" in the agenda; a phone gets
        // each as a property of its own, to dial or write to.
        for (const int field : {kPhoneField, kEmailField})
            fields[field] = separateValues(fields.value(field));
        const QString uid = item.uid.isEmpty() ? exportedContactUid(folderId_, name) : item.uid;
        const QByteArray fresh = writeVCards({{fields, uid, QDateTime::currentDateTimeUtc()}}, QString());
        if (previous.isEmpty())
            return fresh;
        const QByteArray updated = updatedVCard(previous, fresh);
        return updated.isEmpty() ? patchedVCard(previous, fresh) : updated;
    }
    if (previous.isEmpty())
        return writeIcs({item.day}, folderId_);
    // A timed event reads as "10:00 text": the hour stays in DTSTART and out of SUMMARY.
    CalendarItem day = item.day;
    IcsReadOptions options;
    options.today = today_;
    const IcsReading before = readIcs(previous, options);
    static const QRegularExpression hour(QStringLiteral("^\\d\\d:\\d\\d "));
    if (before.items.size() == 1) {
        const QRegularExpressionMatch match = hour.match(before.items.first().text);
        if (match.hasMatch() && day.text.startsWith(match.captured(0)))
            day.text = day.text.mid(match.capturedLength());
    }
    return patchedIcs(previous, writeIcs({day}, folderId_));
}

QByteArray SyncItems::withoutDays(const QByteArray& body, const QStringList& keys) const {
    Component root(icalparser_parse_string(body.constData()));
    if (!root)
        return {};
    // One event that repeats by a rule, and the occurrences it moved or changed (RECURRENCE-ID), all of
    // one UID: the dates go out of the rule's event, a changed occurrence of one of them with it.
    QList<icalcomponent*> events;
    if (icalcomponent_isa(root.get()) == ICAL_VEVENT_COMPONENT)
        events.append(root.get());
    for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT); c;
         c = icalcomponent_get_next_component(root.get(), ICAL_VEVENT_COMPONENT))
        events.append(c);
    icalcomponent* event = nullptr;
    QList<icalcomponent*> moved;
    for (icalcomponent* c : std::as_const(events)) {
        if (icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY))
            moved.append(c);
        else if (event)
            return {};
        else
            event = c;
    }
    icalproperty* dtstart = event ? icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY) : nullptr;
    if (!dtstart || !icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY))
        return {};
    const QByteArray uid = icalcomponent_get_uid(event);
    for (icalcomponent* c : std::as_const(moved)) {
        if (QByteArray(icalcomponent_get_uid(c)) != uid)
            return {};
    }
    const icaltimetype start = icalproperty_get_dtstart(dtstart);
    icalparameter* zone = icalproperty_get_first_parameter(dtstart, ICAL_TZID_PARAMETER);
    bool added = false;
    for (const QString& key : keys) {
        const CalendarItem day = itemOfKey(key);
        if (!day.date.isValid() || isAnnual(day.kind) || day.kind == CalendarKind::DayNote)
            continue;
        // A moved occurrence on that day goes, and the date it replaced with it.
        const auto on = std::find_if(moved.begin(), moved.end(), [&](icalcomponent* c) {
            const icaltimetype when = icalcomponent_get_dtstart(c);
            return QDate(when.year, when.month, when.day) == day.date;
        });
        icalproperty* exdate = nullptr;
        if (on != moved.end()) {
            icalproperty* id = icalcomponent_get_first_property(*on, ICAL_RECURRENCEID_PROPERTY);
            exdate = icalproperty_new_exdate(icalproperty_get_recurrenceid(id));
            if (icalparameter* idZone = icalproperty_get_first_parameter(id, ICAL_TZID_PARAMETER))
                icalproperty_add_parameter(exdate, icalparameter_new_clone(idZone));
            icalcomponent_remove_component(root.get(), *on);
            icalcomponent_free(*on);
            moved.erase(on);
        } else {
            icaltimetype when = start;
            when.year = day.date.year();
            when.month = day.date.month();
            when.day = day.date.day();
            exdate = icalproperty_new_exdate(when);
            if (zone)
                icalproperty_add_parameter(exdate, icalparameter_new_clone(zone));
        }
        icalcomponent_add_property(event, exdate);
        added = true;
    }
    if (!added)
        return {};
    char* text = icalcomponent_as_ical_string_r(root.get());
    QByteArray out(text);
    icalmemory_free_buffer(text);
    return out;
}

QString SyncItems::uidOf(const SyncItem& item) const {
    return exportedContactUid(folderId_, contactName(item.key));
}

QString SyncItems::newHrefName(const SyncItem& item) const {
    if (addressBook_)
        return safeHrefName(exportedContactUid(folderId_, contactName(item.key))) + QStringLiteral(".vcf");
    return safeHrefName(calendarItemUid(item.day, folderId_)) + QStringLiteral(".ics");
}

QByteArray SyncItems::contentType() const {
    return addressBook_ ? QByteArrayLiteral("text/vcard; charset=utf-8")
                        : QByteArrayLiteral("text/calendar; charset=utf-8");
}

common::Status SyncItems::store(const SyncItem& item) const {
    if (addressBook_) {
        const QString name = contactName(item.key);
        QStringList fields = item.fields;
        fields[0] = name;
        if (!common::ensureFolders(data_.programFolder(),
                                   {folders::addressBook + u'/' + folders::allContacts}))
            return common::Status::failure(QStringLiteral("no se puede crear la carpeta de contactos"));
        const QString path = data_.contactFile(folders::allContacts, name);
        for (const QString& copy : categoryCopiesOfCard(data_, name, path)) {
            if (const common::Status written = writeContactCard(copy, fields); !written)
                return written;
        }
        return writeContactCard(path, fields);
    }
    // The texts server items of several days added to the day stay after the agenda's own.
    CalendarItem day = item.day;
    if (const QStringList shared = shared_.value(calendarKey(day)); !shared.isEmpty()) {
        const QString now = dayText(calendarKey(day));
        for (const QString& text : shared) {
            if (dayHoldsText(now, text))
                day.text = dayWithText(day.text, text);
        }
    }
    return writeDay(day);
}

common::Status SyncItems::writeDay(const CalendarItem& day) const {
    const QDate& d = day.date;
    if (!common::ensureFolders(data_.programFolder(), {folders::holidays, folders::yearlyReminders,
                                                       folders::oneYearReminders, folders::dayNotes}))
        return common::Status::failure(QStringLiteral("no se pueden crear las carpetas del calendario"));
    if (day.kind == CalendarKind::DayNote)
        return notes().save(dayNoteKey(d), day.text);
    const DayTextPlace place = dayTextPlace(data_, textKindOf(day.kind), QString::number(d.day()),
                                            monthName(d.month()), QString::number(d.year()));
    const auto stored = quindara::storeDayText(indexOf(day.kind), place, day.text);
    return stored.status();
}

bool SyncItems::stageNew(const SyncItem& item, common::WriteBatch& batch, QByteArray& storedHash) const {
    SyncItem stored = item;
    QString path;
    QByteArray bytes;
    if (addressBook_) {
        const QString name = contactName(item.key);
        stored.fields[0] = name;
        path = data_.contactFile(folders::allContacts, name);
        if (QFileInfo::exists(path) ||
            !common::ensureFolders(data_.programFolder(),
                                   {folders::addressBook + u'/' + folders::allContacts}))
            return false;
        bytes = common::encodeLines(contactLinesFromFields(stored.fields));
        // As readContactCard and localNow read it back.
        stored.fields = asStoredFields(
            contactFieldsFromLines(common::textFromBytes(bytes, common::Ending::Line).split(u'\n')));
    } else {
        const QDate& d = item.day.date;
        if (item.day.kind == CalendarKind::DayNote || item.day.text.trimmed().isEmpty())
            return false;
        const DayTextPlace place = dayTextPlace(data_, textKindOf(item.day.kind), QString::number(d.day()),
                                                monthName(d.month()), QString::number(d.year()));
        if (!common::isSafeFileName(place.fileName) || indexOf(item.day.kind).contains(place.fileName) ||
            !common::ensureFolders(data_.programFolder(), {folders::holidays, folders::yearlyReminders,
                                                           folders::oneYearReminders, folders::dayNotes}))
            return false;
        path = QDir(place.folder).filePath(place.fileName);
        bytes = common::encodeText(item.day.text, place.ending);
        stored.day.text = common::textFromBytes(bytes, place.ending);
    }
    // A staging that failed is told by the batch's commit, in the order of the items staged.
    (void)batch.stage(path, bytes, common::WriteBatch::Target::New);
    storedHash = hashOf(stored);
    return true;
}

void SyncItems::noteStored(const SyncItem& item) const {
    if (addressBook_)
        return;
    const QDate& d = item.day.date;
    indexOf(item.day.kind)
        .noteWritten(dayTextName(textKindOf(item.day.kind), QString::number(d.day()), monthName(d.month()),
                                 QString::number(d.year()))
                         .fileName);
}

common::Status SyncItems::remove(const QString& key) const {
    if (addressBook_) {
        const QString name = contactName(key);
        const QString path = data_.contactFile(folders::allContacts, name);
        for (const QString& copy : categoryCopiesOfCard(data_, name, path)) {
            if (const common::Status removed = common::removeFile(copy); !removed)
                return removed;
        }
        return common::removeFile(path);
    }
    SyncItem empty;
    empty.day = itemOfKey(key);
    return store(empty);
}

SyncItem SyncItems::merged(const SyncItem& server, const SyncItem& agenda, const QString& separator) const {
    SyncItem item = agenda;
    if (addressBook_) {
        item.fields = asStoredFields(keepBothCards(server.fields, agenda.fields, separator));
        item.fields[0] = agenda.fields.value(0);
    } else {
        item.day.text =
            common::keepBothTexts(server.day.text, agenda.day.text, separator, common::TextShape::Lines);
    }
    item.hash = hashOf(item);
    return item;
}

} // namespace quindara
