#include "calculator/ui/logging.h"

namespace tallimo {

Q_LOGGING_CATEGORY(lcCalculatorUi, "tallimo.ui", QtWarningMsg)

} // namespace tallimo
