// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/reminders/reminders.h"

#include <QDate>
#include <QString>
#include <QTextStream>

namespace quindara {

// Exit codes of --remind: a login script takes every case but a refused notice as done.
enum RemindCommandStatus {
    kRemindDone = 0,    // told, nothing due (or all told already today), or no notification service
    kRemindRefused = 1, // the notification service did not take the notice
};

// How long --remind stays to hear whether the user opens the agenda from its notice.
inline constexpr int kWaitForAnswerMs = 60 * 60 * 1000;

struct RemindOptions {
    QDate today;
    bool again = false;    // --again: tell today's notice even when it was told already
    QString agendaProgram; // started with --folder and --day when the user picks "Abrir la agenda"
    QString stateFolder;   // where the once-a-day record lives; empty: the user's state folder
    int waitMs = kWaitForAnswerMs;
};

// What the agenda tells of `today` and has not told yet on this machine.
DayNotice noticeToTell(const DataFolder& data, const QDate& today, const NoticeRecord& record, bool again);

// "Abrir la agenda".
inline const QString kOpenAgendaAction = QStringLiteral("Abrir la agenda");

// --remind: today's notice through the desktop's notification service, then waits (at most
// options.waitMs) for the user to open the agenda from it or dismiss it. Never writes the data folder.
int runRemindCommand(const QString& dataFolder, const RemindOptions& options, QTextStream& err);

} // namespace quindara
