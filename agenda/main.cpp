#include "agenda/core/searchcommand.h"
#include "agenda/ui/agendawindow.h"
#include "common/ui/application.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    // --search answers on the terminal: no window, no display, and the folder is only read.
    common::CommandLine commandLine(common::Program::Agenda);
    const common::CommandLineOptions options = commandLine.read(common::argumentsOf(argc, argv));
    if (options.action == common::CommandLineAction::Search) {
        QCoreApplication app(argc, argv);
        const common::DataFolderSession session(common::Program::Agenda, options);
        QTextStream out(stdout);
        return quindara::runSearchCommand(session.choice().dataFolder, options.searchText, out);
    }
    return common::runMainWindow<quindara::AgendaWindow>(argc, argv, common::Program::Agenda,
                                                         QStringLiteral("Quindara"));
}
