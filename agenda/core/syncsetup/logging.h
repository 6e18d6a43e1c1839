// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

namespace quindara {

// Failures of the sync's accounts and passwords that the user is not shown, logged so that a user's report
// can be diagnosed (QT_LOGGING_RULES="quindara.agenda.*.debug=true" shows more).
Q_DECLARE_LOGGING_CATEGORY(
    lcDavAccount)                       // quindara.agenda.davaccount: server accounts kept in the data folder
Q_DECLARE_LOGGING_CATEGORY(lcPasswords) // quindara.agenda.passwords: the keyring holding server passwords

} // namespace quindara
