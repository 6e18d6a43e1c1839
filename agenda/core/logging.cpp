#include "agenda/core/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcAgenda, "quindara.agenda", QtWarningMsg)

} // namespace quindara
