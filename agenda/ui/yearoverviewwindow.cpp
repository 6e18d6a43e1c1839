// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/yearoverviewwindow.h"

#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/ui/controls.h"
#include "common/textfile.h"
#include "common/ui/application.h"
#include "common/ui/keyboardfocus.h"
#include "common/units.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace quindara {

namespace {

constexpr quint32 kYearColour = 0x00C00000; // dark blue

} // namespace

YearOverviewWindow::YearOverviewWindow(const DataFolder& data, int mainWindowYear, QWidget* parent)
    : YearOverviewWindow(data, mainWindowYear, new OwnStores(data), parent) {}

YearOverviewWindow::YearOverviewWindow(const DataFolder& data, int mainWindowYear, OwnStores* own,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window), data_(data), mainWindowYear_(mainWindowYear), ownStores_(own),
      marks_(own->marks), conflicts_(own->conflicts) {
    setUp();
}

YearOverviewWindow::YearOverviewWindow(const DataFolder& data, int mainWindowYear, DayMarks& marks,
                                       DayConflicts& conflicts, QWidget* parent)
    : QWidget(parent, Qt::Window), data_(data), mainWindowYear_(mainWindowYear), marks_(marks),
      conflicts_(conflicts) {
    setUp();
}

YearOverviewWindow::~YearOverviewWindow() = default;

void YearOverviewWindow::setUp() {
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName(QStringLiteral("Año completo"));
    setFixedSize(common::twipsSize(11460, 10455));
    createControls();
    Form_Load();
    common::useFromKeyboard(*this);
}

void YearOverviewWindow::createControls() {
    for (int month = 1; month <= 12; ++month) {
        auto* panel = new MonthPanel(month, this);
        connect(panel, &MonthPanel::dayClicked, this, [this, month](int index) { pickDay(month, index); });
        panels_.at(month - 1) = panel;
    }

    Label3 = makeLabel(this, QStringLiteral("Label3"), QRect(4800, 9480, 2775, 735), QString());
    Label3->setFont(arialFont(27.75, true));
    Label3->setAlignment(Qt::AlignCenter);
    setForeColour(Label3, kYearColour);

    const Picture arrows[2] = {Picture::OverviewUp, Picture::OverviewDown};
    const int arrowLefts[2] = {4320, 7200};
    for (int index = 0; index < 2; ++index) {
        Command14.at(index) =
            makeButton(this, elementName("Command14", index), QRect(arrowLefts[index], 9480, 735, 735));
        setBackColour(Command14.at(index), kWhite);
        setPicture(Command14.at(index), arrows[index]);
        connect(Command14.at(index), &QPushButton::clicked, this, [this, index] { Command14_Click(index); });
    }

    Command1 = makeButton(this, QStringLiteral("Command1"), QRect(10440, 9480, 855, 855));
    setBackColour(Command1, kWhite);
    setPicture(Command1, Picture::OverviewClose);
    connect(Command1, &QPushButton::clicked, this, &YearOverviewWindow::Command1_Click);
}

void YearOverviewWindow::Form_Load() {
    common::centreOnScreen(*this);
    // The main window only shows listed years, but a picked date must always be one it can show.
    year_ = qBound(kFirstYear, mainWindowYear_, kLastYear);
    // Decoration only: a missing or unreadable picture leaves the white background. Read as any data
    // file, so a FIFO or a link out of the folder is not waited for or followed.
    if (const auto picture = common::readBytes(data_.backgroundPicture()))
        background_.loadFromData(*picture);
    ComputeYearStart();
}

void YearOverviewWindow::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QPainter painter(this);
    painter.fillRect(rect(), common::bgrColour(kWhite));
    if (!background_.isNull())
        painter.drawPixmap(0, 0, background_);
}

void YearOverviewWindow::Command1_Click() {
    close();
}

void YearOverviewWindow::Command14_Click(int Index) {
    const int year = year_ + (Index == 0 ? 1 : -1);
    if (!isListedYear(year))
        return;
    year_ = year;
    ComputeYearStart();
}

void YearOverviewWindow::ComputeYearStart() {
    const int year = year_;
    Label3->setText(QString::number(year));
    // The window shows no caption of its own inside it (the year label is the only heading); the title
    // bar is the desktop's, and names the window in the task bar and the window switcher.
    setWindowTitle(QStringLiteral("Año %1 — QUINDARA").arg(year));
    // The arrows stop where the main window's year list ends.
    Command14.at(0)->setEnabled(year < kLastYear);
    Command14.at(1)->setEnabled(year > kFirstYear);
    DrawYear();
}

void YearOverviewWindow::DrawYear() {
    // One look at the three marking folders and the notes folder for the whole year.
    const std::array<QSet<int>, 12> conflictDays = conflicts_.daysOfYear(year_);
    for (int month = 1; month <= 12; ++month)
        DrawMonthPanel(year_, month, conflictDays[size_t(month - 1)]);
}

void YearOverviewWindow::DrawMonthPanel(int year, int month, const QSet<int>& conflictDays) {
    MonthPanel& panel = *panels_.at(month - 1);
    const MonthLayout layout = monthLayout(year, month);
    const QString monthText = monthName(month);
    const QString yearText = QString::number(year);
    for (int index = 0; index < layout.firstIndex; ++index)
        panel.hideCell(index);
    for (int day = 1; day <= layout.daysInMonth; ++day) {
        const int index = layout.buttonOfDay(day);
        const DayMarkSet set = marks_.marksOf(QString::number(day), monthText, yearText);
        // The twelve panels are drawn at every step of the year: the holidays' files are not read for their
        // names, which the main window's grid says.
        panel.showDay(index, day, DayMarks::colourOf(set.strongest(), index % kGridColumns),
                      dayButtonName(QDate(year, month, day), set, QString(), conflictDays.contains(day)));
        panel.showConflictSign(index, conflictDays.contains(day));
    }
    for (int index = layout.lastIndex() + 1; index < kGridButtons; ++index)
        panel.hideCell(index);
}

void YearOverviewWindow::pickDay(int month, int Index) {
    const int day = monthLayout(year_, month).dayOnButton(Index);
    if (day == 0)
        return;
    emit datePicked(QDate(year_, month, day));
    close();
}

} // namespace quindara
