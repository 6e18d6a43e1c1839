#include "common/logging.h"

namespace common {

Q_LOGGING_CATEGORY(lcCommon, "quindara.common", QtWarningMsg)

} // namespace common
