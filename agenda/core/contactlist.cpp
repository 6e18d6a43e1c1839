#include "agenda/core/contactlist.h"

#include "common/conflictcopy.h"
#include "common/folderindex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <dirent.h>
#include <string_view>

namespace quindara {

namespace {

// The folded form of a name, as FolderIndex::foldName gives it, without its copies for the usual names:
// Latin-1 letters fold one to one and are already in normal form; any other name takes the full way.
QString foldedName(const QString& name) {
    QString folded(name.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(folded.data());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (c >= 0x100 || c == 0xDF) // ß folds to two letters
            return common::FolderIndex::foldName(name);
        out[i] =
            c < 0x80 ? (c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c) : char16_t(QChar::toCaseFolded(c));
    }
    return folded;
}

// Four code units from `from` on, so that most comparisons while sorting are comparisons of integers
// (names filed by surname share their first four letters by the hundred).
quint64 headOf(const QString& folded, qsizetype from = 0) {
    quint64 head = 0;
    for (qsizetype i = from; i < from + 4; ++i)
        head = head << 16 | (i < folded.size() ? folded.at(i).unicode() : 0);
    return head;
}

std::u16string_view viewOf(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())};
}

} // namespace

void ContactNameIndex::setNames(const QStringList& names) {
    entries_.clear();
    entries_.reserve(size_t(names.size()));
    for (const QString& name : names) {
        if (!name.isEmpty() && !name.startsWith(u'.')) {
            QString folded = foldedName(name);
            const quint64 head = headOf(folded);
            const quint64 next = headOf(folded, 4);
            entries_.push_back({head, next, std::move(folded), name});
        }
    }
    // By the folded text (its head first); names that differ only in case sit together, in a fixed order.
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        if (a.head != b.head)
            return a.head < b.head;
        if (a.next != b.next)
            return a.next < b.next;
        const int order = viewOf(a.folded).compare(viewOf(b.folded));
        return order < 0 || (order == 0 && viewOf(a.name) < viewOf(b.name));
    });
}

std::pair<qsizetype, qsizetype> ContactNameIndex::prefixRange(const QString& prefix) const {
    if (prefix.isEmpty())
        return {0, size()};
    const QString folded = foldedName(prefix);
    // Every folded name that begins with the prefix sorts at or after it, before any that does not.
    const auto first = std::lower_bound(
        entries_.begin(), entries_.end(), folded,
        [](const Entry& entry, const QString& key) { return viewOf(entry.folded) < viewOf(key); });
    const auto last = std::partition_point(
        first, entries_.end(), [&folded](const Entry& entry) { return entry.folded.startsWith(folded); });
    return {first - entries_.begin(), last - entries_.begin()};
}

qsizetype ContactNameIndex::find(const QString& name) const {
    const QString folded = foldedName(name);
    auto it = std::lower_bound(
        entries_.begin(), entries_.end(), folded,
        [](const Entry& entry, const QString& key) { return viewOf(entry.folded) < viewOf(key); });
    const auto firstMatch = it;
    for (; it != entries_.end() && it->folded == folded; ++it) {
        if (it->name == name)
            return it - entries_.begin();
    }
    return firstMatch != entries_.end() && firstMatch->folded == folded ? firstMatch - entries_.begin() : -1;
}

QStringList fileNamesIn(const QString& folder) {
    QStringList names;
    if (folder.isEmpty())
        return names;
    const QByteArray encoded = QFile::encodeName(folder);
    DIR* dir = opendir(encoded.constData());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const char* raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
            continue;
        const QString name = QFile::decodeName(raw);
        // The directory tells the kind of most entries; links and unknown kinds are looked at.
        if (entry->d_type == DT_REG || ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                                        QFileInfo(folder + u'/' + name).isFile()))
            names.append(name);
    }
    closedir(dir);
    return names;
}

void ContactListModel::setFolder(const QString& folder) {
    folder_ = folder;
    relist();
}

void ContactListModel::relist() {
    listFolder();
    showRange();
}

void ContactListModel::relistIfChanged() {
    const QFileInfo info(folder_);
    if ((info.exists() ? info.lastModified() : QDateTime()) != listedModified_)
        relist();
}

void ContactListModel::setPrefix(const QString& prefix) {
    // Listing shows the range of the prefix already; the view is laid out again only on a change.
    if (prefix == prefix_)
        return;
    prefix_ = prefix;
    showRange();
}

void ContactListModel::listFolder() {
    const QFileInfo info(folder_);
    listedModified_ = !folder_.isEmpty() && info.exists() ? info.lastModified() : QDateTime();
    common::NamesAndCopies apart = common::setConflictCopiesApart(fileNamesIn(folder_));
    copies_ = std::move(apart.copies);
    index_.setNames(apart.names);
}

void ContactListModel::showRange() {
    beginResetModel();
    std::tie(first_, last_) = index_.prefixRange(prefix_);
    endResetModel();
}

QString ContactListModel::realName(const QString& name) const {
    const qsizetype row = index_.find(name);
    return row < 0 ? QString() : index_.name(row);
}

QString ContactListModel::pathFor(const QString& name) const {
    const QString stored = realName(name);
    return QDir(folder_).filePath(stored.isEmpty() ? name : stored);
}

int ContactListModel::rowOf(const QString& name) const {
    const qsizetype row = index_.find(name);
    if (row < first_ || row >= last_ || index_.name(row) != name)
        return -1;
    return int(row - first_);
}

QString ContactListModel::nameAt(int row) const {
    return row >= 0 && row < rowCount() ? index_.name(first_ + row) : QString();
}

QStringList ContactListModel::conflictCopiesOf(const QString& name) const {
    return copies_.isEmpty() ? QStringList() : copies_.value(common::FolderIndex::foldName(name));
}

int ContactListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(last_ - first_);
}

QVariant ContactListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    const QString& name = index_.name(first_ + index.row());
    return copies_.isEmpty() || conflictCopiesOf(name).isEmpty() ? name : common::conflictCopyLabel(name);
}

} // namespace quindara
