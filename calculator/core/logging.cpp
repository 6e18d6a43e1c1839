#include "calculator/core/logging.h"

namespace tallimo {

Q_LOGGING_CATEGORY(lcCalculator, "tallimo", QtWarningMsg)

} // namespace tallimo
