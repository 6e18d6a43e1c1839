// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/leftoversavefiles.h"

#include "common/folderindex.h"
#include "common/logging.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

namespace {

constexpr QByteArrayView kMark(".quindara-");
constexpr QByteArrayView kEnd(".tmp");
constexpr int kRandomLength = 6;
constexpr qsizetype kMaxNameBytes = 255;

bool isAsciiLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Reads the folder's names from the directory alone (no file information per name, nothing sorted):
// the folders may hold tens of thousands of files. Its sub-folders go to `subFolders`.
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
        const QByteArrayView view(name, qsizetype(std::strlen(name)));
        if (isOwnScratchName(view)) {
            if (isRegularFileEntry(fd, entry))
                found.append(view.toByteArray());
        } else if (entry->d_type != DT_REG && isFolderEntry(fd, entry)) {
            subFolders.append(path + '/' + name);
        }
    }
    int removed = 0;
    for (const QByteArray& name : std::as_const(found)) {
        if (::unlinkat(fd, name.constData(), 0) == 0)
            ++removed;
        else
            qCWarning(lcLeftovers) << "cannot remove" << QFile::decodeName(path + '/' + name);
    }
    ::closedir(dir);
    return removed;
}

} // namespace

bool isOwnScratchName(QByteArrayView name) {
    if (!name.startsWith('.') || !name.endsWith(kEnd))
        return false;
    // What is between the mark and ".tmp": letters or digits only.
    const QByteArrayView stem = name.chopped(kEnd.size());
    qsizetype tail = stem.size();
    while (tail > 0 && isAsciiLetterOrDigit(stem.at(tail - 1)))
        --tail;
    if (tail == stem.size())
        return false;
    return stem.first(tail).endsWith(kMark);
}

QByteArray newScratchName(QByteArrayView name) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const qsizetype room = kMaxNameBytes - 1 - kMark.size() - kRandomLength - kEnd.size();
    QByteArray scratch = '.' + name.first(std::min(name.size(), room)).toByteArray() + kMark.toByteArray();
    for (int i = 0; i < kRandomLength; ++i)
        scratch += kLetters[QRandomGenerator::global()->bounded(int(sizeof(kLetters) - 1))];
    return scratch + kEnd.toByteArray();
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
        qCWarning(lcLeftovers) << removed << "unfinished saves removed under" << programFolder;
    return removed;
}

} // namespace common
