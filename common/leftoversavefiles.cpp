#include "common/leftoversavefiles.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QLoggingCategory>
#include <QRegularExpression>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

namespace {

Q_LOGGING_CATEGORY(leftovers, "quindara.leftovers")

constexpr int kSuffixLength = 7; // "." and six letters or digits

// The suffix test of looksLikeSaveFile on a name's bytes: the suffix is ASCII, so the bytes tell alone.
bool endsLikeSaveFile(const char* name, std::size_t length) {
    if (length <= std::size_t(kSuffixLength) || name[length - kSuffixLength] != '.')
        return false;
    for (std::size_t i = length - kSuffixLength + 1; i < length; ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return true;
}

bool isKind(int folder, const dirent* entry, unsigned char kind, mode_t mode) {
    if (entry->d_type == kind)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat info {};
    return ::fstatat(folder, entry->d_name, &info, 0) == 0 && (info.st_mode & S_IFMT) == mode;
}

// Reads the folder's names from the directory alone (no file information per name, nothing sorted):
// the folders may hold tens of thousands of files, and only a name that ends like a save file is looked
// at further. Its sub-folders go to `subFolders`.
int removeIn(const QByteArray& path, QList<QByteArray>& subFolders) {
    DIR* dir = ::opendir(path.constData());
    if (dir == nullptr)
        return 0;
    const int fd = ::dirfd(dir);
    QList<QByteArray> found;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        const std::size_t length = std::strlen(name);
        // The programs' own scratch files end in ".tmp"; only those names go through the full test.
        if (length > 4 && std::strcmp(name + length - 4, ".tmp") == 0 &&
            isLeftoverScratchFile(QFile::decodeName(name))) {
            found.append(QByteArray(name, qsizetype(length)));
            continue;
        }
        const bool saveFileName = endsLikeSaveFile(name, length);
        // Most names end otherwise and are neither looked at further nor kept.
        if (!saveFileName && entry->d_type == DT_REG)
            continue;
        if (isKind(fd, entry, DT_DIR, S_IFDIR)) {
            subFolders.append(path + '/' + name);
        } else if (saveFileName) {
            // A leftover only while "<name>" itself is a file there; the stem is the name's bytes
            // without the ASCII suffix.
            const QByteArray stem(name, qsizetype(length) - kSuffixLength);
            struct stat info {};
            if (::fstatat(fd, stem.constData(), &info, 0) == 0 && S_ISREG(info.st_mode))
                found.append(QByteArray(name, qsizetype(length)));
        }
    }
    int removed = 0;
    for (const QByteArray& name : std::as_const(found)) {
        if (::unlinkat(fd, name.constData(), 0) == 0)
            ++removed;
        else
            qCWarning(leftovers) << "cannot remove" << QFile::decodeName(path + '/' + name);
    }
    ::closedir(dir);
    return removed;
}

} // namespace

bool looksLikeSaveFile(const QString& name) {
    if (name.size() <= kSuffixLength || name.at(name.size() - kSuffixLength) != u'.')
        return false;
    for (qsizetype i = name.size() - kSuffixLength + 1; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return false;
    }
    return true;
}

bool isLeftoverSaveFile(const QString& name, const std::function<bool(const QString&)>& fileExists) {
    return looksLikeSaveFile(name) && fileExists(name.left(name.size() - kSuffixLength));
}

bool isLeftoverScratchFile(const QString& name) {
    static const QRegularExpression scratch(
        QStringLiteral(R"(^(?:\.quindara-\d+|prueba-escritura-[0-9A-Za-z]{6})\.tmp$)"));
    return scratch.match(name).hasMatch();
}

int removeLeftoverSaveFiles(const QString& programFolder, const QStringList& relativeFolders) {
    int removed = 0;
    const QDir root(programFolder);
    // A folder that is also the sub-folder of another one given is looked at once.
    QHash<QByteArray, QList<QByteArray>> subFoldersOf;
    const auto sweep = [&](const QByteArray& path) -> const QList<QByteArray>& {
        auto found = subFoldersOf.find(path);
        if (found == subFoldersOf.end()) {
            found = subFoldersOf.insert(path, {});
            removed += removeIn(path, *found);
        }
        return *found;
    };
    for (const QString& relative : relativeFolders) {
        const QList<QByteArray> subFolders =
            sweep(QFile::encodeName(QDir::cleanPath(root.filePath(relative))));
        for (const QByteArray& sub : subFolders)
            sweep(sub);
    }
    if (removed > 0)
        qCWarning(leftovers) << removed << "unfinished saves removed under" << programFolder;
    return removed;
}

} // namespace common
