#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <optional>

class QLabel;
class QPushButton;
class QWidget;

namespace tallimo {

// Object name of a control-array element: "Command2_5".
QString elementName(const QString& array, int index);

QFont arialFont(qreal points, bool bold = false);

// Back colour of a button, label or panel (0x00BBGGRR).
void setBackColour(QWidget& widget, quint32 bgr);
void setTextColour(QWidget& widget, quint32 bgr);

// A button at a place given in twips; the keyboard goes to the window, never to a button. Without a back
// colour it shows the toolkit's face colour.
QPushButton* makeButton(QWidget* parent, const QString& name, const QRect& twipsPlace,
                        std::optional<quint32> backColour, const QString& caption = QString(),
                        const QFont& font = QFont());
QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& twipsPlace, const QFont& font,
                  Qt::Alignment alignment);

} // namespace tallimo
