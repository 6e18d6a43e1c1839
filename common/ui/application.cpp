#include "common/ui/application.h"

#include <QApplication>
#include <QScreen>
#include <QTranslator>
#include <QWidget>

namespace common {

void installSpanishTranslation(QApplication& app, QTranslator& translator) {
    if (translator.load(QStringLiteral(":/translations/qtbase_es.qm")))
        app.installTranslator(&translator);
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size();
    window.move(available.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

} // namespace common
