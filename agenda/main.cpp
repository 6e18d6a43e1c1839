#include "agenda/ui/agendawindow.h"
#include "common/ui/application.h"

int main(int argc, char* argv[]) {
    return common::runMainWindow<quindara::AgendaWindow>(argc, argv, common::Program::Agenda,
                                                         QStringLiteral("Quindara"));
}
