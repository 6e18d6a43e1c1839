// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/logging.h"

namespace common {

Q_LOGGING_CATEGORY(lcStart, "quindara.common.start", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDesktop, "quindara.common.desktop", QtWarningMsg)

} // namespace common
