// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcFolderId, "quindara.agenda.folderid", QtWarningMsg)

} // namespace quindara
