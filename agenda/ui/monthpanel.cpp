// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/monthpanel.h"

#include "agenda/core/days/daykeys.h"
#include "agenda/ui/controls.h"
#include "common/units.h"

#include <QLabel>

namespace quindara {

namespace {

constexpr int kButtonSize = 375;
constexpr int kButtonPitch = 360; // neighbours overlap by one pixel
// The title stands this far above the grid; the panel's own coordinates start there.
constexpr int kTitleHeight = 840;
constexpr int kInitialsTop = kTitleHeight - 360;
constexpr quint32 kTitleColour = 0x00FF0000; // blue

QLabel* centredLabel(QWidget* panel, const QString& name, const QRect& twipsPlace, const QString& text,
                     const QFont& font) {
    QLabel* label = makeLabel(panel, name, twipsPlace, text);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

QString MonthPanel::title(int month) {
    const QString name = monthName(month);
    return name.left(1) + name.mid(1).toLower();
}

MonthPanel::MonthPanel(int month, QWidget* window) : QWidget(window), month_(month) {
    setObjectName(QStringLiteral("monthPanel%1").arg(month));
    setGeometry(common::twipsRect(gridLeft(month), gridTop(month) - kTitleHeight,
                                  kButtonPitch * (kGridColumns - 1) + kButtonSize,
                                  kTitleHeight + kButtonPitch * 5 + kButtonSize));

    // Label2(0..11): the month titles.
    QLabel* title = centredLabel(this, elementName("Label2", month - 1), QRect(120, 0, 2295, 375),
                                 MonthPanel::title(month), arialFont(18));
    setForeColour(title, kTitleColour);

    // Label1(0..83): seven weekday initials per panel.
    for (int column = 0; column < kGridColumns; ++column)
        makeWeekdayInitial(this, elementName("Label1", (month - 1) * kGridColumns + column),
                           QRect(kButtonPitch * column, kInitialsTop, kButtonSize, 255), column);

    // Command2 .. Command13: the day buttons of January .. December.
    const QFont dayFont = arialFont(8.25);
    const QByteArray arrayOfMonth = "Command" + QByteArray::number(month + 1);
    for (int index = 0; index < kGridButtons; ++index) {
        auto* button = new ColourButton(this);
        button->setObjectName(elementName(arrayOfMonth.constData(), index));
        button->setGeometry(common::twipsRect(kButtonPitch * (index % kGridColumns),
                                              kTitleHeight + kButtonPitch * (index / kGridColumns),
                                              kButtonSize, kButtonSize));
        button->setFont(dayFont);
        connect(button, &QPushButton::clicked, this, [this, index] { emit dayClicked(index); });
        buttons_.at(index) = button;
    }
}

void MonthPanel::showDay(int index, int day, quint32 colour, const QString& name) {
    ColourButton* button = buttons_.at(index);
    button->setText(QString::number(day));
    if (button->accessibleName() != name)
        button->setAccessibleName(name);
    button->setBackColour(common::bgrColour(colour));
    button->setVisible(true);
}

void MonthPanel::hideCell(int index) {
    ColourButton* button = buttons_.at(index);
    button->setVisible(false);
    // A hidden cell keeps no day, so a search by caption only meets the month's own days.
    button->setText(QString());
    showConflictSign(index, false);
}

void MonthPanel::showConflictSign(int index, bool shown) {
    if (!shown && !signed_.at(index))
        return;
    quindara::showConflictSign(buttons_.at(index), shown);
    signed_.at(index) = true;
}

} // namespace quindara
