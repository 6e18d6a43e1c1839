// SPDX-License-Identifier: GPL-3.0-or-later
// Creation and placement of the main window's tool row and pages, and the wiring of their controls.
#include "agenda/ui/addressbookpage.h"
#include "agenda/ui/agendawatch.h"
#include "agenda/ui/agendawindow.h"
#include "agenda/ui/attachmentpanel.h"
#include "agenda/ui/calendarpanel.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/daynotices.h"
#include "agenda/ui/daypage.h"
#include "agenda/ui/deferredmessages.h"
#include "agenda/ui/exchangepage.h"
#include "agenda/ui/notespadpage.h"
#include "agenda/ui/searchpage.h"
#include "agenda/ui/summarypage.h"
#include "agenda/ui/syncpage.h"
#include "agenda/ui/toolrow.h"
#include "agenda/ui/weekpage.h"
#include "agenda/ui/windowsync.h"
#include "agenda/ui/yearoverviewwindow.h"
#include "common/ui/windowactivation.h"
#include "common/units.h"

#include <QGuiApplication>

#include <QLabel>
#include <QPushButton>

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
    pages_.day = new DayPage(data_, dayNotes_, desktop_, this);
    Frame1[0] = pages_.day;
    pages_.week = new WeekPage(dayNotes_, desktop_, this);
    Frame1[1] = pages_.week;
    pages_.monthSummary = new SummaryPage(SummaryPage::Span::Month, dayNotes_, this);
    Frame1[2] = pages_.monthSummary;
    pages_.yearSummary = new SummaryPage(SummaryPage::Span::Year, dayNotes_, this);
    Frame1[3] = pages_.yearSummary;
    pages_.notesPad = new NotesPadPage(data_, clock_, desktop_, this);
    Frame1[4] = pages_.notesPad;
    pages_.addressBook = new AddressBookPage(data_, desktop_, clock_, this);
    Frame1[5] = pages_.addressBook;
    pages_.attachments = new AttachmentPanel(data_, desktop_, this);
    pages_.search = new SearchPage(data_, this);
    pages_.exchange = new ExchangePage(data_, desktop_, this);
    pages_.exchange->hide();
    notices_ = new DayNotices(
        data_, clock_, desktop_,
        [this](const QDate& day, const QString& token) {
            goToDay(day);
            common::LaunchToken launch;
            if (!token.isEmpty())
                launch = {QGuiApplication::platformName() == u"wayland"
                              ? common::LaunchToken::Kind::WaylandActivation
                              : common::LaunchToken::Kind::X11StartupId,
                          token};
            common::bringForward(*this, launch);
        },
        this);
    sync_ = new WindowSync(data_, clock_, desktop_, *toolRow_, *this);
    pages_.sync = sync_->page();
    watch_ = new AgendaWatch(data_, state_, marks_, reader_, dayNotes_, pages_, desktop_, clock_, this);
    connect(watch_, &AgendaWatch::marksChanged, this, [this] {
        if (yearOverview_)
            yearOverview_->showOutsideChanges();
    });
}

void AgendaWindow::connectControls() {
    connect(pages_.calendar, &CalendarPanel::dayClicked, this, &AgendaWindow::Command1_Click);
    connect(pages_.calendar, &CalendarPanel::monthChosen, this, &AgendaWindow::Combo1_Click);
    connect(pages_.calendar, &CalendarPanel::yearChosen, this, &AgendaWindow::Combo2_Click);
    connect(pages_.calendar, &CalendarPanel::yearStepped, this, &AgendaWindow::Command3_Click);
    connect(pages_.calendar, &CalendarPanel::monthButtonClicked, this, &AgendaWindow::Command4_Click);
    connect(pages_.calendar, &CalendarPanel::todayClicked, this, &AgendaWindow::Command5_Click);
    connect(pages_.calendar, &CalendarPanel::yearOverviewClicked, this, &AgendaWindow::Command14_Click);
    for (int index = 0; index < kAgendaPageCount; ++index)
        connect(toolRow_->Command6[index], &QPushButton::clicked, this,
                [this, index] { Command6_Click(index); });
    connect(toolRow_->Command9, &QPushButton::clicked, this, &AgendaWindow::Command9_Click);
    connect(toolRow_->Command10, &QPushButton::clicked, this, &AgendaWindow::Command10_Click);
    connect(toolRow_->Command12, &QPushButton::clicked, this, &AgendaWindow::Command12_Click);
    connect(toolRow_->Command15, &QPushButton::clicked, this, &AgendaWindow::Command15_Click);
    connect(pages_.calendar, &CalendarPanel::selectionStepped, this, &AgendaWindow::moveSelection);
    connect(pages_.calendar, &CalendarPanel::todayKeyPressed, this, &AgendaWindow::goToToday);
    connectSearchPage(pages_, *toolRow_->searchButton, state_, *this, *this);
    connectExchangePage(pages_, *toolRow_->exchangeButton, *this);
    sync_->connectWindow(pages_, *watch_, *this);

    const auto tell = [this](const QString& failure) {
        messages_->postSaveFailure(common::Status::failure(failure));
    };
    const auto forgetTold = [this] { messages_->forgetSaveFailure(); };
    connect(pages_.day, &DayPage::noteSaveFailed, this, tell);
    connect(pages_.week, &WeekPage::noteSaveFailed, this, tell);
    connect(pages_.day, &DayPage::noteSaved, this, forgetTold);
    connect(pages_.day, &DayPage::unreadableFilesShown, messages_, &DeferredMessages::postUnreadable);
    connect(pages_.week, &WeekPage::unreadableFilesShown, messages_, &DeferredMessages::postUnreadable);
    connect(pages_.week, &WeekPage::noteSaved, this, forgetTold);
    // The selected day keeps its red; when the selection moves on it shows its new mark. Its name says the
    // new mark at once.
    connect(pages_.day, &DayPage::dayTextStored, this, [this] {
        marks_.forceRefresh();
        if (state_.hasSelection())
            pages_.calendar->nameDay(state_.selectedDate().day(), marks_);
    });
    // A holiday, a reminder or a timed line saved for today (or tomorrow) is told at once.
    connect(pages_.day, &DayPage::dayTextStored, notices_, &DayNotices::tellNew);
    connect(pages_.day, &DayPage::noteSaved, notices_, &DayNotices::tellNew);
    connect(pages_.week, &WeekPage::noteSaved, notices_, &DayNotices::tellNew);
}

void AgendaWindow::ArrangePages() {
    for (QFrame* page : Frame1)
        page->setGeometry(kPageRect);
    pages_.search->setGeometry(kPageRect);
    pages_.exchange->setGeometry(kPageRect);
    pages_.sync->setGeometry(kPageRect);
    showPageColour(static_cast<int>(state_.page()));
    toolRow_->arrange();
}

} // namespace quindara
