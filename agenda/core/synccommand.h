// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/commandline.h"

#include <QTextStream>

namespace quindara {

// --sync and --sync-setup on the agenda under `programFolder`: the Spanish summary of what was done goes
// to `out`; refusals, failed runs and the questions asked (password, an emptied side) go to `err`.
// Exit codes: 0 done, 1 the server refused (the reason said), 2 a wrong option or folder (or the folder
// busy), 3 some items failed (listed), 4 the server could not be reached. The password comes from
// QUINDARA_DAV_PASSWORD or is asked on the terminal without echo; it is never stored.
// A sync writes the folder, so it runs only as the folder's writer: with the agenda open on the folder,
// or another command-line writer at work, it says so and does nothing.
int runSyncCommandAsWriter(const common::CommandLineOptions& options, const QString& programFolder,
                           QTextStream& out, QTextStream& err);

} // namespace quindara
