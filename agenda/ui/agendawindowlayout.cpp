// Creation and placement of the main window's controls; the behaviour is in agendawindow.cpp.
#include "agenda/core/daymarks.h"
#include "agenda/ui/addressbookpage.h"
#include "agenda/ui/agendawindow.h"
#include "agenda/ui/attachmentpanel.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/daypage.h"
#include "agenda/ui/notespadpage.h"
#include "agenda/ui/summarypage.h"
#include "agenda/ui/weekpage.h"
#include "common/units.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace quindara {

namespace {

constexpr quint32 kMagenta = 16711935;
constexpr quint32 kLightYellow = 12648447;
constexpr quint32 kCyan = 16776960;
constexpr quint32 kYellow = 65535;
constexpr quint32 kWhite = 16777215;

constexpr int kTabLefts[6] = {6480, 6960, 7440, 7920, 9000, 9480};
constexpr quint32 kTabColours[6] = {16777215, 12648384, 16761087, 16777152, 12648447, 16761087};

const char* const kHeadings[7] = {"L", "M", "Mi", "J", "V", "S", "D"};
const char* const kMonthCaptions[12] = {"Enero",      "Febrero", "Marzo",     "Abril",
                                        "Mayo",       "Junio",   "Julio",     "Agosto",
                                        "Septiembre", "Octubre", "Noviembre", "Diciembre"};

} // namespace

void AgendaWindow::createCalendarControls() {
    Label2 = makeLabel(this, QStringLiteral("Label2"), QRect(240, 120, 6615, 375), QString());
    Label2->setFont(arialFont(12, true));
    Label2->setAlignment(Qt::AlignCenter);

    for (int column = 0; column < 7; ++column) {
        Label1[column] =
            makeLabel(this, arrayName("Label1", column), QRect(240 + 360 * column, 720, 375, 375),
                      QString::fromLatin1(kHeadings[column]));
        Label1[column]->setFont(arialFont(12, true));
        Label1[column]->setAlignment(Qt::AlignCenter);
        if (column >= 5)
            setForeColor(Label1[column], kMagenta);
    }
    for (int index = 0; index < 42; ++index) {
        Command1[index] = makeButton(this, arrayName("Command1", index),
                                     QRect(240 + 360 * (index % 7), 1200 + 360 * (index / 7), 375, 375));
        Command1[index]->setFont(arialFont(9.75, true));
        connect(Command1[index], &QPushButton::clicked, this, [this, index] { Command1_Click(index); });
    }

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setGeometry(common::twipsRect(240, 3480, 2535, 315));
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    Combo2 = new QComboBox(this);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setGeometry(common::twipsRect(240, 3840, 2535, 315));
    connect(Combo2, &QComboBox::activated, this, [this] { Combo2_Click(); });
    // Two hundred years: the list opens as a box of twenty rows that scrolls, not as tall as the screen
    // (some styles open a non-editable list over the whole screen unless told otherwise).
    Combo2->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    Combo2->setMaxVisibleItems(20);

    Command2[0] = makeButton(this, QStringLiteral("Command2_0"), QRect(240, 4200, 2055, 495));
    Command2[0]->setFont(arialFont(12, true));
    setBackColor(Command2[0], kLightYellow);
    for (int index = 0; index < 2; ++index) {
        Command3[index] =
            makeButton(this, arrayName("Command3", index), QRect(2295, 4200 + 240 * index, 480, 240));
        setPicture(Command3[index], index == 0 ? Picture::ArrowUp : Picture::ArrowDown);
        connect(Command3[index], &QPushButton::clicked, this, [this, index] { Command3_Click(index); });
    }
    for (int index = 0; index < 12; ++index) {
        Command4[index] = makeButton(this, arrayName("Command4", index),
                                     QRect(index % 2 == 0 ? 240 : 1560, 4800 + 360 * (index / 2), 1215, 375),
                                     QString::fromLatin1(kMonthCaptions[index]));
        Command4[index]->setFont(arialFont(8.25));
        setBackColor(Command4[index], kCyan);
        connect(Command4[index], &QPushButton::clicked, this, [this, index] { Command4_Click(index); });
    }

    Command14 = makeButton(this, QStringLiteral("Command14"), QRect(600, 7080, 1815, 1455));
    setBackColor(Command14, kWhite);
    setPicture(Command14, Picture::YearCalendar);
    connect(Command14, &QPushButton::clicked, this, [this] { Command14_Click(); });

    Command5 =
        makeButton(this, QStringLiteral("Command5"), QRect(240, 8640, 2535, 615), QStringLiteral("HOY"));
    Command5->setFont(arialFont(12, true));
    setBackColor(Command5, kYellow);
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
}

void AgendaWindow::createToolRow() {
    const char* const captions[4] = {"D", "S", "M", "A"};
    for (int index = 0; index < 6; ++index) {
        Command6[index] =
            makeButton(this, arrayName("Command6", index), QRect(kTabLefts[index], 120, 495, 495));
        setBackColor(Command6[index], kTabColours[index]);
        if (index < 4) {
            Command6[index]->setText(QString::fromLatin1(captions[index]));
            Command6[index]->setFont(arialFont(18, true));
        }
        connect(Command6[index], &QPushButton::clicked, this, [this, index] { Command6_Click(index); });
    }
    setPicture(Command6[4], Picture::Clipboard);
    setPicture(Command6[5], Picture::People);

    Command15 = makeButton(this, QStringLiteral("Command15"), QRect(8520, 120, 495, 495));
    setBackColor(Command15, kWhite);
    setPicture(Command15, Picture::Calculator);
    Command9 = makeButton(this, QStringLiteral("Command9"), QRect(9960, 120, 495, 495));
    setPicture(Command9, Picture::SpiralNotepad);
    Command12 = makeButton(this, QStringLiteral("Command12"), QRect(10680, 120, 495, 495));
    setPicture(Command12, Picture::Minimize);
    Command10 = makeButton(this, QStringLiteral("Command10"), QRect(11280, 120, 495, 495));
    setPicture(Command10, Picture::Exit);
}

void AgendaWindow::createPages() {
    dayPage_ = new DayPage(this);
    Frame1[0] = dayPage_;
    weekPage_ = new WeekPage(this);
    Frame1[1] = weekPage_;
    monthSummary_ = new SummaryPage(SummaryPage::Span::Month, dayNotes_, this);
    Frame1[2] = monthSummary_;
    yearSummary_ = new SummaryPage(SummaryPage::Span::Year, dayNotes_, this);
    Frame1[3] = yearSummary_;
    notesPad_ = new NotesPadPage(data_, clock_, desktop_, this);
    Frame1[4] = notesPad_;
    addressBook_ = new AddressBookPage(data_, desktop_, this);
    Frame1[5] = addressBook_;
    attachments_ = new AttachmentPanel(this);
}

} // namespace quindara
