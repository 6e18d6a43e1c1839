// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/dav/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcDav, "quindara.agenda.dav", QtWarningMsg)

} // namespace quindara
