#include "common/storedfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace common {

namespace {

Q_LOGGING_CATEGORY(storedFiles, "quindara.storedfile")

} // namespace

bool openNative(const QByteArray& nativePath, QFile& file) {
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

QString readStoredText(const FolderIndex& index, const QString& name, Ending ending) {
    if (!index.isStoredInForeignBytes(name))
        return readTextOrEmpty(index.pathFor(name), ending);
    const auto bytes = readNativeBytes(index.nativePathFor(name));
    return bytes ? textFromBytes(*bytes, ending) : QString();
}

Status writeStoredText(FolderIndex& index, const QString& name, const QString& text, Ending ending) {
    if (!index.isStoredInForeignBytes(name)) {
        Status written = writeText(index.pathFor(name), text, ending);
        if (written)
            index.noteWritten(name);
        return written;
    }
    // Written in full under a hidden name the index ignores, then renamed over the stored bytes in one step.
    const QString staging =
        index.folder() + QStringLiteral("/.quindara-%1.tmp").arg(QCoreApplication::applicationPid());
    if (Status staged = writeText(staging, text, ending); !staged)
        return staged;
    if (::rename(QFile::encodeName(staging).constData(), index.nativePathFor(name).constData()) != 0) {
        const QString cause = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(staging);
        qCWarning(storedFiles) << "cannot rename" << staging << "to" << index.pathFor(name) << cause;
        return Status::failure(cause);
    }
    index.noteWritten(name);
    return {};
}

Status removeStored(FolderIndex& index, const QString& name) {
    const QByteArray path = index.nativePathFor(name);
    if (::unlink(path.constData()) != 0 && errno != ENOENT)
        return Status::failure(QString::fromLocal8Bit(std::strerror(errno)));
    index.noteRemoved(name);
    return {};
}

} // namespace common
