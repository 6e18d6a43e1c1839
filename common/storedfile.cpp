// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/storedfile.h"

#include "common/regularfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace common {

bool openNative(const QByteArray& nativePath, QFile& file) {
    const int fd = openRegularFile(nativePath);
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
    // Under the stored bytes, which a name stored in foreign bytes needs: no QString path reaches it.
    Status written = writeText(NativePath{index.nativePathFor(name)}, text, ending);
    if (written)
        index.noteWritten(name);
    return written;
}

Status removeStored(FolderIndex& index, const QString& name) {
    const QByteArray path = index.nativePathFor(name);
    if (::unlink(path.constData()) != 0 && errno != ENOENT)
        return Status::failure(writeFailureText(errno));
    index.noteRemoved(name);
    return {};
}

} // namespace common
