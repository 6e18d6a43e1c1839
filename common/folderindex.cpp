#include "common/folderindex.h"

#include "common/leftoversavefiles.h"
#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

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

bool isAscii(const char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    }
    return true;
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
QString decodeStoredName(const QByteArray& bytes, bool& foreign) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString name = utf8.decode(bytes);
    foreign = utf8.hasError();
    return foreign ? decodeText(bytes) : name;
}

bool isRegularFile(int folder, const dirent* entry) {
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat info {};
    return ::fstatat(folder, entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

} // namespace

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
    // Pure ASCII names (most of them) need no normalisation.
    for (const QChar c : name) {
        if (c.unicode() >= 0x80)
            return name.normalized(QString::NormalizationForm_C).toCaseFolded();
    }
    return foldAscii(name);
}

void FolderIndex::refreshIfChanged() {
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

quint64 hashOf(QByteArrayView bytes) {
    // FNV-1a: names are short, and the table is rebuilt from scratch at every listing.
    quint64 hash = 1469598103934665603ULL;
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return hash;
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

bool foldLatin1(const char* bytes, qsizetype length, QByteArray& arena, quint32& foldedAt) {
    // UTF-8 of Latin-1 letters only (Spanish names: É, ñ, ...): already NFC, and folding keeps each
    // character's length, so the folded bytes are written straight into the arena. Anything else
    // (other scripts, decomposed accents, µ and ß, bytes that are not UTF-8) takes the general way.
    for (qsizetype i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80)
            continue;
        if ((b != 0xC2 && b != 0xC3) || i + 1 >= length)
            return false;
        const auto next = static_cast<unsigned char>(bytes[i + 1]);
        if (next < 0x80 || next > 0xBF || (b == 0xC2 && next == 0xB5) || (b == 0xC3 && next == 0x9F))
            return false;
        ++i;
    }
    foldedAt = quint32(arena.size());
    for (qsizetype i = 0; i < length; ++i) {
        char c = bytes[i];
        if (c >= 'A' && c <= 'Z') {
            c = char(c + ('a' - 'A'));
        } else if (static_cast<unsigned char>(c) == 0xC3 && i + 1 < length) {
            // U+00C0-U+00DE but U+00D7 (x) fold to U+00E0-U+00FE: the second byte moves by 0x20.
            arena.append(c);
            c = bytes[++i];
            const auto second = static_cast<unsigned char>(c);
            if (second >= 0x80 && second <= 0x9E && second != 0x97)
                c = char(second + 0x20);
        } else if (static_cast<unsigned char>(c) == 0xC2 && i + 1 < length) {
            arena.append(c);
            c = bytes[++i];
        }
        arena.append(c);
    }
    return true;
}

} // namespace

namespace {

// A cheap first look for the atomic writer's temporary names: a dot and six letters or digits at the end.
bool endsLikeSaveFile(const char* name, qsizetype length) {
    if (length < 8 || name[length - 7] != '.')
        return false;
    for (qsizetype i = length - 6; i < length; ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return true;
}

} // namespace

void FolderIndex::list() {
    arena_.clear();
    entries_.clear();
    table_.clear();
    live_ = 0;
    namesChanged();
    listed_ = true;
    listingTrusted_ = false;
    if (folder_.isEmpty())
        return;
    // The time first: a change during the listing then shows as a newer time at the next look.
    rememberFolderTime();
    DIR* dir = ::opendir(nativeFolder_.constData());
    if (dir == nullptr)
        return;
    arena_.reserve(qsizetype(entries_.capacity()) * 48);
    const int fd = ::dirfd(dir);
    QList<QByteArray> maybeLeftovers;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.' || !isRegularFile(fd, entry))
            continue;
        const qsizetype length = qsizetype(std::strlen(entry->d_name));
        if (endsLikeSaveFile(entry->d_name, length))
            maybeLeftovers.append(QByteArray(entry->d_name, length));
        else
            add(entry->d_name, length);
    }
    ::closedir(dir);
    rebuildTable();
    // An unfinished save of a listed file ("<name>.XXXXXX" beside "<name>") is not a file of its own.
    bool added = false;
    for (const QByteArray& name : maybeLeftovers) {
        if (isLeftoverSaveFile(QFile::decodeName(name),
                               [this](const QString& stem) { return realName(stem) == stem; }))
            continue;
        add(name.constData(), name.size());
        added = true;
    }
    if (added)
        rebuildTable();
}

void FolderIndex::add(const char* bytes, qsizetype length) {
    Entry entry{quint32(arena_.size()), quint32(length), 0, 0, false, false};
    arena_.append(bytes, length);
    if (isAscii(bytes, size_t(length))) {
        bool upper = false;
        for (qsizetype i = 0; i < length && !upper; ++i)
            upper = bytes[i] >= 'A' && bytes[i] <= 'Z';
        entry.foldedAt = entry.storedAt;
        if (upper) {
            entry.foldedAt = quint32(arena_.size());
            for (qsizetype i = 0; i < length; ++i) {
                const char c = bytes[i];
                arena_.append(c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c);
            }
        }
        entry.foldedLength = quint32(length);
    } else if (foldLatin1(bytes, length, arena_, entry.foldedAt)) {
        entry.foldedLength = quint32(length);
    } else {
        const QString name = decodeStoredName(QByteArray(bytes, length), entry.foreign);
        const QByteArray folded = foldName(name).toUtf8();
        entry.foldedAt = quint32(arena_.size());
        entry.foldedLength = quint32(folded.size());
        arena_.append(folded);
    }
    entries_.push_back(entry);
    ++live_;
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
    const QByteArrayView folded = foldedOf(entries_[entry]);
    const size_t mask = table_.size() - 1;
    for (size_t slot = hashOf(folded) & mask;; slot = (slot + 1) & mask) {
        if (table_[slot] == 0 || foldedOf(entries_[table_[slot] - 1]) == folded) {
            table_[slot] = entry + 1;
            return;
        }
    }
}

qsizetype FolderIndex::find(const QByteArray& folded) const {
    if (table_.empty())
        return -1;
    const size_t mask = table_.size() - 1;
    for (size_t slot = hashOf(folded) & mask; table_[slot] != 0; slot = (slot + 1) & mask) {
        if (foldedOf(entries_[table_[slot] - 1]) == QByteArrayView(folded))
            return qsizetype(table_[slot] - 1);
    }
    return -1;
}

QByteArrayView FolderIndex::foldedOf(const Entry& entry) const {
    return QByteArrayView(arena_.constData() + entry.foldedAt, entry.foldedLength);
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
    // Our own change is known: the folder's new time stands for it, and no listing follows.
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
    const bool trusted = listingTrusted_;
    rememberFolderTime();
    listingTrusted_ = trusted;
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
    const std::string_view part(foldedPart.data(), size_t(foldedPart.size()));
    for (const Entry& entry : entries_) {
        const QByteArrayView folded = foldedOf(entry);
        if (!entry.removed &&
            std::string_view(folded.data(), size_t(folded.size())).find(part) != std::string_view::npos)
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
