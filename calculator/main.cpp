#include "calculator/ui/calculatorwindow.h"
#include "common/ui/application.h"
#include "common/ui/qtdesktopservices.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallimo"));
    QTranslator translator;
    common::installSpanishTranslation(app, translator);

    common::SystemClock clock;
    common::QtDesktopServices desktop;
    tallimo::CalculatorWindow window(QCoreApplication::applicationDirPath(), clock, desktop);
    desktop.setDialogParent(&window);
    window.show();
    common::centreOnScreen(window);
    return QApplication::exec();
}
