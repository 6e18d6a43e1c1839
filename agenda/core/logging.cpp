// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/logging.h"

namespace quindara {

Q_LOGGING_CATEGORY(lcAddressBook, "quindara.agenda.addressbook", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFolderId, "quindara.agenda.folderid", QtWarningMsg)
Q_LOGGING_CATEGORY(lcIcalendar, "quindara.agenda.icalendar", QtWarningMsg)
Q_LOGGING_CATEGORY(lcReminders, "quindara.agenda.reminders", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSearch, "quindara.agenda.search", QtWarningMsg)

} // namespace quindara
