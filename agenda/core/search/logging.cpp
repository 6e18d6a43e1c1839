// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/search/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcSearch, "quindara.agenda.search", QtWarningMsg)

} // namespace quindara
