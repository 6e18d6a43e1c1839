// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/contacts/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcAddressBook, "quindara.agenda.addressbook", QtWarningMsg)

} // namespace quindara
