// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/storedtext.h"

#include "common/regularfile.h"
#include "common/storedfile.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace quindara {

StoredText readStoredText(const QString& path, common::Ending ending) {
    const common::FileVersion version = common::FileVersion::at(path);
    if (auto text = common::readText(path, ending))
        return {*text, QString(), version};
    return {QString(), QFileInfo::exists(path) ? path : QString(), version};
}

StoredText readIndexedText(const common::FolderIndex& index, const QString& name, common::Ending ending) {
    if (index.isStoredInForeignBytes(name))
        return {common::readStoredText(index, name, ending), QString(),
                common::FileVersion::at(index.nativePathFor(name))};
    return readStoredText(index.pathFor(name), ending);
}

bool mayReplace(const QString& path) {
    if (!QFileInfo::exists(path))
        return true;
    // Only a regular file read as any other: not a FIFO, not a link out of the data folder.
    const int fd = common::openRegularFile(QFile::encodeName(path));
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace quindara
