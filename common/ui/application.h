#pragma once

class QApplication;
class QTranslator;
class QWidget;

namespace common {

// Installs Qt's own Spanish translation so standard dialogs and buttons speak Spanish.
void installSpanishTranslation(QApplication& app, QTranslator& translator);

// Moves a top-level window to the centre of its screen.
void centreOnScreen(QWidget& window);

} // namespace common
