// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/calendar/agendaabout.h"

#include "common/about.h"

namespace quindara {

QStringList aboutLines() {
    return {
        QStringLiteral("QUINDARA, agenda personal"),
        common::projectWebAddress(),
        common::licenceText(),
        common::copyrightYearText(),
    };
}

} // namespace quindara
