// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/calendarpanel.h"

#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/ui/controls.h"
#include "common/units.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace quindara {

namespace {

// The panel spans the window's left column from its top, so its controls keep the window's coordinates.
constexpr int kPanelWidth = 2880;
constexpr int kPanelHeight = 9405;

constexpr quint32 kLightYellow = 0x00C0FFFF;
constexpr quint32 kCyan = 0x00FFFF00;
constexpr quint32 kYellow = 0x0000FFFF;

const char* const kMonthCaptions[12] = {"Enero",      "Febrero", "Marzo",     "Abril",
                                        "Mayo",       "Junio",   "Julio",     "Agosto",
                                        "Septiembre", "Octubre", "Noviembre", "Diciembre"};

} // namespace

CalendarPanel::CalendarPanel(QWidget* window) : QWidget(window) {
    setObjectName(QStringLiteral("CalendarPanel"));
    setGeometry(common::twipsRect(0, 480, kPanelWidth, kPanelHeight - 480));
    // Children are placed in window twips; the panel starts 480 twips down.
    const auto place = [](int left, int top, int width, int height) {
        return QRect(left, top - 480, width, height);
    };

    for (int column = 0; column < kGridColumns; ++column)
        Label1[column] = makeWeekdayInitial(this, elementName("Label1", column),
                                            place(240 + 360 * column, 720, 375, 375), column);
    for (int index = 0; index < kGridButtons; ++index) {
        Command1[index] = makeButton(this, elementName("Command1", index),
                                     place(240 + 360 * (index % 7), 1200 + 360 * (index / 7), 375, 375));
        Command1[index]->setFont(arialFont(9.75, true));
        connect(Command1[index], &QPushButton::clicked, this, [this, index] { emit dayClicked(index); });
        Command1[index]->installEventFilter(this);
    }

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setGeometry(common::twipsRect(240, 3480 - 480, 2535, 315));
    Combo1->addItems(monthNames());
    nameComboBox(Combo1, QStringLiteral("Mes"));
    connect(Combo1, &QComboBox::activated, this, [this](int row) { emit monthChosen(row + 1); });
    Combo2 = new QComboBox(this);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setGeometry(common::twipsRect(240, 3840 - 480, 2535, 315));
    Combo2->addItems(listedYears());
    nameComboBox(Combo2, QStringLiteral("Año"));
    // Two hundred years: the list opens as a box of twenty rows that scrolls, not as tall as the screen
    // (some styles open a non-editable list over the whole screen unless told otherwise).
    Combo2->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    Combo2->setMaxVisibleItems(20);
    connect(Combo2, &QComboBox::activated, this, [this](int row) { emit yearChosen(kFirstYear + row); });

    Command2[0] = makeButton(this, QStringLiteral("Command2_0"), place(240, 4200, 2055, 495));
    Command2[0]->setFont(arialFont(12, true));
    setBackColour(Command2[0], kLightYellow);
    Command2[0]->setAccessibleDescription(QStringLiteral("Año mostrado"));
    for (int index = 0; index < 2; ++index) {
        Command3[index] =
            makeButton(this, elementName("Command3", index), place(2295, 4200 + 240 * index, 480, 240));
        setPicture(Command3[index], index == 0 ? Picture::ArrowUp : Picture::ArrowDown);
        connect(Command3[index], &QPushButton::clicked, this,
                [this, index] { emit yearStepped(index == 0 ? 1 : -1); });
    }
    for (int index = 0; index < 12; ++index) {
        Command4[index] = makeButton(this, elementName("Command4", index),
                                     place(index % 2 == 0 ? 240 : 1560, 4800 + 360 * (index / 2), 1215, 375),
                                     QString::fromLatin1(kMonthCaptions[index]));
        Command4[index]->setFont(arialFont(8.25));
        setBackColour(Command4[index], kCyan);
        connect(Command4[index], &QPushButton::clicked, this,
                [this, index] { emit monthButtonClicked(index + 1); });
    }

    Command14 = makeButton(this, QStringLiteral("Command14"), place(600, 7080, 1815, 1455));
    setBackColour(Command14, kWhite);
    setPicture(Command14, Picture::YearCalendar);
    connect(Command14, &QPushButton::clicked, this, &CalendarPanel::yearOverviewClicked);

    Command5 =
        makeButton(this, QStringLiteral("Command5"), place(240, 8640, 2535, 615), QStringLiteral("HOY"));
    Command5->setFont(arialFont(12, true));
    setBackColour(Command5, kYellow);
    Command5->setAccessibleName(QStringLiteral("Hoy"));
    Command5->setAccessibleDescription(QStringLiteral("Muestra y elige el día de hoy (Inicio)"));
    connect(Command5, &QPushButton::clicked, this, &CalendarPanel::todayClicked);
}

namespace {

// A new palette makes Qt resolve it and repaint the button: only a changed colour is set.
void setDayColour(QWidget* button, quint32 colour) {
    if (backColour(button) != colour)
        setBackColour(button, colour);
}

} // namespace

void CalendarPanel::DrawMonth(int year, int month, const DayMarks& marks) {
    layout_ = monthLayout(year, month);
    selectedDay_ = 0;
    const QString yearText = QString::number(year);
    Combo1->setCurrentIndex(month - 1);
    Combo2->setCurrentIndex(year - kFirstYear);
    Command2[0]->setText(yearText);
    // The arrows stop where the year selector's list ends, so the two always agree.
    Command3[0]->setEnabled(year < kLastYear);
    Command3[1]->setEnabled(year > kFirstYear);

    for (int index = 0; index < kGridButtons; ++index) {
        const int day = layout_.dayOnButton(index);
        Command1[index]->setText(day == 0 ? QString() : QString::number(day));
        Command1[index]->setVisible(day != 0);
        if (day == 0) {
            setDayColour(Command1[index], DayMarks::colourOf(Mark::None, index % kGridColumns));
            if (!Command1[index]->accessibleName().isEmpty())
                Command1[index]->setAccessibleName(QString());
        } else {
            paintDay(day, marks);
            nameDay(day, marks);
        }
    }
}

void CalendarPanel::selectDay(int day, const DayMarks& marks) {
    if (selectedDay_ != 0)
        paintDay(selectedDay_, marks);
    selectedDay_ = day >= 1 && day <= layout_.daysInMonth ? day : 0;
    if (selectedDay_ != 0)
        setBackColour(Command1[layout_.buttonOfDay(selectedDay_)], colours::selected);
}

void CalendarPanel::focusDay(int day) {
    if (day >= 1 && day <= layout_.daysInMonth)
        Command1[layout_.buttonOfDay(day)]->setFocus(Qt::OtherFocusReason);
}

bool CalendarPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto found = std::find(Command1.cbegin(), Command1.cend(), watched);
    if (found == Command1.cend())
        return QWidget::eventFilter(watched, event);
    const int index = int(found - Command1.cbegin());
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Left:
        emit selectionStepped(index, -1, 0);
        return true;
    case Qt::Key_Right:
        emit selectionStepped(index, 1, 0);
        return true;
    case Qt::Key_Up:
        emit selectionStepped(index, -kGridColumns, 0);
        return true;
    case Qt::Key_Down:
        emit selectionStepped(index, kGridColumns, 0);
        return true;
    case Qt::Key_PageUp:
        emit selectionStepped(index, 0, -1);
        return true;
    case Qt::Key_PageDown:
        emit selectionStepped(index, 0, 1);
        return true;
    case Qt::Key_Home:
        emit todayKeyPressed();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit dayClicked(index);
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void CalendarPanel::nameDay(int day, const DayMarks& marks) {
    if (day < 1 || day > layout_.daysInMonth)
        return;
    const int index = layout_.buttonOfDay(day);
    const DayMarkSet set =
        marks.marksOf(QString::number(day), monthName(layout_.month), QString::number(layout_.year));
    const QDate date(layout_.year, layout_.month, day);
    const QString name = dayButtonName(
        date, set, set.holiday ? marks.holidayName(annualKey(date)) : QString(), conflictShown_[index]);
    // Qt tells a listening screen reader of every new name, even an equal one.
    if (Command1[index]->accessibleName() != name)
        Command1[index]->setAccessibleName(name);
}

void CalendarPanel::showConflictSigns(const QSet<int>& days) {
    for (int index = 0; index < kGridButtons; ++index) {
        const int day = layout_.dayOnButton(index);
        const bool shown = day != 0 && days.contains(day);
        if (shown != conflictShown_[index]) {
            conflictShown_[index] = shown;
            if (day != 0) {
                QString name = Command1[index]->accessibleName();
                const QString sign = QStringLiteral(", copia en conflicto por resolver");
                if (shown)
                    name += sign;
                else if (name.endsWith(sign))
                    name.chop(sign.size());
                Command1[index]->setAccessibleName(name);
            }
        }
        if (!shown && !conflictSigns_[index])
            continue;
        showConflictSign(Command1[index], shown);
        conflictSigns_[index] = true;
    }
}

void CalendarPanel::paintDay(int day, const DayMarks& marks) {
    const int index = layout_.buttonOfDay(day);
    const Mark mark =
        marks.markOf(QString::number(day), monthName(layout_.month), QString::number(layout_.year));
    setDayColour(Command1[index], DayMarks::colourOf(mark, index % kGridColumns));
}

} // namespace quindara
