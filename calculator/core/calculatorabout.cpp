// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/calculatorabout.h"

#include "common/about.h"
#include "common/datafolderchoice.h"

namespace tallimo {

QStringList aboutLines() {
    return {
        // The version is the title's; the about box (F1) adds it.
        QStringLiteral("TALLIMO"),   QStringLiteral("Calculadora de cinta de papel"),
        common::projectWebAddress(), common::licenceText(),
        common::copyrightYearText(),
    };
}

QString calculatorTitle() {
    return QStringLiteral("TALLIMO %1").arg(common::programVersion(common::Program::Calculator));
}

} // namespace tallimo
