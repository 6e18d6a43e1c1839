#include "common/ui/logging.h"

namespace common {

Q_LOGGING_CATEGORY(lcCommonUi, "quindara.ui", QtWarningMsg)

} // namespace common
