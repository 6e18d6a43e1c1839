// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/controls.h"

#include "common/units.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace common {

namespace {

// The palette role a control paints its face with.
QPalette::ColorRole faceRole(const QWidget* control) {
    if (qobject_cast<const QAbstractButton*>(control) || qobject_cast<const QComboBox*>(control))
        return QPalette::Button;
    if (qobject_cast<const QAbstractScrollArea*>(control) || qobject_cast<const QLineEdit*>(control))
        return QPalette::Base;
    return QPalette::Window;
}

QRect pixelPlace(const QRect& twipsPlace) {
    return twipsRect(twipsPlace.x(), twipsPlace.y(), twipsPlace.width(), twipsPlace.height());
}

} // namespace

QString elementName(const QString& array, int index) {
    return array + u'_' + QString::number(index);
}

QFont arialFont(qreal points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setBackColour(QWidget* control, quint32 colour) {
    if (auto* button = qobject_cast<ColourButton*>(control)) {
        button->setBackColour(bgrColour(colour));
        return;
    }
    const QPalette::ColorRole role = faceRole(control);
    QPalette palette = control->palette();
    palette.setColor(role, bgrColour(colour));
    control->setPalette(palette);
    if (role == QPalette::Window)
        control->setAutoFillBackground(true);
}

quint32 backColour(const QWidget* control) {
    if (const auto* button = qobject_cast<const ColourButton*>(control))
        return bgrValue(button->backColour());
    return bgrValue(control->palette().color(faceRole(control)));
}

void setForeColour(QWidget* control, quint32 colour) {
    QPalette palette = control->palette();
    const QColor text = bgrColour(colour);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    control->setPalette(palette);
}

ColourButton* makeButton(QWidget* parent, const QString& name, const QRect& twipsPlace,
                         const QString& caption) {
    auto* button = new ColourButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(pixelPlace(twipsPlace));
    return button;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& twipsPlace, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(pixelPlace(twipsPlace));
    return label;
}

void nameComboBox(QComboBox* combo, const QString& name) {
    combo->setAccessibleName(name);
    combo->view()->setAccessibleName(name);
    if (QLineEdit* box = combo->lineEdit())
        box->setAccessibleName(name);
}

void nameClearButton(QLineEdit* box) {
    for (QToolButton* button : box->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
        button->setAccessibleName(QStringLiteral("Borrar el texto"));
}

void setPicture(QAbstractButton* button, const QIcon& picture, int margin) {
    button->setText(QString());
    button->setIcon(picture);
    if (margin < 0)
        return;
    button->setIconSize(button->size() - QSize(2 * margin, 2 * margin));
    if (auto* coloured = qobject_cast<ColourButton*>(button))
        coloured->setPictureMargin(margin);
}

} // namespace common
