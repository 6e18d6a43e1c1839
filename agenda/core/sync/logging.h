// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

namespace quindara {

// Failures of this library that the user is not shown, logged so that a user's report can be diagnosed
// (QT_LOGGING_RULES="quindara.agenda.*.debug=true" shows more).
Q_DECLARE_LOGGING_CATEGORY(lcDav) // quindara.agenda.dav: requests to a calendar or contacts server
Q_DECLARE_LOGGING_CATEGORY(
    lcDavAccount)                       // quindara.agenda.davaccount: server accounts kept in the data folder
Q_DECLARE_LOGGING_CATEGORY(lcDavStatus) // quindara.agenda.davstatus: the sync status record
Q_DECLARE_LOGGING_CATEGORY(lcDavSync)   // quindara.agenda.davsync: items a server sync leaves out
Q_DECLARE_LOGGING_CATEGORY(lcPasswords) // quindara.agenda.passwords: the keyring holding server passwords

} // namespace quindara
