// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

namespace common {

// Failures of this library that the user is not shown, logged so that a user's report can be diagnosed
// (QT_LOGGING_RULES="quindara.common.start.debug=true" shows more).
// quindara.common.start: the data folder, the window a later start brings forward.
Q_DECLARE_LOGGING_CATEGORY(lcStart)
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)

} // namespace common
