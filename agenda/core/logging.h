// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

namespace quindara {

// Failures of this library that the user is not shown, logged so that a user's report can be diagnosed
// (QT_LOGGING_RULES="quindara.agenda.*.debug=true" shows more).
Q_DECLARE_LOGGING_CATEGORY(lcAddressBook) // quindara.agenda.addressbook: categories that cannot be listed
Q_DECLARE_LOGGING_CATEGORY(lcFolderId)    // quindara.agenda.folderid: the data folder's identifier
Q_DECLARE_LOGGING_CATEGORY(lcIcalendar)   // quindara.agenda.icalendar: calendar values not read
Q_DECLARE_LOGGING_CATEGORY(lcReminders)   // quindara.agenda.reminders: the day's notice
Q_DECLARE_LOGGING_CATEGORY(lcSearch)      // quindara.agenda.search: files the search cannot read

} // namespace quindara
