// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/ui/logging.h"

namespace tallimo {

Q_LOGGING_CATEGORY(lcCalculatorWindow, "quindara.calculator.window", QtWarningMsg)

} // namespace tallimo
