// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace quindara {

class DataFolder;

// Name of the hidden file, in the data folder itself, that keeps the folder's identifier.
inline const QString kFolderIdFile = QStringLiteral(".quindara-id");

// A random identifier made once for a data folder and kept in its hidden file, so that every machine
// sharing the folder gives the same answer and two folders never do. It makes the UIDs of exported
// events and contacts unique to the folder (32 lowercase hexadecimal digits). When the file cannot be
// written, an identifier derived from the folder's path is used instead (and the failure logged).
QString folderIdentifier(const DataFolder& folder);

} // namespace quindara
