// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/sync/davsync.h"
#include "common/commandline.h"
#include "common/instancelock.h"

#include <QStringList>
#include <QTextStream>

#include <functional>

namespace quindara {

// --sync and --sync-setup on the agenda under `programFolder`: the Spanish summary of what was done goes
// to `out`; refusals, failed runs and the questions asked (password, an emptied side) go to `err`.
// Exit codes: 0 done, 1 the server refused (the reason said), 2 a wrong option or folder (or the folder
// busy), 3 some items failed (listed), 4 the server could not be reached. The password comes from
// QUINDARA_DAV_PASSWORD or is asked on the terminal without echo; it is never stored.
// Both write the folder, so they run as its only writer: with the agenda open on the folder they are
// handed to its window, with the password, and its summary is printed here. `arguments` is the command
// line as typed, the program first.
int runSyncCommandAsWriter(const common::CommandLineOptions& options, const QStringList& arguments,
                           const QString& programFolder, QTextStream& out, QTextStream& err);

// Whether a job handed over is a sync or an account set-up.
bool isSyncJob(const common::WriterJob& job);

// One run of an account, as the open window makes it so that its runs never overlap; the password is the
// one the command line gave, empty when it had none.
using HandedSyncRun = std::function<SyncResult(const SyncAccount& account, const QString& password,
                                               const SyncOptions& options)>;

// Runs, in the open agenda window, a sync or an account set-up a command line handed over. Nothing is asked:
// a side that looks emptied is left as it is and the question goes back in the summary.
common::WriterJobResult runHandedSync(const QString& programFolder, const common::WriterJob& job,
                                      const HandedSyncRun& run);

} // namespace quindara
