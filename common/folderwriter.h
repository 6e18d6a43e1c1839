// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/instancelock.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

namespace common {

// Says on standard error that nothing was done and why; the exit code of a wrong option or folder (2).
int refuseCommand(QTextStream& err, const QString& why);
// A summary goes to standard output when everything was done (exit code 0), to standard error otherwise.
void tellCommandResult(QTextStream& out, QTextStream& err, int exitCode, const QString& text);

// Runs `job` as the folder's only writer: hands it to the agenda window that has the folder open and prints
// the summary it sends back; with none, waits for another command-line writer of the folder to end, then
// sweeps the staging files a killed writer left in `programFolder`'s `savedFolders` and calls `runHere`
// holding the folder as a window does. `fromWindow` says, for a window of an earlier version that takes no
// jobs, what to do there instead. Returns the exit code.
int runAsFolderWriter(const QString& programFolder, const QStringList& savedFolders, const WriterJob& job,
                      const std::function<int()>& runHere, const QString& fromWindow, QTextStream& out,
                      QTextStream& err);

} // namespace common
