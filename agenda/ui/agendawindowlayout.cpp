// Creation and placement of the main window's tool row and pages, and the wiring of their controls.
#include "agenda/ui/addressbookpage.h"
#include "agenda/ui/agendawindow.h"
#include "agenda/ui/attachmentpanel.h"
#include "agenda/ui/calendarpanel.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/daypage.h"
#include "agenda/ui/exchangepage.h"
#include "agenda/ui/notespadpage.h"
#include "agenda/ui/searchpage.h"
#include "agenda/ui/summarypage.h"
#include "agenda/ui/toolrow.h"
#include "agenda/ui/weekpage.h"
#include "common/units.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace quindara {

namespace {

// Every page lies in this rectangle, right of the month grid.
const QRect kPageRect = common::twipsRect(2880, 480, 8895, 8295);

} // namespace

void AgendaWindow::createToolRow() {
    Label2 = makeLabel(this, QStringLiteral("Label2"), QRect(240, 120, 6615, 375), QString());
    Label2->setFont(arialFont(12, true));
    Label2->setAlignment(Qt::AlignCenter);
    toolRow_ = std::make_unique<ToolRow>(this);
}

void AgendaWindow::createPages() {
    dayPage_ = new DayPage(data_, dayNotes_, desktop_, this);
    Frame1[0] = dayPage_;
    weekPage_ = new WeekPage(dayNotes_, desktop_, this);
    Frame1[1] = weekPage_;
    monthSummary_ = new SummaryPage(SummaryPage::Span::Month, dayNotes_, this);
    Frame1[2] = monthSummary_;
    yearSummary_ = new SummaryPage(SummaryPage::Span::Year, dayNotes_, this);
    Frame1[3] = yearSummary_;
    notesPad_ = new NotesPadPage(data_, clock_, desktop_, this);
    Frame1[4] = notesPad_;
    addressBook_ = new AddressBookPage(data_, desktop_, this);
    Frame1[5] = addressBook_;
    attachments_ = new AttachmentPanel(data_, desktop_, this);
    searchPage_ = new SearchPage(data_, this);
    setBackColor(toolRow_->searchButton, backColor(searchPage_));
    exchangePage_ = new ExchangePage(data_, desktop_, this);
    exchangePage_->hide();
}

void AgendaWindow::connectControls() {
    connect(calendar_, &CalendarPanel::dayClicked, this, &AgendaWindow::Command1_Click);
    connect(calendar_, &CalendarPanel::monthChosen, this, &AgendaWindow::Combo1_Click);
    connect(calendar_, &CalendarPanel::yearChosen, this, &AgendaWindow::Combo2_Click);
    connect(calendar_, &CalendarPanel::yearStepped, this, &AgendaWindow::Command3_Click);
    connect(calendar_, &CalendarPanel::monthButtonClicked, this, &AgendaWindow::Command4_Click);
    connect(calendar_, &CalendarPanel::todayClicked, this, &AgendaWindow::Command5_Click);
    connect(calendar_, &CalendarPanel::yearOverviewClicked, this, &AgendaWindow::Command14_Click);
    for (int index = 0; index < kAgendaPageCount; ++index)
        connect(toolRow_->Command6[index], &QPushButton::clicked, this,
                [this, index] { Command6_Click(index); });
    connect(toolRow_->Command9, &QPushButton::clicked, this, &AgendaWindow::Command9_Click);
    connect(toolRow_->Command10, &QPushButton::clicked, this, &AgendaWindow::Command10_Click);
    connect(toolRow_->Command12, &QPushButton::clicked, this, &AgendaWindow::Command12_Click);
    connect(toolRow_->Command15, &QPushButton::clicked, this, &AgendaWindow::Command15_Click);
    connect(toolRow_->searchButton, &QPushButton::clicked, this, &AgendaWindow::searchButton_Click);
    connect(searchPage_, &SearchPage::hitOpened, this, &AgendaWindow::OpenSearchHit);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
            &AgendaWindow::searchButton_Click);
    connect(calendar_, &CalendarPanel::selectionStepped, this, &AgendaWindow::MoveSelection);
    connect(calendar_, &CalendarPanel::todayKeyPressed, this, &AgendaWindow::TodayKey);
    connect(toolRow_->exchangeButton, &QPushButton::clicked, this, &AgendaWindow::exchangeButton_Click);
    // Imported days get their marks in the grid; imported contacts their place in the address book.
    connect(exchangePage_, &ExchangePage::calendarImported, this, &AgendaWindow::DrawMonth);
    connect(exchangePage_, &ExchangePage::contactsImported, addressBook_, &AddressBookPage::loadCategories);

    const auto tell = [this](const QString& failure) { TellSaveFailure(failure); };
    const auto forgetTold = [this] { toldSaveFailure_.clear(); };
    connect(dayPage_, &DayPage::noteSaveFailed, this, tell);
    connect(weekPage_, &WeekPage::noteSaveFailed, this, tell);
    connect(dayPage_, &DayPage::noteSaved, this, forgetTold);
    connect(dayPage_, &DayPage::unreadableFilesShown, this, &AgendaWindow::TellUnreadable);
    connect(weekPage_, &WeekPage::unreadableFilesShown, this, &AgendaWindow::TellUnreadable);
    connect(weekPage_, &WeekPage::noteSaved, this, forgetTold);
    // The selected day keeps its red; when the selection moves on it shows its new mark.
    connect(dayPage_, &DayPage::dayTextStored, this, [this] { marks_.forceRefresh(); });
}

void AgendaWindow::ArrangePages() {
    for (QFrame* page : Frame1)
        page->setGeometry(kPageRect);
    searchPage_->setGeometry(kPageRect);
    exchangePage_->setGeometry(kPageRect);
    ShowPageColour(static_cast<int>(state_.page()));
    toolRow_->arrange();
}

} // namespace quindara
