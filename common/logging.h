// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

namespace common {

// Failures of this library that the user is not shown, logged so that a user's report can be diagnosed.
// Every category is named quindara.<library>.<area>; QT_LOGGING_RULES="quindara.common.*.debug=true"
// shows more.
Q_DECLARE_LOGGING_CATEGORY(lcAtomicFile)    // quindara.common.atomicfile: saves and their temporary files
Q_DECLARE_LOGGING_CATEGORY(lcFolderJournal) // quindara.common.folderjournal: change notifications
Q_DECLARE_LOGGING_CATEGORY(lcFolderWatcher) // quindara.common.folderwatcher: watched folders
Q_DECLARE_LOGGING_CATEGORY(lcInstanceLock)  // quindara.common.instancelock: one writer per data folder
Q_DECLARE_LOGGING_CATEGORY(lcLeftovers)     // quindara.common.leftovers: unfinished saves swept at start
Q_DECLARE_LOGGING_CATEGORY(lcLinks)         // quindara.common.links: links leading out of the data folder
Q_DECLARE_LOGGING_CATEGORY(lcTermination)   // quindara.common.termination: ending on a signal or at logout
Q_DECLARE_LOGGING_CATEGORY(lcNotices)       // quindara.common.notices: the desktop's notification service

} // namespace common
