// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/contacts/contactlist.h"

#include "common/conflictcopy.h"
#include "common/folderindex.h"
#include "common/leftoversavefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringMatcher>

#include <algorithm>
#include <array>
#include <cstring>
#include <dirent.h>
#include <string_view>

namespace quindara {

namespace {

// The folded form of each Latin-1 code unit, one to one and already in normal form; 0 where a name must
// take the full way (ß folds to two letters).
const std::array<char16_t, 256>& latin1Folds() {
    static const std::array<char16_t, 256> folds = [] {
        std::array<char16_t, 256> made{};
        for (char16_t c = 1; c < 256; ++c)
            made[c] = c == 0xDF ? 0 : char16_t(QChar::toCaseFolded(char32_t(c)));
        return made;
    }();
    return folds;
}

// Appends the folded form of a name, as FolderIndex::foldName gives it, without its copies for the usual
// names: Latin-1 letters fold one to one; any other name takes the full way.
void appendFolded(std::u16string& out, std::u16string_view name) {
    const std::array<char16_t, 256>& folds = latin1Folds();
    const std::size_t start = out.size();
    out.resize(start + name.size());
    char16_t* to = out.data() + start;
    for (const char16_t c : name) {
        const char16_t folded = c < 0x100 ? folds[c] : 0;
        if (folded == 0) {
            out.resize(start);
            const QString full = common::FolderIndex::foldName(
                QString(reinterpret_cast<const QChar*>(name.data()), qsizetype(name.size())));
            out.append(reinterpret_cast<const char16_t*>(full.utf16()), std::size_t(full.size()));
            return;
        }
        *to++ = folded;
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
    appendFolded(folded, viewOf(text));
    return folded;
}

} // namespace

QString NameBlock::name(qsizetype i) const {
    const std::u16string_view name = at(i);
    return QString(reinterpret_cast<const QChar*>(name.data()), qsizetype(name.size()));
}

void NameBlock::append(std::u16string_view name) {
    spans_.push_back({quint32(text_.size()), quint32(name.size())});
    text_.append(name);
}

void NameBlock::append(const QString& name) {
    append(viewOf(name));
}

void NameBlock::appendEncoded(const char* bytes, std::size_t length) {
    // ASCII and two-byte sequences (every letter of the Latin alphabets) are decoded here, straight into
    // the block; three- and four-byte sequences and bytes that are not UTF-8 take the full way.
    const std::size_t start = text_.size();
    text_.resize(start + length);
    char16_t* to = text_.data() + start;
    const auto* from = reinterpret_cast<const unsigned char*>(bytes);
    const auto* end = from + length;
    while (from < end) {
        const unsigned char lead = *from;
        if (lead < 0x80) {
            *to++ = lead;
            ++from;
        } else if (lead >= 0xC2 && lead <= 0xDF && end - from >= 2 && (from[1] & 0xC0) == 0x80) {
            *to++ = char16_t((lead & 0x1F) << 6 | (from[1] & 0x3F));
            from += 2;
        } else {
            text_.resize(start);
            append(QFile::decodeName(QByteArray::fromRawData(bytes, qsizetype(length))));
            return;
        }
    }
    text_.resize(std::size_t(to - text_.data()));
    spans_.push_back({quint32(start), quint32(text_.size() - start)});
}

bool NameBlock::mayContain(const QStringMatcher& marker) const {
    return marker.indexIn(QStringView(text_.data(), qsizetype(text_.size()))) >= 0;
}

QStringList NameBlock::toStringList() const {
    QStringList names;
    names.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        names.append(name(i));
    return names;
}

void ContactNameIndex::setNames(const QStringList& names) {
    NameBlock block;
    for (const QString& name : names)
        block.append(name);
    setNames(std::move(block));
}

void ContactNameIndex::setNames(NameBlock names) {
    names_ = std::move(names);
    folded_.clear();
    keys_.clear();
    keys_.reserve(size_t(names_.size()));
    for (qsizetype i = 0; i < names_.size(); ++i) {
        const std::u16string_view name = names_.at(i);
        if (name.empty() || name.front() == u'.')
            continue;
        const std::size_t at = folded_.size();
        appendFolded(folded_, name);
        const std::u16string_view folded(folded_.data() + at, folded_.size() - at);
        keys_.push_back({headOf(folded), quint32(at), quint32(folded.size()), quint32(i)});
    }
    sortFrom(keys_.begin(), keys_.end(), 0);
}

void ContactNameIndex::sortFrom(std::vector<Key>::iterator first, std::vector<Key>::iterator last,
                                std::size_t depth) {
    // By the folded text, four code units at a time: keys are sorted by their chunk, and each run that
    // shares it goes on with the next four. A chunk that ends in 0 holds the end of the text (no name
    // holds U+0000), so its run is of names that differ only in case, put in a fixed order.
    std::sort(first, last, [](const Key& a, const Key& b) { return a.chunk < b.chunk; });
    while (first != last) {
        const auto runEnd =
            std::find_if(first + 1, last, [&](const Key& key) { return key.chunk != first->chunk; });
        if (runEnd - first > 1) {
            if ((first->chunk & 0xFFFF) == 0) {
                std::sort(first, runEnd, [&](const Key& a, const Key& b) {
                    return names_.at(a.source) < names_.at(b.source);
                });
            } else {
                for (auto key = first; key != runEnd; ++key)
                    key->chunk = headOf(foldedOf(*key), 4 * (depth + 1));
                sortFrom(first, runEnd, depth + 1);
            }
        }
        first = runEnd;
    }
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
        if (names_.at(keys_[size_t(row)].source) == viewOf(name))
            return row;
    }
    return firstMatch < size() && foldedOf(keys_[size_t(firstMatch)]) == folded ? firstMatch : -1;
}

NameBlock fileNameBlockIn(const QString& folder) {
    NameBlock names;
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
        // A save cut short leaves its staging file: no one's card.
        if (raw[0] == '.' && common::isOwnScratchName(QByteArrayView(raw, qsizetype(std::strlen(raw)))))
            continue;
        // The directory tells the kind of most entries; links and unknown kinds are looked at.
        if (entry->d_type == DT_REG)
            names.appendEncoded(raw, std::strlen(raw));
        else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            const QString name = QFile::decodeName(raw);
            if (QFileInfo(folder + u'/' + name).isFile())
                names.append(name);
        }
    }
    closedir(dir);
    return names;
}

QStringList fileNamesIn(const QString& folder) {
    return fileNameBlockIn(folder).toStringList();
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
    NameBlock names = fileNameBlockIn(folder_);
    // Every conflict copy's name holds this marker; most folders have none, and their names go to the
    // index as they were read.
    static const QStringMatcher marker(u"conflict");
    if (!names.mayContain(marker)) {
        copies_.clear();
        index_.setNames(std::move(names));
        return;
    }
    common::NamesAndCopies apart = common::setConflictCopiesApart(names.toStringList());
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

QModelIndex ContactListModel::index(int row, int column, const QModelIndex& parent) const {
    return row >= 0 && column == 0 && !parent.isValid() && row < last_ - first_ ? createIndex(row, column)
                                                                                : QModelIndex();
}

QVariant ContactListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    const QString name = index_.name(first_ + index.row());
    return copies_.isEmpty() || conflictCopiesOf(name).isEmpty() ? name : common::conflictCopyLabel(name);
}

} // namespace quindara
