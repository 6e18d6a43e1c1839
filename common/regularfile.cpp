// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/regularfile.h"

#include "common/logging.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

namespace {

// The root as the programs spell it and as the system resolves it (it may itself sit behind a link).
struct Root {
    QByteArray given;
    QByteArray resolved;
};

Root& root() {
    static Root folder;
    return folder;
}

bool isUnder(const QByteArray& path, const QByteArray& folder) {
    return !folder.isEmpty() && path.size() > folder.size() && path.startsWith(folder) &&
           (folder.endsWith('/') || path.at(folder.size()) == '/');
}

QByteArray absolute(const QByteArray& path) {
    if (path.startsWith('/'))
        return path;
    return QFile::encodeName(QDir::currentPath()) + '/' + path;
}

std::optional<QByteArray> resolved(const QByteArray& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.constData(), buffer) == nullptr)
        return std::nullopt;
    return QByteArray(buffer);
}

enum class Link { Followed, Outside, Broken };

// Whether the symbolic link at `path` may be followed; `target` gets where it leads unless it is broken.
Link followLink(const QByteArray& path, QByteArray& target) {
    const auto found = resolved(path);
    if (!found)
        return Link::Broken;
    target = *found;
    const Root& data = root();
    const QByteArray at = absolute(path);
    if (!isUnder(at, data.given) && !isUnder(at, data.resolved))
        return Link::Followed; // not a data file: the link is the user's own business
    if (isUnder(target, data.resolved))
        return Link::Followed;
    qCWarning(lcLinks) << "link leads out of the data folder:" << QFile::decodeName(path) << "->"
                       << QFile::decodeName(target);
    return Link::Outside;
}

} // namespace

void setDataFolderRoot(const QString& folder) {
    Root& data = root();
    data.given =
        folder.isEmpty() ? QByteArray() : QFile::encodeName(QDir::cleanPath(QDir(folder).absolutePath()));
    data.resolved = data.given.isEmpty() ? QByteArray() : resolved(data.given).value_or(data.given);
}

int openRegularFile(const QByteArray& nativePath, qint64* size) {
    return openRegularFileAt(AT_FDCWD, nativePath, QByteArray(), size);
}

int openRegularFileAt(int folder, const QByteArray& name, const QByteArray& folderPath, qint64* size) {
    // Non-blocking, so a FIFO opens at once and is refused below instead of waiting for a writer.
    constexpr int kFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW;
    int fd = ::openat(folder, name.constData(), kFlags);
    if (fd < 0 && errno == ELOOP) {
        QByteArray target;
        if (followLink(folderPath.isEmpty() ? name : folderPath + '/' + name, target) != Link::Followed) {
            errno = EACCES;
            return -1;
        }
        fd = ::open(target.constData(), kFlags);
    }
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EACCES;
        return -1;
    }
    if (size != nullptr)
        *size = qint64(info.st_size);
    return fd;
}

Result<QByteArray> writeTarget(const QByteArray& nativePath) {
    struct stat info {};
    if (::lstat(nativePath.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
        return nativePath;
    QByteArray target;
    switch (followLink(nativePath, target)) {
    case Link::Followed:
        return target;
    case Link::Outside:
        return Status::failure(
            QStringLiteral("el archivo es un enlace a una ruta fuera de la carpeta de datos"));
    case Link::Broken:
        break;
    }
    return Status::failure(QStringLiteral("el archivo es un enlace a un archivo que no existe"));
}

} // namespace common
