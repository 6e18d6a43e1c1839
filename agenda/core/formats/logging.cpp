// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/formats/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcIcalendar, "quindara.agenda.icalendar", QtWarningMsg)

} // namespace quindara
