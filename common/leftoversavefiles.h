// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace common {

// The programs' own temporary files are hidden and carry the programs' mark, a name no one else uses:
// ".<name>.quindara-XXXXXX.tmp" (the staging file of an atomic write of "<name>", the start-up write
// test) or the older ".quindara-<pid>.tmp". A process killed in the middle leaves one behind.
bool isOwnScratchName(QByteArrayView name);

// A fresh scratch name for a file named `name` (its bytes), at most 255 bytes long: a long name is cut.
QByteArray newScratchName(QByteArrayView name);

// Removes the scratch files in each folder (relative to the program folder) and in its direct sub-folders;
// returns how many went. Only one program writes in a folder at a time, so one found at start belongs to
// no running write. Run at start, before any folder is listed.
int removeLeftoverSaveFiles(const QString& programFolder, const QStringList& relativeFolders);

} // namespace common
