#include "common/folderindex.h"

#include "common/textfile.h"

#include <QDir>
#include <QFile>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
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
    if (listed_ && !exists && byFolded_.isEmpty())
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

void FolderIndex::list() {
    byFolded_.clear();
    listedNames_.clear();
    names_.clear();
    namesCurrent_ = false;
    listed_ = true;
    listingTrusted_ = false;
    if (folder_.isEmpty())
        return;
    // The time first: a change during the listing then shows as a newer time at the next look.
    rememberFolderTime();
    DIR* dir = ::opendir(nativeFolder_.constData());
    if (dir == nullptr)
        return;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const char* bytes = entry->d_name;
        if (bytes[0] == '.' || !isRegularFile(fd, entry))
            continue;
        const size_t length = std::strlen(bytes);
        if (isAscii(bytes, length)) {
            const QString name = QString::fromLatin1(bytes, qsizetype(length));
            byFolded_.insert(foldAscii(name), Entry{name, {}});
            listedNames_.append(name);
            continue;
        }
        const QByteArray raw(bytes, qsizetype(length));
        const QString name = decodeText(raw);
        const bool utf8 = name.toUtf8() == raw;
        byFolded_.insert(foldName(name), Entry{name, utf8 ? QByteArray() : raw});
        listedNames_.append(name);
    }
    ::closedir(dir);
}

void FolderIndex::noteWritten(const QString& name) {
    if (!listed_) {
        list();
        return;
    }
    const QString folded = foldName(name);
    if (!byFolded_.contains(folded)) {
        byFolded_.insert(folded, Entry{name, {}});
        listedNames_.append(name);
        names_.clear();
        namesCurrent_ = false;
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
    const QString folded = foldName(name);
    if (byFolded_.remove(folded) > 0) {
        listedNames_.removeIf([&folded](const QString& listed) { return foldName(listed) == folded; });
        names_.clear();
        namesCurrent_ = false;
    }
    const bool trusted = listingTrusted_;
    rememberFolderTime();
    listingTrusted_ = trusted;
}

bool FolderIndex::contains(const QString& name) const {
    return byFolded_.contains(foldName(name));
}

QString FolderIndex::realName(const QString& name) const {
    const auto found = byFolded_.constFind(foldName(name));
    return found == byFolded_.cend() ? QString() : found->name;
}

QString FolderIndex::pathFor(const QString& name) const {
    const QString stored = realName(name);
    const QString& fileName = stored.isEmpty() ? name : stored;
    return folder_.isEmpty() ? fileName : folder_ + u'/' + fileName;
}

QByteArray FolderIndex::nativePathFor(const QString& name) const {
    const auto found = byFolded_.constFind(foldName(name));
    if (found == byFolded_.cend())
        return QFile::encodeName(folder_ + u'/' + name);
    return nativeFolder_ + '/' +
           (found->foreignBytes.isEmpty() ? QFile::encodeName(found->name) : found->foreignBytes);
}

bool FolderIndex::isStoredInForeignBytes(const QString& name) const {
    const auto found = byFolded_.constFind(foldName(name));
    return found != byFolded_.cend() && !found->foreignBytes.isEmpty();
}

const QStringList& FolderIndex::names() const {
    // Gathered and sorted only when someone lists the folder: marking lookups never need the order.
    if (!namesCurrent_) {
        names_ = listedNames_;
        names_.sort(Qt::CaseInsensitive);
        namesCurrent_ = true;
    }
    return names_;
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
