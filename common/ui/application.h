#pragma once

#include "common/clock.h"
#include "common/ui/qtdesktopservices.h"

#include <QApplication>
#include <QTranslator>

namespace common {

// Installs Qt's own Spanish translation so standard dialogs and buttons speak Spanish.
void installSpanishTranslation(QApplication& app, QTranslator& translator);

// Moves a top-level window to the centre of its screen.
void centreOnScreen(QWidget& window);

// Runs a program whose main window takes (program folder, clock, desktop services): Spanish standard
// dialogs, the system clock, the real desktop, the window centred on the screen.
template <typename MainWindow> int runMainWindow(int& argc, char** argv, const QString& applicationName) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationName);
    QTranslator translator;
    installSpanishTranslation(app, translator);

    SystemClock clock;
    QtDesktopServices desktop;
    MainWindow window(QCoreApplication::applicationDirPath(), clock, desktop);
    desktop.setDialogParent(&window);
    window.show();
    centreOnScreen(window);
    return QApplication::exec();
}

} // namespace common
