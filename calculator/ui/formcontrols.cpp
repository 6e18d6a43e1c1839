#include "calculator/ui/formcontrols.h"

#include "common/ui/colourbutton.h"
#include "common/units.h"

#include <QLabel>
#include <QPushButton>

namespace tallimo {

QString elementName(const QString& array, int index) {
    return array + u'_' + QString::number(index);
}

QFont arialFont(qreal points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setBackColour(QWidget& widget, quint32 bgr) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Button, common::bgrColor(bgr));
    palette.setColor(QPalette::Window, common::bgrColor(bgr));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void setTextColour(QWidget& widget, quint32 bgr) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, common::bgrColor(bgr));
    palette.setColor(QPalette::ButtonText, common::bgrColor(bgr));
    widget.setPalette(palette);
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QRect& twipsPlace,
                        std::optional<quint32> backColour, const QString& caption, const QFont& font) {
    // The keys' colours tell the kinds of key apart; the platform style would wash them out.
    auto* button = new common::ColourButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(
        common::twipsRect(twipsPlace.x(), twipsPlace.y(), twipsPlace.width(), twipsPlace.height()));
    button->setFocusPolicy(Qt::NoFocus);
    button->setFont(font);
    if (backColour)
        setBackColour(*button, *backColour);
    return button;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& twipsPlace, const QFont& font,
                  Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(
        common::twipsRect(twipsPlace.x(), twipsPlace.y(), twipsPlace.width(), twipsPlace.height()));
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

} // namespace tallimo
