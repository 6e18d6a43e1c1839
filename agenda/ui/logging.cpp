#include "agenda/ui/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcAgendaUi, "quindara.agenda.ui", QtWarningMsg)

} // namespace quindara
