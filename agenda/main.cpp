// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/calendar/agendaabout.h"
#include "agenda/core/exchange/exchangecommand.h"
#include "agenda/core/reminders/remindcommand.h"
#include "agenda/core/search/searchcommand.h"
#include "agenda/core/syncsetup/synccommand.h"
#include "agenda/ui/agendawindow.h"
#include "common/ui/application.h"

#include <QCoreApplication>
#include <QDate>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include <cstdio>

namespace {

// Standard output and standard error in the terminal's own encoding.
struct TerminalStreams {
    QTextStream out{stdout};
    QTextStream err{stderr};
    TerminalStreams() {
        out.setEncoding(QStringConverter::System);
        err.setEncoding(QStringConverter::System);
    }
};

// Imports and exports asked on the command line run without a window or a display.
int runExchangeOnTerminal(int& argc, char** argv, const common::CommandLineOptions& options) {
    QCoreApplication app(argc, argv);
    const common::DataFolderSession session(common::Program::Agenda, options);
    TerminalStreams terminal;
    return quindara::runExchangeCommandAsWriter(options, common::argumentsOf(argc, argv),
                                                session.choice().programFolder, terminal.out, terminal.err);
}

// A server sync runs without a window or a display, as the folder's writer, or in the open window.
int runSyncOnTerminal(int& argc, char** argv, const common::CommandLineOptions& options) {
    QCoreApplication app(argc, argv);
    const common::DataFolderSession session(common::Program::Agenda, options);
    TerminalStreams terminal;
    return quindara::runSyncCommandAsWriter(options, common::argumentsOf(argc, argv),
                                            session.choice().programFolder, terminal.out, terminal.err);
}

// --remind: today's notice on the desktop; needs no window, and never writes the data folder.
int runRemindOnTerminal(int& argc, char** argv, const common::CommandLineOptions& options) {
    QCoreApplication app(argc, argv);
    const common::DataFolderSession session(common::Program::Agenda, options);
    TerminalStreams terminal;
    quindara::RemindOptions remind;
    remind.today = options.today.isValid() ? options.today : QDate::currentDate();
    remind.again = options.again;
    remind.agendaProgram = QCoreApplication::applicationFilePath();
    return quindara::runRemindCommand(session.choice().dataFolder, remind, terminal.err);
}

// --day with the agenda already open on this folder: the open window goes to the day and comes forward.
// False when no window has the folder here, so this start opens one.
bool handDayToOpenWindow(int& argc, char** argv, const common::CommandLineOptions& options) {
    constexpr int kWaitForWindowMs = 10000;
    QCoreApplication app(argc, argv);
    const common::DataFolderSession session(common::Program::Agenda, options);
    const common::WriterJob job{common::argumentsOf(argc, argv), QDir::currentPath(), {}, {}};
    const QDeadlineTimer deadline(kWaitForWindowMs);
    for (;;) {
        const common::HolderAnswer answer =
            common::InstanceLock::handJobToHolder(common::Program::Agenda, session.choice().programFolder,
                                                  job, int(qMax<qint64>(1, deadline.remainingTime())));
        if (answer.kind == common::HolderAnswer::Kind::Done)
            return true;
        if (answer.kind != common::HolderAnswer::Kind::Busy || deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    // --search and the imports and exports answer on the terminal: no window, no display.
    const common::CommandLineOptions options =
        common::CommandLine(common::Program::Agenda).read(common::argumentsOf(argc, argv));
    if (options.action == common::CommandLineAction::Search) {
        QCoreApplication app(argc, argv);
        const common::DataFolderSession session(common::Program::Agenda, options);
        QTextStream out(stdout);
        // What comes back every year is placed in this year, as the window shows it at start.
        return quindara::runSearchCommand(session.choice().dataFolder, options.searchText,
                                          QDate::currentDate().year(), out);
    }
    if (options.action == common::CommandLineAction::Exchange)
        return runExchangeOnTerminal(argc, argv, options);
    if (options.action == common::CommandLineAction::Remind)
        return runRemindOnTerminal(argc, argv, options);
    if (options.action == common::CommandLineAction::OpenWindow && options.day.isValid() &&
        handDayToOpenWindow(argc, argv, options))
        return 0;
    if (options.action == common::CommandLineAction::Sync ||
        options.action == common::CommandLineAction::SyncSetup)
        return runSyncOnTerminal(argc, argv, options);
    // An import or a sync typed while the window is open is handed to it: it runs there, and the window
    // shows its changes.
    return common::runMainWindow<quindara::AgendaWindow>(
        argc, argv,
        {common::Program::Agenda, QStringLiteral("Quindara"), QStringLiteral("year-calendar"),
         quindara::aboutLines(),
         [](QWidget& window, const QString&, const common::WriterJob& job) {
             return static_cast<quindara::AgendaWindow&>(window).runHandedJob(job);
         },
         [](QWidget& window) { static_cast<quindara::AgendaWindow&>(window).saveForSessionEnd(); },
         [](QWidget& window, const common::CommandLineOptions& options) {
             if (options.day.isValid())
                 static_cast<quindara::AgendaWindow&>(window).goToDay(options.day);
         }});
}
