// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/calculatorabout.h"
#include "calculator/ui/calculatorwindow.h"
#include "common/ui/application.h"

int main(int argc, char* argv[]) {
    return common::runMainWindow<tallimo::CalculatorWindow>(argc, argv,
                                                            {common::Program::Calculator,
                                                             QStringLiteral("Tallimo"),
                                                             QStringLiteral("calculator"),
                                                             tallimo::aboutLines(),
                                                             {},
                                                             {},
                                                             {}});
}
