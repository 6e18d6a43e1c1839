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

// Appends the folded form of a name, as FolderIndex::foldName gives it, without its copies for the usual
// names: Latin-1 letters fold one to one and are already in normal form; any other name takes the full way.
void appendFolded(std::u16string& out, const QString& name) {
    const std::size_t start = out.size();
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (c >= 0x100 || c == 0xDF) { // ß folds to two letters
            out.resize(start);
            const QString folded = common::FolderIndex::foldName(name);
            out.append(reinterpret_cast<const char16_t*>(folded.utf16()), std::size_t(folded.size()));
            return;
        }
        out.push_back(c < 0x80 ? (c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c)
                               : char16_t(QChar::toCaseFolded(c)));
    }
}

// Four code units from `from` on, so that most comparisons while sorting are comparisons of integers
// (names filed by surname share their first four letters by the hundred).
quint64 headOf(std::u16string_view folded, std::size_t from = 0) {
    quint64 head = 0;
    for (std::size_t i = from; i < from + 4; ++i)
        head = head << 16 | (i < folded.size() ? folded[i] : 0);
    return head;
}

std::u16string_view viewOf(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())};
}

std::u16string foldedText(const QString& text) {
    std::u16string folded;
    appendFolded(folded, text);
    return folded;
}

} // namespace

void ContactNameIndex::setNames(const QStringList& names) {
    folded_.clear();
    keys_.clear();
    names_.clear();
    std::size_t characters = 0;
    for (const QString& name : names)
        characters += std::size_t(name.size());
    folded_.reserve(characters);
    keys_.reserve(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names.at(i);
        if (name.isEmpty() || name.startsWith(u'.'))
            continue;
        const std::size_t at = folded_.size();
        appendFolded(folded_, name);
        const std::u16string_view folded(folded_.data() + at, folded_.size() - at);
        keys_.push_back({headOf(folded), headOf(folded, 4), quint32(at), quint32(folded.size()), quint32(i)});
    }
    // By the folded text (its head first); names that differ only in case sit together, in a fixed order.
    std::sort(keys_.begin(), keys_.end(), [&](const Key& a, const Key& b) {
        if (a.head != b.head)
            return a.head < b.head;
        if (a.next != b.next)
            return a.next < b.next;
        const int byFolded = foldedOf(a).compare(foldedOf(b));
        return byFolded < 0 || (byFolded == 0 && viewOf(names.at(a.source)) < viewOf(names.at(b.source)));
    });
    names_.reserve(keys_.size());
    for (const Key& key : keys_)
        names_.push_back(names.at(key.source));
}

qsizetype ContactNameIndex::lowerBound(std::u16string_view folded) const {
    const auto first = std::lower_bound(
        keys_.begin(), keys_.end(), folded,
        [this](const Key& key, std::u16string_view wanted) { return foldedOf(key) < wanted; });
    return first - keys_.begin();
}

std::pair<qsizetype, qsizetype> ContactNameIndex::prefixRange(const QString& prefix) const {
    if (prefix.isEmpty())
        return {0, size()};
    const std::u16string folded = foldedText(prefix);
    // Every folded name that begins with the prefix sorts at or after it, before any that does not.
    const qsizetype first = lowerBound(folded);
    const auto last = std::partition_point(keys_.begin() + first, keys_.end(), [&](const Key& key) {
        return foldedOf(key).substr(0, folded.size()) == folded;
    });
    return {first, last - keys_.begin()};
}

qsizetype ContactNameIndex::find(const QString& name) const {
    const std::u16string folded = foldedText(name);
    const qsizetype firstMatch = lowerBound(folded);
    for (qsizetype row = firstMatch; row < size() && foldedOf(keys_[size_t(row)]) == folded; ++row) {
        if (names_[size_t(row)] == name)
            return row;
    }
    return firstMatch < size() && foldedOf(keys_[size_t(firstMatch)]) == folded ? firstMatch : -1;
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
