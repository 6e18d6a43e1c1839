// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/sync/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcDavStatus, "quindara.agenda.davstatus", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDavSync, "quindara.agenda.davsync", QtWarningMsg)

} // namespace quindara
