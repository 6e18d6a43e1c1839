#include "calculator/core/calculatorabout.h"

#include "common/about.h"

namespace tallimo {

QStringList aboutLines() {
    return {
        QStringLiteral("TALLIMO 1.2"), QStringLiteral("Calculadora de cinta de papel"),
        common::projectWebAddress(),   common::licenceText(),
        common::copyrightYearText(),
    };
}

} // namespace tallimo
