// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

namespace quindara {

// Failures of the DAV client that the user is not shown, logged so that a user's report can be diagnosed
// (QT_LOGGING_RULES="quindara.agenda.*.debug=true" shows more).
Q_DECLARE_LOGGING_CATEGORY(lcDav) // quindara.agenda.dav: requests to a calendar or contacts server

} // namespace quindara
