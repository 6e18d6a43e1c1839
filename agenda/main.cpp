#include "agenda/ui/agendawindow.h"
#include "common/ui/application.h"
#include "common/ui/qtdesktopservices.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quindara"));
    QTranslator translator;
    common::installSpanishTranslation(app, translator);

    common::SystemClock clock;
    common::QtDesktopServices desktop;
    quindara::AgendaWindow window(QCoreApplication::applicationDirPath(), clock, desktop);
    desktop.setDialogParent(&window);
    window.show();
    common::centreOnScreen(window);
    return QApplication::exec();
}
