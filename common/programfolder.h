#pragma once

#include <QString>
#include <QStringList>

namespace common {

// `relative` uses '/' between parts ("dias/x.txt"); the result is a path under `programFolder`.
QString programPath(const QString& programFolder, const QString& relative);

// Creates every missing folder of the list (relative to the program folder); true when all exist after.
bool ensureFolders(const QString& programFolder, const QStringList& relativeFolders);

// A name typed by the user that becomes one file or folder name: not empty, no separators, no "." or
// "..", no control characters and none of the characters other systems refuse in names.
bool isSafeFileName(const QString& name);

} // namespace common
