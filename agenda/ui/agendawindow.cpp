// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/agendawindow.h"

#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/textpad.h"
#include "agenda/core/days/writetest.h"
#include "agenda/core/exchange/exchangecommand.h"
#include "agenda/core/syncsetup/synccommand.h"
#include "agenda/ui/addressbookpage.h"
#include "agenda/ui/agendawatch.h"
#include "agenda/ui/attachmentpanel.h"
#include "agenda/ui/calendarpanel.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/daynotices.h"
#include "agenda/ui/daypage.h"
#include "agenda/ui/deferredmessages.h"
#include "agenda/ui/exchangepage.h"
#include "agenda/ui/logging.h"
#include "agenda/ui/notespadpage.h"
#include "agenda/ui/searchpage.h"
#include "agenda/ui/summarypage.h"
#include "agenda/ui/syncpage.h"
#include "agenda/ui/toolrow.h"
#include "agenda/ui/weekpage.h"
#include "agenda/ui/windowsync.h"
#include "agenda/ui/yearoverviewwindow.h"
#include "common/ui/application.h"
#include "common/ui/keyboardfocus.h"
#include "common/ui/windowactivation.h"
#include "common/units.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace quindara {

AgendaWindow::AgendaWindow(const QString& programFolder, const common::Clock& clock,
                           common::DesktopServices& desktop, QWidget* parent)
    : QWidget(parent), data_(programFolder), clock_(clock), desktop_(desktop), state_(clock.today()),
      marks_(data_), reader_(data_, marks_), dayNotes_(data_),
      messages_(new DeferredMessages(desktop, this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("QUINDARA"));
    setFixedSize(common::twipsSize(13890, 9405));
    pages_.calendar = new CalendarPanel(this);
    createToolRow();
    createPages();
    connectControls();
    Form_Load();
    common::useFromKeyboard(*this);
}

// The pages hold references to this window's stores; they go first, while those are still alive, so a
// box losing the focus as the window is torn down never reaches a store already destroyed.
AgendaWindow::~AgendaWindow() {
    ending_ = true;
    delete watch_;
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void AgendaWindow::Form_Load() {
    common::centreOnScreen(*this);
    // The notes pad and the address book need their folders; missing ones are created. A folder that
    // cannot be made is told by the write test below, or when something is saved into it.
    if (const common::Status made = data_.createMissingFolders(); !made)
        qCWarning(lcAgendaWindow) << made.error();
    showPage(AgendaPage::Day);
    DrawMonth();
    ArrangePages();
    pages_.addressBook->loadCategories();
    tellIfFolderUnwritable();
    watch_->start();
    sync_->start();
    QTimer::singleShot(0, notices_, &DayNotices::start);
}

// Only a failure is told; the scratch file leaves nothing behind, so no earlier export is lost.
void AgendaWindow::tellIfFolderUnwritable() {
    if (const common::Status written = writeTest(data_.programFolder()); !written)
        desktop_.showMessage(writeTestMessage(written.error()));
}

// Draws the shown month; a day page can be edited only while a day of it is selected.
void AgendaWindow::DrawMonth() {
    marks_.refresh();
    pages_.calendar->DrawMonth(state_.year(), state_.month(), marks_);
    watch_->showConflictSigns();
    pages_.day->clearDay();
    pages_.attachments->forgetDay();
    if (state_.hasSelection())
        showSelectedDay();
    showTitle();
}

void AgendaWindow::showSelectedDay() {
    const QDate day = state_.selectedDate();
    pages_.calendar->selectDay(day.day(), marks_);
    const DayTexts texts =
        reader_.dayTexts(QString::number(day.day()), monthName(day.month()), QString::number(day.year()));
    pages_.day->showDay(day, texts);
    pages_.attachments->showDay(day, texts.thisYearAttachments, texts.everyYearAttachments);
    showTitle();
    watch_->dayShown();
}

// The day title, or the month and year while no day is selected.
void AgendaWindow::showTitle() {
    Label2->setText(state_.hasSelection() ? dayNoteKey(state_.selectedDate())
                                          : monthName(state_.month()) + QStringLiteral(" de ") +
                                                QString::number(state_.year()));
}

void AgendaWindow::showPage(AgendaPage page) {
    state_.showPage(page);
    const int index = static_cast<int>(page);
    for (int k = 0; k < kAgendaPageCount; ++k)
        Frame1[k]->setVisible(k == index);
    pages_.search->setVisible(page == AgendaPage::Search);
    pages_.exchange->setVisible(page == AgendaPage::Exchange);
    pages_.sync->setVisible(page == AgendaPage::Sync);
    showPageColour(index);
}

// The window and the shown page take the colour of the page's tab (or button).
void AgendaWindow::showPageColour(int index) {
    if (index < 0)
        return;
    const auto page = static_cast<AgendaPage>(index);
    // The search page has a colour of its own, which its button shares.
    const quint32 colour = toolRow_->pageColour(page).value_or(backColour(pages_.search));
    setBackColour(this, colour);
    if (page == AgendaPage::Exchange)
        setBackColour(pages_.exchange, colour);
    else if (page == AgendaPage::Sync)
        setBackColour(pages_.sync, colour);
    else if (index < kAgendaPageCount)
        setBackColour(Frame1[index], colour);
}

// What a page shows is loaded when it comes to the front; the notes pad and address book load nothing.
void AgendaWindow::showPageContent() {
    switch (state_.page()) {
    case AgendaPage::Day:
        pages_.day->reloadNote();
        break;
    case AgendaPage::Week:
        pages_.week->ShowWeekPage(state_.lastShownDay());
        watch_->watchShownFiles();
        break;
    case AgendaPage::MonthSummary:
        pages_.monthSummary->BuildMonthSummary(state_.year(), state_.month());
        break;
    case AgendaPage::YearSummary:
        pages_.yearSummary->BuildYearSummary(state_.year());
        break;
    case AgendaPage::Search:
        pages_.search->showQuery(state_.year());
        break;
    case AgendaPage::Exchange:
        pages_.exchange->loadCategories();
        break;
    case AgendaPage::Sync:
        pages_.sync->showAccount();
        break;
    case AgendaPage::NotesPad:
    case AgendaPage::AddressBook:
        break;
    }
}

void AgendaWindow::changeMonth(int year, int month) {
    savePendingDayNotes();
    if (state_.showMonth(year, month))
        DrawMonth();
}

void AgendaWindow::Combo1_Click(int month) {
    changeMonth(state_.year(), month);
}

void AgendaWindow::Combo2_Click(int year) {
    changeMonth(year, state_.month());
}

void AgendaWindow::Command1_Click(int Index) {
    const int day = monthLayout(state_.year(), state_.month()).dayOnButton(Index);
    if (day == 0)
        return;
    savePendingDayNotes();
    showPage(AgendaPage::Day);
    state_.selectDay(day);
    showSelectedDay();
}

// The arrows step the year within the years of Combo2, so the two always agree.
void AgendaWindow::Command3_Click(int step) {
    savePendingDayNotes();
    if (state_.stepYear(step))
        DrawMonth();
}

void AgendaWindow::Command4_Click(int month) {
    changeMonth(state_.year(), month);
}

// Today is selected, so its page can be edited as after any other choice of a day; the page in front
// follows: the week page shows today's week, the summaries today's month and year.
void AgendaWindow::Command5_Click() {
    savePendingDayNotes();
    state_.goToToday();
    DrawMonth();
    if (state_.page() != AgendaPage::Day)
        showPageContent();
}

void AgendaWindow::Command6_Click(int Index) {
    openPage(static_cast<AgendaPage>(Index));
}

void AgendaWindow::openPage(AgendaPage page) {
    savePendingDayNotes();
    showPage(page);
    showPageContent();
}

void AgendaWindow::moveSelection(int index, int days, int months) {
    const std::optional<QDate> to =
        state_.stepTarget(monthLayout(state_.year(), state_.month()).dayOnButton(index), days, months);
    if (!to)
        return;
    savePendingDayNotes();
    state_.goToDate(*to);
    DrawMonth();
    // The week and the summaries follow the selection; the search page keeps its query and list.
    if (state_.page() != AgendaPage::Day && state_.page() != AgendaPage::Search)
        showPageContent();
    pages_.calendar->focusDay(to->day());
}

void AgendaWindow::goToToday() {
    Command5_Click();
    if (state_.hasSelection())
        pages_.calendar->focusDay(state_.selectedDate().day());
}

void AgendaWindow::Command14_Click() {
    if (yearOverview_) {
        yearOverview_->raise();
        yearOverview_->activateWindow();
        return;
    }
    yearOverview_ = new YearOverviewWindow(data_, state_.year(), marks_, watch_->conflicts(), this);
    connect(yearOverview_, &YearOverviewWindow::datePicked, this, &AgendaWindow::applyPickedDate);
    yearOverview_->show();
}

// A date picked in the year overview: an impossible one is dropped.
void AgendaWindow::applyPickedDate(const QDate& date) {
    if (!date.isValid() || !isListedYear(date.year())) {
        savePendingDayNotes();
        return;
    }
    openDay(date);
}

void AgendaWindow::openDay(const QDate& day) {
    savePendingDayNotes();
    showPage(AgendaPage::Day);
    state_.goToDate(day);
    DrawMonth();
}

void AgendaWindow::goToDay(const QDate& date) {
    applyPickedDate(date);
}

void AgendaWindow::savePendingDayNotes() {
    messages_->postSaveFailure(pages_.day->SaveDayNote());
    for (int k = 0; k < kDaysInWeek; ++k)
        messages_->postSaveFailure(pages_.week->SaveWeekDayNote(k));
}

// Text pad: the page shown goes into "texto.txt", which opens in the text editor.
void AgendaWindow::Command9_Click() {
    // An old export must not be shown as if it were this page.
    if (const common::Status written = writeTextPad(data_, pages_.textPadOf(state_.page())); !written) {
        desktop_.showMessage(QStringLiteral("No se ha podido escribir %1.\nERROR: %2")
                                 .arg(data_.textPadFile(), written.error()));
        return;
    }
    if (!desktop_.openInTextEditor(data_.textPadFile()))
        desktop_.showMessage(QStringLiteral("No se ha podido abrir el editor de textos."));
}

void AgendaWindow::Command10_Click() {
    if (!saveBeforeEnding())
        return;
    ending_ = true;
    // Closing the last window ends the program; the year overview is closed with this one.
    close();
}

void AgendaWindow::Command12_Click() {
    showMinimized();
}

void AgendaWindow::Command15_Click() {
    const QString program = calculatorToStart(desktop_.runningProgramFolder());
    if (program.isEmpty()) {
        desktop_.showMessage(QStringLiteral("No se encuentra la calculadora junto a la agenda, en %1.")
                                 .arg(QDir::toNativeSeparators(desktop_.runningProgramFolder())));
        return;
    }
    if (!desktop_.startProgram(program, {QStringLiteral("--folder"), data_.programFolder()}))
        desktop_.showMessage(QStringLiteral("No se ha podido iniciar la calculadora %1.").arg(program));
}

bool AgendaWindow::saveBeforeEnding() {
    QStringList failures;
    if (const common::Status saved = pages_.day->SaveDayNote(); !saved)
        failures.append(saved.error());
    for (int k = 0; k < kDaysInWeek; ++k) {
        if (const common::Status saved = pages_.week->SaveWeekDayNote(k); !saved)
            failures.append(saved.error());
    }
    if (const common::Status saved = pages_.notesPad->savePendingNote(); !saved)
        failures.append(saved.error());
    if (failures.isEmpty())
        return true;
    // The question names the failures: a telling of them still waiting would show them a second time.
    messages_->withdraw(failures);
    // Enter keeps the program open: quitting loses the notes.
    return desktop_.askYesNo(failures.join(u'\n') + QStringLiteral("\n\n¿Salir sin guardar?"), QString(),
                             common::DefaultAnswer::No);
}

void AgendaWindow::saveForSessionEnd() {
    if (ending_)
        return;
    QList<common::Status> saves = {pages_.day->SaveDayNote()};
    for (int k = 0; k < kDaysInWeek; ++k)
        saves.append(pages_.week->SaveWeekDayNote(k));
    saves.append(pages_.notesPad->savePendingNote());
    for (const common::Status& saved : std::as_const(saves)) {
        if (!saved)
            qCWarning(lcAgendaWindow) << "not saved as the session ends:" << saved.error();
    }
}

common::WriterJobResult AgendaWindow::runHandedJob(const common::WriterJob& job) {
    if (sync_->running())
        return {0, QString(), true};
    // "Abrir la agenda" on the day's notice, or --day: the window goes to the day and comes forward.
    if (const common::CommandLineOptions asked =
            common::CommandLine(common::Program::Agenda).read(job.arguments);
        asked.action == common::CommandLineAction::OpenWindow && asked.day.isValid()) {
        goToDay(asked.day);
        common::bringForward(*this, {});
        return {};
    }
    if (!isSyncJob(job))
        return runHandedExchange(data_.programFolder(), job);
    return sync_->runHandedJob(job);
}

// Closing by the title bar saves exactly as the exit button does.
void AgendaWindow::closeEvent(QCloseEvent* event) {
    if (!ending_ && !saveBeforeEnding()) {
        event->ignore();
        return;
    }
    ending_ = true;
    // Everything was saved, or the user chose to quit without saving: the boxes losing the focus as the
    // window goes must not try again.
    pages_.day->stopSavingOnLeave();
    pages_.week->stopSavingOnLeave();
    if (yearOverview_)
        yearOverview_->close();
    // A run still going stops at its next safe point; the window goes when it has.
    if (sync_->closeAfterRun()) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace quindara
