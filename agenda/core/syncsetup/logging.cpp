// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/syncsetup/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcDavAccount, "quindara.agenda.davaccount", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPasswords, "quindara.agenda.passwords", QtWarningMsg)

} // namespace quindara
