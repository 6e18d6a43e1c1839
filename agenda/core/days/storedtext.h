// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/folderindex.h"
#include "common/outsidechange.h"
#include "common/textfile.h"

#include <QString>

namespace quindara {

// A stored text as a box shows it. Something that is there but cannot be read (a file without read
// permission, a folder of that name) shows as empty, and `unreadablePath` names it: its box is locked,
// so that nothing the user types can replace what it holds.
struct StoredText {
    QString text;
    QString unreadablePath;
    // What was on disk when the text was read: a save first checks that it is still there.
    common::FileVersion version;

    bool readable() const { return unreadablePath.isEmpty(); }
};

// The text at `path`; nothing there is an empty text that can be read.
StoredText readStoredText(const QString& path, common::Ending ending);

// The text of `name` found through `index` in any letter case, also under a name stored in Windows-1252
// bytes. A folder of that name (the index lists files only) counts as unreadable.
StoredText readIndexedText(const common::FolderIndex& index, const QString& name, common::Ending ending);

// False when something is at `path` that cannot be read: writing or deleting there would lose what
// nobody has seen.
bool mayReplace(const QString& path);

} // namespace quindara
