#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace common {

// The atomic writer (QSaveFile) writes "<name>.XXXXXX" (six letters or digits) next to "<name>" and
// renames it over the file; a process killed in between leaves it behind. Such a name counts as a
// leftover only while "<name>" itself is there, so a user's own file is never taken for one.
bool looksLikeSaveFile(const QString& name);
bool isLeftoverSaveFile(const QString& name, const std::function<bool(const QString&)>& fileExists);

// The programs' own scratch files, which a crash can leave too: the staging file of a write under a name
// stored in foreign bytes (".quindara-<pid>.tmp") and the start-up write test ("prueba-escritura-*.tmp").
// Only one program writes in a folder at a time, so one found at start belongs to no running write.
bool isLeftoverScratchFile(const QString& name);

// Removes the leftovers in each folder (relative to the program folder) and in its direct sub-folders;
// returns how many went. Run at start, before any folder is listed.
int removeLeftoverSaveFiles(const QString& programFolder, const QStringList& relativeFolders);

} // namespace common
