// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/folderindex.h"
#include "common/textfile.h"

#include <QFile>
#include <QString>

namespace common {

// Reading, writing and removing a file found through a FolderIndex under the name it already has in
// any letter case, also when that name is stored in bytes that are not UTF-8 (a tree copied from another
// system), which no QString path reaches. The index follows the program's own writes and removals.

// Opens a file for reading by its path in bytes, which also reaches names no QString path can stand for.
bool openNative(const QByteArray& nativePath, QFile& file);

// The file's text, or an empty text when there is none or it cannot be read.
QString readStoredText(const FolderIndex& index, const QString& name, Ending ending);
// Writes atomically into the stored file of that name, or a new file named `name`.
Status writeStoredText(FolderIndex& index, const QString& name, const QString& text, Ending ending);
// Removes the stored file of that name; a success when it is gone.
Status removeStored(FolderIndex& index, const QString& name);

} // namespace common
