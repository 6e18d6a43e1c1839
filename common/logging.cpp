// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/logging.h"

namespace common {

Q_LOGGING_CATEGORY(lcAtomicFile, "quindara.common.atomicfile", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFolderJournal, "quindara.common.folderjournal", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFolderWatcher, "quindara.common.folderwatcher", QtWarningMsg)
Q_LOGGING_CATEGORY(lcInstanceLock, "quindara.common.instancelock", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLeftovers, "quindara.common.leftovers", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLinks, "quindara.common.links", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTermination, "quindara.common.termination", QtWarningMsg)
Q_LOGGING_CATEGORY(lcNotices, "quindara.common.notices", QtWarningMsg)

} // namespace common
