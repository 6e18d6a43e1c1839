// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcAgendaWindow, "quindara.agenda.window", QtWarningMsg)

} // namespace quindara
