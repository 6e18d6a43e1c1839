#include "agenda/ui/controls.h"

#include "common/icons.h"
#include "common/units.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quindara {

namespace {

// The palette role a control paints its face with.
QPalette::ColorRole faceRole(const QWidget* control) {
    if (qobject_cast<const QAbstractButton*>(control) || qobject_cast<const QComboBox*>(control))
        return QPalette::Button;
    if (qobject_cast<const QAbstractScrollArea*>(control) || qobject_cast<const QLineEdit*>(control))
        return QPalette::Base;
    return QPalette::Window;
}

} // namespace

void DayButton::setBackColour(const QColor& colour) {
    if (colour == backColour_)
        return;
    backColour_ = colour;
    update();
}

void DayButton::paintEvent(QPaintEvent*) {
    paintButton(backColour_);
}

QString arrayName(const char* name, int index) {
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

QFont arialFont(double points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setBackColor(QWidget* control, quint32 colour) {
    if (auto* day = qobject_cast<DayButton*>(control)) {
        day->setBackColour(common::bgrColor(colour));
        return;
    }
    const QPalette::ColorRole role = faceRole(control);
    QPalette palette = control->palette();
    palette.setColor(role, common::bgrColor(colour));
    control->setPalette(palette);
    if (role == QPalette::Window)
        control->setAutoFillBackground(true);
}

quint32 backColor(const QWidget* control) {
    if (const auto* day = qobject_cast<const DayButton*>(control))
        return common::bgrValue(day->backColour());
    return common::bgrValue(control->palette().color(faceRole(control)));
}

void setForeColor(QWidget* control, quint32 colour) {
    QPalette palette = control->palette();
    const QColor text = common::bgrColor(colour);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    control->setPalette(palette);
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QRect& twipsPlace,
                        const QString& caption) {
    auto* button = new ColourButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(
        common::twipsRect(twipsPlace.x(), twipsPlace.y(), twipsPlace.width(), twipsPlace.height()));
    return button;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& twipsPlace, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(
        common::twipsRect(twipsPlace.x(), twipsPlace.y(), twipsPlace.width(), twipsPlace.height()));
    return label;
}

namespace {

struct PictureUse {
    common::Icon icon;
    const char* tooltip;
};

PictureUse pictureUse(Picture picture) {
    switch (picture) {
    case Picture::Calculator:
        return {common::Icon::Calculator, "Calculadora"};
    case Picture::Clipboard:
        return {common::Icon::Clipboard, "Bloc de notas"};
    case Picture::People:
        return {common::Icon::People, "Direcciones"};
    case Picture::SpiralNotepad:
        return {common::Icon::Notepad, "Abrir en el editor de textos"};
    case Picture::Minimize:
        return {common::Icon::DownArrowGreen, "Minimizar"};
    case Picture::Exit:
        return {common::Icon::CloseRedSquare, "Guardar y salir"};
    case Picture::YearCalendar:
        return {common::Icon::YearCalendar, "Ver el año completo"};
    case Picture::ArrowUp:
        return {common::Icon::YearUp, "Año siguiente"};
    case Picture::ArrowDown:
        return {common::Icon::YearDown, "Año anterior"};
    case Picture::AttachThisYear:
        return {common::Icon::PaperClip, "Adjuntar un archivo sólo a este año"};
    case Picture::AttachEveryYear:
        return {common::Icon::PaperClip, "Adjuntar un archivo a este día de todos los años"};
    case Picture::OverviewUp:
        return {common::Icon::OverviewUp, "Año siguiente"};
    case Picture::OverviewDown:
        return {common::Icon::OverviewDown, "Año anterior"};
    case Picture::OverviewClose:
        return {common::Icon::OverviewClose, "Cerrar"};
    case Picture::Magnifier:
        return {common::Icon::Magnifier, "Buscar (Ctrl+F)"};
    case Picture::Exchange:
        return {common::Icon::Exchange, "Importar / Exportar"};
    }
    return {common::Icon::Calculator, ""};
}

} // namespace

void setPicture(QAbstractButton* button, Picture picture) {
    const PictureUse use = pictureUse(picture);
    button->setIcon(common::iconFor(use.icon));
    button->setToolTip(QString::fromUtf8(use.tooltip));
    // Screen readers have no caption to read on a picture-only button.
    if (button->text().isEmpty())
        button->setAccessibleName(QString::fromUtf8(use.tooltip).remove(QStringLiteral(" (Ctrl+F)")));
}

} // namespace quindara
