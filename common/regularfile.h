// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QString>

namespace common {

// The data folder of the running program. A symbolic link under it is followed only when it leads to a
// file under it too, so a note, a list or a card never reads or writes a file elsewhere through a link.
// Set once when the folder is chosen (tests set their temporary folder); while none is set, links are
// followed.
void setDataFolderRoot(const QString& folder);

// Opens a file for reading without blocking on what is not a regular file: a FIFO, a device or a folder
// is refused, and so is a symbolic link under the data folder that leads out of it. The descriptor, or -1;
// `size`, when given, gets the file's size.
int openRegularFile(const QByteArray& nativePath, qint64* size = nullptr);
// The same for `name` in the open folder `folder`, whose path is `folderPath`.
int openRegularFileAt(int folder, const QByteArray& name, const QByteArray& folderPath,
                      qint64* size = nullptr);

// The path a write to `nativePath` replaces: the path itself, or the file a symbolic link leads to. Fails,
// with the reason in words for the user, when the link leads out of the data folder or to nothing.
Result<QByteArray> writeTarget(const QByteArray& nativePath);

} // namespace common
