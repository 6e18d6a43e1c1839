// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/calculatorabout.h"

#include "common/about.h"

namespace tallimo {

QStringList aboutLines() {
    return {
        // The window's title says "TALLIMO 1.2"; the version the about box gives is the project's.
        QStringLiteral("TALLIMO"),   QStringLiteral("Calculadora de cinta de papel"),
        common::projectWebAddress(), common::licenceText(),
        common::copyrightYearText(),
    };
}

} // namespace tallimo
