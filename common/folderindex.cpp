// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/folderindex.h"

#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>

namespace common {

namespace {

// A change this close to the listing may share its time stamp with a later change (coarse file clocks).
constexpr long long kUntrustedNanoseconds = 50'000'000;

bool modifiedTime(const QByteArray& path, timespec& time) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return false;
    time = info.st_mtim;
    return true;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

long long nanosecondsBetween(const timespec& earlier, const timespec& later) {
    return (later.tv_sec - earlier.tv_sec) * 1'000'000'000LL + (later.tv_nsec - earlier.tv_nsec);
}

// Case-folds an ASCII name; the same string (no copy) when it has no capital letter.
QString foldAscii(const QString& name) {
    const auto* chars = reinterpret_cast<const char16_t*>(name.utf16());
    const qsizetype length = name.size();
    qsizetype first = 0;
    while (first < length && !(chars[first] >= u'A' && chars[first] <= u'Z'))
        ++first;
    if (first == length)
        return name;
    QString folded = name;
    char16_t* out = reinterpret_cast<char16_t*>(folded.data());
    for (qsizetype i = first; i < length; ++i) {
        if (out[i] >= u'A' && out[i] <= u'Z')
            out[i] = char16_t(out[i] + (u'a' - u'A'));
    }
    return folded;
}

// A file name is not a text: a leading U+FEFF belongs to the name, where the text decoders take it for a
// byte-order mark and drop it, so "\uFEFF.." would read back as "..". Bytes that are not UTF-8 take the
// Windows-1252 reading of the text decoder.

bool isEntryOfKind(int folder, const dirent* entry, unsigned char kind, mode_t mode) {
    if (entry->d_type == kind)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat info {};
    return ::fstatat(folder, entry->d_name, &info, 0) == 0 && (info.st_mode & S_IFMT) == mode;
}

} // namespace

QString decodeStoredName(const QByteArray& bytes, bool& foreign) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString name = utf8.decode(bytes);
    foreign = utf8.hasError();
    return foreign ? decodeText(bytes) : name;
}

bool isRegularFileEntry(int folder, const dirent* entry) {
    return isEntryOfKind(folder, entry, DT_REG, S_IFREG);
}

bool isFolderEntry(int folder, const dirent* entry) {
    return isEntryOfKind(folder, entry, DT_DIR, S_IFDIR);
}

FolderIndex::FolderIndex(QString folder)
    : folder_(std::move(folder)), nativeFolder_(QFile::encodeName(folder_)) {}

void FolderIndex::setFolder(const QString& folder) {
    if (folder == folder_)
        return;
    folder_ = folder;
    nativeFolder_ = QFile::encodeName(folder_);
    listed_ = false;
    refreshIfChanged();
}

QString FolderIndex::foldName(const QString& name) {
    bool ascii = true;
    for (const QChar c : name) {
        if (c.unicode() >= 0x100) {
            // Decomposed before folding and composed after: a capital and its combining mark fold the same
            // however they were written (I with a combining dot, or İ, both fold to i and the dot), and
            // folding an already folded name changes nothing.
            return name.normalized(QString::NormalizationForm_D)
                .toCaseFolded()
                .normalized(QString::NormalizationForm_C);
        }
        ascii = ascii && c.unicode() < 0x80;
    }
    // Latin-1 holds no combining marks, so such a name is composed already and folds to composed letters.
    // Pure ASCII names (most of them) fold letter by letter.
    return ascii ? foldAscii(name) : name.toCaseFolded();
}

void FolderIndex::refreshIfChanged() {
    if (listed_ && journal_.recording()) {
        std::vector<QByteArray> changed;
        switch (journal_.takeChanges(changed)) {
        case FolderJournal::Outcome::Unchanged:
            return;
        case FolderJournal::Outcome::Changed:
            applyChanges(changed);
            return;
        case FolderJournal::Outcome::Lost:
            list();
            return;
        }
    }
    timespec modified{};
    const bool exists = !folder_.isEmpty() && modifiedTime(nativeFolder_, modified);
    if (listed_ && listingTrusted_ && exists && sameTime(modified, listedModified_))
        return;
    if (listed_ && !exists && live_ == 0)
        return;
    list();
}

void FolderIndex::refresh() {
    list();
}

void FolderIndex::rememberFolderTime() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    listedModified_ = {};
    listingTrusted_ = modifiedTime(nativeFolder_, listedModified_) &&
                      nanosecondsBetween(listedModified_, now) > kUntrustedNanoseconds;
}

namespace {

// FNV-1a over the folded bytes: names are short, and each name is hashed once, as it is listed.
constexpr quint64 kHashStart = 1469598103934665603ULL;
constexpr quint64 kHashFactor = 1099511628211ULL;

inline quint64 hashStep(quint64 hash, unsigned char byte) {
    return (hash ^ byte) * kHashFactor;
}

inline quint32 finalHash(quint64 hash) {
    return quint32(hash ^ (hash >> 32));
}

quint32 hashOf(QByteArrayView bytes) {
    quint64 hash = kHashStart;
    for (const char c : bytes)
        hash = hashStep(hash, static_cast<unsigned char>(c));
    return finalHash(hash);
}

// The folded form of a name as UTF-8 bytes: ASCII lowered in place, anything else case-folded and NFC.
QByteArray foldedBytes(const QString& name) {
    QByteArray bytes(name.size(), Qt::Uninitialized);
    const auto* chars = reinterpret_cast<const char16_t*>(name.utf16());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = chars[i];
        if (c >= 0x80)
            return FolderIndex::foldName(name).toUtf8();
        bytes[i] = char(c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c);
    }
    return bytes;
}

inline unsigned char lowerAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// UTF-8 of Latin-1 letters (Spanish names: É, ñ, ...) is already NFC and folds byte for byte: the
// second byte of U+00C0-U+00DE but U+00D7 (x) moves by 0x20 to U+00E0-U+00FE. µ and ß fold to other
// lengths or letters and are not taken here.
inline bool isFoldableLatin1(unsigned char lead, unsigned char next) {
    return (lead == 0xC2 || lead == 0xC3) && next >= 0x80 && next <= 0xBF &&
           !(lead == 0xC2 && next == 0xB5) && !(lead == 0xC3 && next == 0x9F);
}

inline unsigned char foldedLatin1Second(unsigned char lead, unsigned char next) {
    return lead == 0xC3 && next <= 0x9E && next != 0x97 ? static_cast<unsigned char>(next + 0x20) : next;
}

} // namespace

void FolderIndex::list() {
    arena_.resize(0); // keeps its room for the next listing
    entries_.clear();
    table_.clear();
    live_ = 0;
    namesChanged();
    listed_ = true;
    listingTrusted_ = false;
    if (folder_.isEmpty())
        return;
    // The journal and the time first: a change during the listing is then seen at the next look.
    journal_.start(nativeFolder_);
    rememberFolderTime();
    DIR* dir = ::opendir(nativeFolder_.constData());
    if (dir == nullptr) {
        journal_.stop();
        return;
    }
    const int fd = ::dirfd(dir);
    // The folder's own size grows with its names (ext4: their records; tmpfs: 20 bytes a name): room
    // reserved from it spares the copies of growing by halves.
    struct stat folderInfo {};
    if (::fstat(fd, &folderInfo) == 0 && folderInfo.st_size > 0) {
        const auto size = qsizetype(std::min<off_t>(folderInfo.st_size, off_t(64) << 20));
        arena_.reserve(2 * size);
        entries_.reserve(size_t(size) / 16);
    }
    // Hidden names (the lock, the programs' own staging files) are no one's notes.
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.' || !isRegularFileEntry(fd, entry))
            continue;
        add(entry->d_name, qsizetype(std::strlen(entry->d_name)));
    }
    ::closedir(dir);
    rebuildTable();
}

void FolderIndex::applyChanges(const std::vector<QByteArray>& names) {
    bool changed = false;
    // A removed name leaves its slot taken: the table is then built again once, after every change.
    bool rebuild = false;
    for (const QByteArray& name : names) {
        struct stat info {};
        const QByteArray path = nativeFolder_ + '/' + name;
        const bool isFile = ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
        const qsizetype found = findStored(name);
        if (found >= 0 && !isFile) {
            entries_[size_t(found)].removed = true;
            --live_;
            rebuild = changed = true;
        } else if (found < 0 && isFile) {
            add(name.constData(), name.size());
            rebuild = rebuild || size_t(live_) * 2 + 2 > table_.size();
            if (!rebuild)
                placeInTable(quint32(entries_.size() - 1));
            changed = true;
        }
    }
    if (rebuild)
        rebuildTable();
    if (changed)
        namesChanged();
}

qsizetype FolderIndex::findStored(const QByteArray& bytes) const {
    const auto storedAs = [&](const Entry& entry) {
        return !entry.removed &&
               QByteArrayView(arena_.constData() + entry.storedAt, entry.storedLength) == bytes;
    };
    bool foreign = false;
    const qsizetype found = find(foldedBytes(decodeStoredName(bytes, foreign)));
    if (found < 0)
        return -1;
    if (storedAs(entries_[size_t(found)]))
        return found;
    // Another spelling of the same name is the one looked up: this one is found among all of them.
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (storedAs(entries_[i]))
            return qsizetype(i);
    }
    return -1;
}

void FolderIndex::add(const char* bytes, qsizetype length) {
    Entry entry{quint32(arena_.size()), 0, 0, quint32(length), quint32(length), Fold::Ascii, false, false};
    arena_.append(bytes, length);
    // One pass folds and hashes ASCII and Latin-1 names without writing the folded bytes anywhere.
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    quint64 hash = kHashStart;
    for (qsizetype i = 0; i < length; ++i) {
        const unsigned char c = in[i];
        if (c < 0x80) {
            hash = hashStep(hash, lowerAscii(c));
        } else if (i + 1 < length && isFoldableLatin1(c, in[i + 1])) {
            hash = hashStep(hashStep(hash, c), foldedLatin1Second(c, in[i + 1]));
            entry.fold = Fold::Latin1;
            ++i;
        } else {
            entry.fold = Fold::Kept;
            break;
        }
    }
    if (entry.fold == Fold::Kept) {
        const QString name = decodeStoredName(QByteArray(bytes, length), entry.foreign);
        const QByteArray folded = foldName(name).toUtf8();
        entry.foldedAt = quint32(arena_.size());
        entry.foldedLength = quint32(folded.size());
        arena_.append(folded);
        entry.hash = hashOf(folded);
    } else {
        entry.hash = finalHash(hash);
    }
    entries_.push_back(entry);
    ++live_;
}

bool FolderIndex::entryMatches(const Entry& entry, QByteArrayView folded, quint32 hash) const {
    if (entry.hash != hash || entry.foldedLength != quint32(folded.size()))
        return false;
    const auto* want = reinterpret_cast<const unsigned char*>(folded.data());
    if (entry.fold == Fold::Kept)
        return std::memcmp(arena_.constData() + entry.foldedAt, want, entry.foldedLength) == 0;
    const auto* stored = reinterpret_cast<const unsigned char*>(arena_.constData() + entry.storedAt);
    for (quint32 i = 0; i < entry.storedLength; ++i) {
        const unsigned char c = stored[i];
        if (c < 0x80) {
            if (lowerAscii(c) != want[i])
                return false;
        } else {
            // A Latin-1 letter: its lead byte as stored, its second byte folded.
            if (c != want[i] || i + 1 >= entry.storedLength ||
                foldedLatin1Second(c, stored[i + 1]) != want[i + 1])
                return false;
            ++i;
        }
    }
    return true;
}

void FolderIndex::rebuildTable() {
    size_t slotCount = 16;
    while (slotCount < size_t(live_) * 2 + 2)
        slotCount *= 2;
    table_.assign(slotCount, 0);
    for (quint32 i = 0; i < entries_.size(); ++i) {
        if (!entries_[i].removed)
            placeInTable(i);
    }
}

void FolderIndex::placeInTable(quint32 entry) {
    // A later spelling of the same folded name takes the slot, as the last one listed wins.
    const Entry& placed = entries_[entry];
    const size_t mask = table_.size() - 1;
    for (size_t slot = placed.hash & mask;; slot = (slot + 1) & mask) {
        if (table_[slot] == 0) {
            table_[slot] = entry + 1;
            return;
        }
        const Entry& other = entries_[table_[slot] - 1];
        if (other.hash == placed.hash && sameFoldedName(other, placed)) {
            table_[slot] = entry + 1;
            return;
        }
    }
}

bool FolderIndex::sameFoldedName(const Entry& a, const Entry& b) const {
    if (a.fold == Fold::Kept)
        return entryMatches(b, QByteArrayView(arena_.constData() + a.foldedAt, a.foldedLength), a.hash);
    QByteArray folded(arena_.constData() + a.storedAt, a.storedLength);
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const auto c = static_cast<unsigned char>(folded[i]);
        if (c < 0x80) {
            folded[i] = char(lowerAscii(c));
        } else if (i + 1 < folded.size()) {
            folded[i + 1] = char(foldedLatin1Second(c, static_cast<unsigned char>(folded[i + 1])));
            ++i;
        }
    }
    return entryMatches(b, folded, a.hash);
}

qsizetype FolderIndex::find(const QByteArray& folded) const {
    if (table_.empty())
        return -1;
    const quint32 hash = hashOf(folded);
    const size_t mask = table_.size() - 1;
    for (size_t slot = hash & mask; table_[slot] != 0; slot = (slot + 1) & mask) {
        if (entryMatches(entries_[table_[slot] - 1], folded, hash))
            return qsizetype(table_[slot] - 1);
    }
    return -1;
}

QString FolderIndex::nameOf(const Entry& entry) const {
    const QByteArray stored =
        QByteArray::fromRawData(arena_.constData() + entry.storedAt, entry.storedLength);
    if (entry.foreign || stored.startsWith("\xEF\xBB\xBF")) {
        bool foreign = false;
        return decodeStoredName(stored, foreign);
    }
    return QString::fromUtf8(stored);
}

void FolderIndex::namesChanged() {
    names_.clear();
    namesCurrent_ = false;
    ++generation_;
}

void FolderIndex::noteWritten(const QString& name) {
    if (!listed_) {
        list();
        return;
    }
    if (find(foldedBytes(name)) < 0) {
        const QByteArray bytes = QFile::encodeName(name);
        add(bytes.constData(), bytes.size());
        if (size_t(live_) * 2 + 2 > table_.size())
            rebuildTable();
        else
            placeInTable(quint32(entries_.size() - 1));
        namesChanged();
    }
    followOwnChange();
}

void FolderIndex::followOwnChange() {
    // With a journal the kernel's notice of this change only confirms it; otherwise the folder's new time
    // stands for it, and no listing follows.
    if (journal_.recording())
        return;
    const bool trusted = listingTrusted_;
    rememberFolderTime();
    listingTrusted_ = trusted;
}

void FolderIndex::noteRemoved(const QString& name) {
    if (!listed_) {
        list();
        return;
    }
    // Only the spelling the name stands for goes; another spelling of it, if any, is found again.
    const qsizetype found = find(foldedBytes(name));
    if (found >= 0) {
        entries_[size_t(found)].removed = true;
        --live_;
        rebuildTable();
        namesChanged();
    }
    followOwnChange();
}

bool FolderIndex::contains(const QString& name) const {
    return find(foldedBytes(name)) >= 0;
}

QString FolderIndex::realName(const QString& name) const {
    const qsizetype found = find(foldedBytes(name));
    return found < 0 ? QString() : nameOf(entries_[size_t(found)]);
}

QString FolderIndex::pathFor(const QString& name) const {
    const QString stored = realName(name);
    const QString& fileName = stored.isEmpty() ? name : stored;
    return folder_.isEmpty() ? fileName : folder_ + u'/' + fileName;
}

QByteArray FolderIndex::nativePathFor(const QString& name) const {
    const qsizetype found = find(foldedBytes(name));
    if (found < 0)
        return QFile::encodeName(folder_ + u'/' + name);
    const Entry& entry = entries_[size_t(found)];
    QByteArray path = nativeFolder_;
    path += '/';
    path.append(arena_.constData() + entry.storedAt, entry.storedLength);
    return path;
}

bool FolderIndex::isStoredInForeignBytes(const QString& name) const {
    const qsizetype found = find(foldedBytes(name));
    return found >= 0 && entries_[size_t(found)].foreign;
}

const QStringList& FolderIndex::names() const {
    // Gathered and sorted only when someone lists the folder: marking lookups never need the order.
    if (!namesCurrent_) {
        names_.clear();
        names_.reserve(live_);
        for (const Entry& entry : entries_) {
            if (!entry.removed)
                names_.append(nameOf(entry));
        }
        names_.sort(Qt::CaseInsensitive);
        namesCurrent_ = true;
    }
    return names_;
}

QStringList FolderIndex::namesContaining(QByteArrayView foldedPart) const {
    QStringList found;
    const auto sameLetter = [](char stored, char wanted) {
        return char(lowerAscii(static_cast<unsigned char>(stored))) == wanted;
    };
    for (const Entry& entry : entries_) {
        if (entry.removed)
            continue;
        // Names folded in place differ from their folded form in ASCII case only, as far as an ASCII part
        // can tell.
        const bool kept = entry.fold == Fold::Kept;
        const char* bytes = arena_.constData() + (kept ? entry.foldedAt : entry.storedAt);
        const char* end = bytes + (kept ? entry.foldedLength : entry.storedLength);
        if (std::search(bytes, end, foldedPart.begin(), foldedPart.end(), sameLetter) != end)
            found.append(nameOf(entry));
    }
    return found;
}

QStringList FolderIndex::withPrefix(const QString& prefix) const {
    if (prefix.isEmpty())
        return names();
    const QString folded = foldName(prefix);
    QStringList found;
    for (const QString& name : names()) {
        if (foldName(name).startsWith(folded))
            found.append(name);
    }
    return found;
}

} // namespace common
