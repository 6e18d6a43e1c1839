// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/reminders/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcReminders, "quindara.agenda.reminders", QtWarningMsg)

} // namespace quindara
