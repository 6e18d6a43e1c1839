// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/search/searchindex.h"

#include "agenda/core/calendar/calendar.h"
#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/days/daykeyparsing.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/search/logging.h"
#include "common/conflictcopy.h"
#include "common/folderindex.h"
#include "common/regularfile.h"
#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quindara {

namespace {

const QString kDash = QStringLiteral(" — ");

// Orders: dated things count minutes from 1800, which keeps 400 years inside 32 bits, above the contacts
// (0). A yearly day is stored as kAnnualOrder + month * 32 + day and placed at its day of the shown year
// when the results are ordered.
constexpr qint32 kAnnualOrder = qint32(1) << 30;
constexpr int kYearlyDays = 13 * 32;
constexpr qint32 kDatedOrder = 16;
constexpr int kFirstOrderedYear = 1800;
constexpr int kLastOrderedYear = 2199;
constexpr int kMinutesPerDay = 24 * 60;

QString kindWord(SearchKind kind) {
    switch (kind) {
    case SearchKind::Holiday:
        return QStringLiteral("fiesta");
    case SearchKind::YearlyReminder:
        return QStringLiteral("recordatorio");
    case SearchKind::Saint:
        return QStringLiteral("santoral");
    case SearchKind::OneYearReminder:
        return QStringLiteral("recordatorio de un año");
    case SearchKind::DayNote:
        return QStringLiteral("nota");
    case SearchKind::PadNote:
        return QStringLiteral("nota del bloc");
    case SearchKind::Contact:
        return QStringLiteral("contacto");
    }
    return QString();
}

common::Ending endingOf(SearchKind kind) {
    switch (kind) {
    case SearchKind::DayNote:
    case SearchKind::PadNote:
        return common::Ending::Zoned;
    case SearchKind::OneYearReminder:
        return common::Ending::Bare;
    default:
        return common::Ending::Line;
    }
}

qint32 dayOrder(const QDate& date, int minuteOfDay) {
    if (date.year() < kFirstOrderedYear || date.year() > kLastOrderedYear)
        return 1;
    const qint64 days = date.toJulianDay() - QDate(kFirstOrderedYear, 1, 1).toJulianDay();
    return qint32(kDatedOrder + days * kMinutesPerDay + minuteOfDay);
}

// The minute a pad note's name holds; a second note of one minute is named with "-2", "-3"... after it.
std::optional<QDateTime> padNoteTime(const QString& name) {
    if (const auto saved = parseTimeStampName(name))
        return saved;
    const qsizetype dash = name.lastIndexOf(u'-');
    bool numbered = false;
    if (dash > 0 && name.at(dash - 1) != u'-')
        name.mid(dash + 1).toUInt(&numbered);
    return numbered ? parseTimeStampName(name.left(dash)) : std::nullopt;
}

// The day a yearly day opens in `shownYear`: 29 February of a common year in the nearest leap year of the
// agenda, any other day past the month's end on its last day.
QDate yearlyDay(int month, int day, int shownYear) {
    if (month == 2 && day == 29 && !QDate::isLeapYear(shownYear)) {
        for (int distance = 1; distance < 8; ++distance) {
            for (const int year : {shownYear + distance, shownYear - distance}) {
                if (year >= kFirstYear && year <= kLastYear && QDate::isLeapYear(year))
                    return QDate(year, 2, 29);
            }
        }
    }
    return QDate(shownYear, month, std::min(day, QDate(shownYear, month, 1).daysInMonth()));
}

// Where a file of this kind and name goes in the list; larger comes first.
qint32 orderOf(SearchKind kind, const QString& name) {
    if (kind == SearchKind::Contact)
        return 0;
    // A sync tool's conflict copy goes where the file it belongs to goes.
    const auto conflict = common::parseConflictCopyName(name);
    const QString& keyName = conflict ? conflict->originalName : name;
    if (kind == SearchKind::PadNote) {
        const auto saved = padNoteTime(keyName);
        return saved ? dayOrder(saved->date(), saved->time().hour() * 60 + saved->time().minute()) : 1;
    }
    const auto key = parseDayKey(keyName);
    if (!key)
        return 1;
    if (key->isAnnual())
        return key->month >= 1 && key->month <= 12 && key->day >= 1 && key->day <= 31
                   ? kAnnualOrder + key->month * 32 + key->day
                   : 1;
    return dayOrder(key->date(), kMinutesPerDay - 1);
}

constexpr qint64 kNoTime = -1;

qint64 modifiedNs(const struct stat& info) {
    return qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

// A small file read with plain system calls: QFile's set-up costs more than reading 300 bytes. The name
// is relative to the open folder `dirFd`, whose path is `folder`; only a regular file is read.
std::optional<QByteArray> readFile(int dirFd, const QByteArray& name, const QByteArray& folder) {
    const int fd = common::openRegularFileAt(dirFd, name, folder);
    if (fd < 0)
        return std::nullopt;
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ::close(fd);
            if (got < 0)
                return std::nullopt;
            return bytes;
        }
        bytes.append(buffer, got);
    }
}

// A folder's change time in nanoseconds; kNoTime when it is missing.
qint64 folderTime(const QString& path) {
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return kNoTime;
    return modifiedNs(info);
}

qint64 stampOf(const struct stat& info) {
    // Wraps on purpose: the stamp only has to change when the time or the size does.
    return qint64(quint64(modifiedNs(info)) * 31u + quint64(info.st_size));
}

// The file's stamp, or nothing when it is gone.
std::optional<qint64> statFile(const QString& path) {
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return stampOf(info);
}

QString withoutTxt(const QString& name) {
    return name.endsWith(kTxt, Qt::CaseInsensitive) ? name.chopped(kTxt.size()) : name;
}

} // namespace

QString SearchHit::isoDateOrKind() const {
    if (kind == SearchKind::PadNote && savedAt.isValid())
        return savedAt.toString(QStringLiteral("yyyy-MM-ddTHH:mm"));
    if (year > 0)
        return date().toString(Qt::ISODate);
    if (month > 0)
        return QStringLiteral("--%1-%2").arg(month, 2, 10, QChar(u'0')).arg(day, 2, 10, QChar(u'0'));
    return kindWord(kind);
}

SearchIndex::SearchIndex(const DataFolder& data) : data_(data) {
    addFolder(data_.folder(folders::dayNotes), SearchKind::DayNote);
    addFolder(data_.folder(folders::holidays), SearchKind::Holiday);
    addFolder(data_.folder(folders::yearlyReminders), SearchKind::YearlyReminder);
    addFolder(data_.folder(folders::oneYearReminders), SearchKind::OneYearReminder);
    addFolder(data_.folder(folders::saints), SearchKind::Saint);
    addFolder(data_.folder(folders::notesPad), SearchKind::PadNote);
    contactsRoot_ = QDir::cleanPath(data_.folder(folders::addressBook));
    book_ = AddressBookFolder(contactsRoot_);
}

void SearchIndex::addFolder(const QString& path, SearchKind kind, const QString& category) {
    Folder folder;
    folder.path = QDir::cleanPath(path);
    folder.kind = kind;
    folder.category = category;
    folder.allContacts =
        kind == SearchKind::Contact && category.compare(folders::allContacts, Qt::CaseInsensitive) == 0;
    folders_.push_back(std::move(folder));
}

qsizetype SearchIndex::documentCount() const {
    return std::count_if(docs_.begin(), docs_.end(), [](const Document& d) { return d.alive; });
}

qsizetype SearchIndex::textBytes() const {
    qsizetype bytes = 0;
    for (const Document& doc : docs_)
        bytes += doc.folded.size();
    return bytes;
}

void SearchIndex::refreshCategories() {
    const qint64 modified = folderTime(contactsRoot_);
    if (started_ && modified == knownContactsModified_)
        return;
    knownContactsModified_ = modified;
    QSet<QString> present;
    for (const QString& category : book_.categories()) {
        const QString reached = book_.categoryPath(category);
        const QString path =
            QDir::cleanPath(reached.isEmpty() ? QDir(contactsRoot_).filePath(category) : reached);
        present.insert(path);
        const bool known = std::any_of(folders_.begin(), folders_.end(),
                                       [&](const Folder& f) { return f.path == path && f.present; });
        if (!known) {
            const auto old = std::find_if(folders_.begin(), folders_.end(),
                                          [&](const Folder& f) { return f.path == path; });
            if (old != folders_.end())
                old->present = true;
            else
                addFolder(path, SearchKind::Contact, category);
        }
    }
    for (int i = 0; i < int(folders_.size()); ++i) {
        if (folders_[i].kind == SearchKind::Contact && folders_[i].present &&
            !present.contains(folders_[i].path))
            dropFolder(i);
    }
    contactsChanged_ = true;
}

void SearchIndex::dropFolder(int folder) {
    Folder& f = folders_[folder];
    for (const int id : f.byName) {
        docs_[id] = Document();
        freeDocs_.push_back(id);
    }
    f.byName.clear();
    f.present = false;
    f.listed = false;
    f.knownModified = kNoTime;
    if (f.kind == SearchKind::Contact)
        contactsChanged_ = true;
    changed();
}

void SearchIndex::refreshIfChanged() {
    refreshCategories();
    for (int i = 0; i < int(folders_.size()); ++i) {
        if (folders_[i].present)
            refreshFolder(i);
    }
    started_ = true;
    if (contactsChanged_)
        resolveContactCopies();
    // Room reserved while growing is memory the index does not need.
    if (docs_.capacity() > docs_.size() + docs_.size() / 4)
        docs_.shrink_to_fit();
}

void SearchIndex::refreshFolder(int folder) {
    Folder& f = folders_[folder];
    const qint64 modified = folderTime(f.path);
    if (f.listed && modified == f.knownModified)
        return;
    f.knownModified = modified;
    listFolder(folder);
}

void SearchIndex::listFolder(int folder) {
    folders_[folder].listed = true;
    for (const int id : folders_[folder].byName)
        docs_[id].seen = false;
    // One pass of readdir and a stat relative to the open folder: Qt's file infos would convert every
    // time to local time, which dominated the first search.
    DIR* dir = ::opendir(QFile::encodeName(folders_[folder].path).constData());
    if (dir) {
        const int dirFd = ::dirfd(dir);
        while (const dirent* entry = ::readdir(dir)) {
            struct stat info;
            // Hidden files (a leading dot) are no one's notes: the lists of the agenda leave them out too.
            if (entry->d_name[0] == '.' || ::fstatat(dirFd, entry->d_name, &info, 0) != 0 ||
                !S_ISREG(info.st_mode))
                continue;
            updateFile(folder, QByteArray(entry->d_name), stampOf(info), dirFd);
        }
        ::closedir(dir);
    }
    std::vector<QByteArray> gone;
    for (const int id : folders_[folder].byName) {
        if (!docs_[id].seen)
            gone.push_back(docs_[id].name);
    }
    for (const QByteArray& name : gone)
        removeDocument(folder, name);
}

std::vector<int>::iterator SearchIndex::findByName(Folder& folder, const QByteArray& name) {
    return std::lower_bound(folder.byName.begin(), folder.byName.end(), name,
                            [this](int id, const QByteArray& wanted) { return docs_[id].name < wanted; });
}

void SearchIndex::updateFile(int folder, const QByteArray& name, qint64 stamp, int dirFd, bool reread) {
    Folder& f = folders_[folder];
    const auto found = findByName(f, name);
    if (found != f.byName.end() && docs_[*found].name == name) {
        Document& doc = docs_[*found];
        doc.seen = true;
        if (doc.stamp == stamp && !reread)
            return;
        doc.stamp = stamp;
        if (!f.allContacts || doc.loaded)
            load(doc, dirFd);
        changed();
        return;
    }
    int id;
    if (!freeDocs_.empty()) {
        id = freeDocs_.back();
        freeDocs_.pop_back();
    } else {
        id = int(docs_.size());
        docs_.emplace_back();
    }
    f.byName.insert(found, id);
    Document& doc = docs_[id];
    doc = Document();
    doc.name = name;
    doc.folder = qint16(folder);
    doc.alive = true;
    doc.seen = true;
    doc.stamp = stamp;
    doc.order = orderOf(f.kind, QFile::decodeName(name));
    if (f.kind == SearchKind::Contact)
        contactsChanged_ = true;
    // A card of "Todos" is read only when no category holds the same contact (resolveContactCopies).
    if (f.allContacts)
        doc.shadowed = true;
    else
        load(doc, dirFd);
    changed();
}

void SearchIndex::removeDocument(int folder, const QByteArray& name) {
    Folder& f = folders_[folder];
    const auto found = findByName(f, name);
    if (found == f.byName.end() || docs_[*found].name != name)
        return;
    const int id = *found;
    f.byName.erase(found);
    docs_[id] = Document();
    freeDocs_.push_back(id);
    if (f.kind == SearchKind::Contact)
        contactsChanged_ = true;
    changed();
}

void SearchIndex::load(Document& doc, int dirFd) {
    const QByteArray folder = QFile::encodeName(folders_[doc.folder].path);
    const auto bytes = dirFd >= 0 ? readFile(dirFd, doc.name, folder)
                                  : readFile(AT_FDCWD, folder + '/' + doc.name, QByteArray());
    if (!bytes) {
        qCWarning(lcSearch) << "cannot read" << folders_[doc.folder].path << doc.name;
        doc.folded.clear();
        doc.loaded = false;
        return;
    }
    doc.folded = foldFileBytesForSearch(*bytes);
    doc.folded.squeeze();
    doc.loaded = true;
}

void SearchIndex::resolveContactCopies() {
    contactsChanged_ = false;
    QSet<QString> filed;
    for (const Folder& f : folders_) {
        if (f.kind == SearchKind::Contact && f.present && !f.allContacts)
            for (const int id : f.byName)
                filed.insert(common::FolderIndex::foldName(QFile::decodeName(docs_[id].name)));
    }
    for (Folder& f : folders_) {
        if (!f.allContacts || !f.present)
            continue;
        for (const int id : f.byName) {
            Document& doc = docs_[id];
            const bool shadowed = filed.contains(common::FolderIndex::foldName(QFile::decodeName(doc.name)));
            if (shadowed == doc.shadowed && (shadowed || doc.loaded))
                continue;
            doc.shadowed = shadowed;
            if (shadowed) {
                doc.folded = QByteArray();
                doc.loaded = false;
            } else {
                load(doc);
            }
            changed();
        }
    }
}

int SearchIndex::folderOf(const QString& path) {
    const QString parent = QFileInfo(QDir::cleanPath(path)).path();
    for (int i = 0; i < int(folders_.size()); ++i) {
        if (folders_[i].path == parent && folders_[i].present)
            return i;
    }
    // A category created since the last look at the address book.
    if (QFileInfo(parent).path() == contactsRoot_ && QFileInfo(parent).isDir()) {
        knownContactsModified_ = kNoTime;
        refreshCategories();
        for (int i = 0; i < int(folders_.size()); ++i) {
            if (folders_[i].path == parent && folders_[i].present)
                return i;
        }
    }
    return -1;
}

void SearchIndex::fileWritten(const QString& path) {
    if (!started_)
        return; // the first search lists everything anyway
    const int folder = folderOf(path);
    if (folder < 0)
        return;
    const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());
    if (name.startsWith('.'))
        return;
    // Writers keep a file's stored spelling when it differs from the key only in letter case, and may
    // drop an old spelling: every spelling of the name is looked at again.
    std::vector<QByteArray> spellings = {name};
    const QString folded = common::FolderIndex::foldName(QFile::decodeName(name));
    for (const int id : folders_[folder].byName) {
        const QByteArray& stored = docs_[id].name;
        if (stored != name && common::FolderIndex::foldName(QFile::decodeName(stored)) == folded)
            spellings.push_back(stored);
    }
    for (const QByteArray& spelling : spellings) {
        if (const auto stamp = statFile(QDir(folders_[folder].path).filePath(QFile::decodeName(spelling))))
            updateFile(folder, spelling, *stamp, -1, true);
        else
            removeDocument(folder, spelling);
    }
    Folder& f = folders_[folder];
    if (!f.listed) {
        refreshFolder(folder);
    } else {
        // Our own write moved the folder's time: take it as seen, so it costs no new listing.
        f.knownModified = folderTime(f.path);
    }
    if (contactsChanged_)
        resolveContactCopies();
}

void SearchIndex::fileRemoved(const QString& path) {
    if (!started_)
        return;
    const int folder = folderOf(path);
    if (folder < 0)
        return;
    removeDocument(folder, QFile::encodeName(QFileInfo(path).fileName()));
    Folder& f = folders_[folder];
    if (f.listed)
        f.knownModified = folderTime(f.path);
    if (contactsChanged_)
        resolveContactCopies();
}

void SearchIndex::orderYearlyDays(int shownYear) {
    if (yearlyOrdersYear_ == shownYear && !yearlyOrders_.empty())
        return;
    yearlyOrdersYear_ = shownYear;
    yearlyOrders_.assign(kYearlyDays, 1);
    for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= 31; ++day)
            yearlyOrders_[size_t(month * 32 + day)] =
                dayOrder(yearlyDay(month, day, shownYear), kMinutesPerDay - 1);
    }
}

qint32 SearchIndex::effectiveOrder(const Document& doc) const {
    return doc.order >= kAnnualOrder ? yearlyOrders_[size_t(doc.order - kAnnualOrder)] : doc.order;
}

bool SearchIndex::before(int a, int b) const {
    const Document& x = docs_[a];
    const Document& y = docs_[b];
    const qint32 xOrder = effectiveOrder(x);
    const qint32 yOrder = effectiveOrder(y);
    if (xOrder != yOrder)
        return xOrder > yOrder;
    const SearchKind kx = folders_[x.folder].kind;
    const SearchKind ky = folders_[y.folder].kind;
    if (kx != ky)
        return kx < ky;
    // Bytes of the stored names, without regard to the case of plain letters: cheap enough for
    // thousands of contacts, which all share one order.
    const int byName = qstricmp(x.name.constData(), y.name.constData());
    if (byName != 0)
        return byName < 0;
    return folders_[x.folder].category.compare(folders_[y.folder].category, Qt::CaseInsensitive) < 0;
}

qsizetype SearchIndex::find(const QString& typed, int shownYear) {
    refreshIfChanged();
    const SearchQuery query = parseSearchQuery(typed);
    std::vector<int> hits;
    if (!query.isEmpty()) {
        const bool narrowing = lastGeneration_ == generation_ && query.narrows(lastQuery_);
        const auto consider = [&](int id) {
            const Document& doc = docs_[id];
            if (doc.alive && doc.loaded && !doc.shadowed && foldedTextMatches(doc.folded, query))
                hits.push_back(id);
        };
        if (narrowing) {
            for (const int id : lastHits_)
                consider(id);
        } else {
            for (int id = 0; id < int(docs_.size()); ++id)
                consider(id);
        }
    }
    lastQuery_ = query;
    lastGeneration_ = generation_;
    lastHits_ = hits;

    orderYearlyDays(shownYear);
    std::sort(hits.begin(), hits.end(), [this](int a, int b) { return before(a, b); });
    ordered_.clear();
    ordered_.reserve(hits.size());
    for (const int id : hits)
        ordered_.push_back({docs_[id].name, docs_[id].folder});
    return matchCount();
}

SearchHit SearchIndex::hitAt(qsizetype row) const {
    if (row < 0 || row >= matchCount())
        return {};
    const Match& match = ordered_[size_t(row)];
    return describe(match.folder, match.name, lastQuery_);
}

QList<SearchHit> SearchIndex::search(const QString& typed, int shownYear) {
    const qsizetype found = find(typed, shownYear);
    QList<SearchHit> results;
    results.reserve(found);
    for (qsizetype row = 0; row < found; ++row)
        results.append(hitAt(row));
    return results;
}

SearchHit SearchIndex::describe(int folder, const QByteArray& name, const SearchQuery& query) const {
    const Folder& f = folders_[size_t(folder)];
    SearchHit hit;
    hit.kind = f.kind;
    hit.fileName = QFile::decodeName(name);
    hit.path = QDir(f.path).filePath(hit.fileName);
    const auto bytes = common::readBytes(hit.path);

    if (f.kind == SearchKind::Contact) {
        hit.category = f.category;
        const QStringList fields = contactFieldsFromLines(
            common::textFromBytes(bytes.value_or(QByteArray()), common::Ending::Line).split(u'\n'));
        const QString surname = fields.value(kSurnameField).trimmed();
        const QString firstName = fields.value(kSurnameField + 1).trimmed();
        QString name = surname.isEmpty() ? hit.fileName : surname;
        if (!firstName.isEmpty())
            name += QStringLiteral(", ") + firstName;
        hit.where = f.category + u'/' + hit.fileName;
        hit.excerpt = name;
        const QString nameText = surname + u'\n' + firstName;
        if (!textMatches(nameText, query)) {
            for (int i = kSurnameField + 2; i < kContactFieldCount; ++i) {
                if (textMatches(fields.value(i), query)) {
                    hit.excerpt += kDash + searchExcerpt(fields.value(i), query);
                    break;
                }
            }
        }
        hit.display = QStringLiteral("Contacto: ") + hit.excerpt;
        return hit;
    }

    const QString text = common::textFromBytes(bytes.value_or(QByteArray()), endingOf(f.kind));
    hit.excerpt = searchExcerpt(text, query);
    // A conflict copy opens the day (or note) it belongs to, where it can be merged, and says what it is.
    const auto conflict = common::parseConflictCopyName(hit.fileName);
    const QString keyName = conflict ? conflict->originalName : hit.fileName;
    const QString conflictWord = conflict ? QStringLiteral(" (copia en conflicto)") : QString();
    if (f.kind == SearchKind::PadNote) {
        if (const auto saved = padNoteTime(keyName)) {
            hit.savedAt = *saved;
            hit.year = saved->date().year();
            hit.month = saved->date().month();
            hit.day = saved->date().day();
        }
        hit.where = QStringLiteral("Nota ") + hit.fileName;
    } else {
        QString key = withoutTxt(hit.fileName);
        if (const auto parsed = parseDayKey(keyName)) {
            hit.year = parsed->year;
            hit.month = parsed->month;
            hit.day = parsed->day;
            // The key as the agenda writes it, whatever case the file was stored in.
            if (parsed->isAnnual())
                key = annualKey(QString::number(hit.day), monthName(hit.month));
            else if (f.kind == SearchKind::DayNote)
                key = dayNoteKey(parsed->date());
            else
                key = datedKey(parsed->date());
        }
        hit.where = oneLine(key) + kDash + kindWord(f.kind) + conflictWord;
    }
    hit.display = hit.where + QStringLiteral(": ") + hit.excerpt;
    return hit;
}

std::optional<QDate> dayOfHit(const SearchHit& hit, int shownYear) {
    if (hit.month < 1 || hit.month > 12 || hit.day < 1)
        return std::nullopt;
    if (hit.year > 0)
        return QDate(hit.year, hit.month, std::min(hit.day, QDate(hit.year, hit.month, 1).daysInMonth()));
    return yearlyDay(hit.month, hit.day, shownYear);
}

} // namespace quindara
