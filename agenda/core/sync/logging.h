// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

namespace quindara {

// Failures of the sync engine that the user is not shown, logged so that a user's report can be diagnosed
// (QT_LOGGING_RULES="quindara.agenda.*.debug=true" shows more).
Q_DECLARE_LOGGING_CATEGORY(lcDavStatus) // quindara.agenda.davstatus: the sync status record
Q_DECLARE_LOGGING_CATEGORY(lcDavSync)   // quindara.agenda.davsync: items a server sync leaves out

} // namespace quindara
