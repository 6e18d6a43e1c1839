// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/agendaabout.h"
#include "agenda/core/exchangecommand.h"
#include "agenda/core/searchcommand.h"
#include "agenda/core/sync/synccommand.h"
#include "agenda/ui/agendawindow.h"
#include "common/ui/application.h"

#include <QCoreApplication>
#include <QDate>

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
         [](QWidget& window) { static_cast<quindara::AgendaWindow&>(window).saveForSessionEnd(); }});
}
