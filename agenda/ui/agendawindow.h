// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The agenda's main window (Form1): a composition of pages around the month grid.
//   AgendaState             (core) the month shown, the selected day and the page in front
//   CalendarPanel           the grid, the month and year selectors, "HOY" and the year overview button
//   DayPage                 Frame1(0): the day's note, holiday, reminders and saints
//   WeekPage                Frame1(1): the notes of the selected day's week
//   SummaryPage             Frame1(2) month summary, Frame1(3) year summary
//   NotesPadPage            Frame1(4)
//   AddressBookPage         Frame1(5)
//   SearchPage              the "Buscar" page, opened by its tool button or Ctrl+F (connectSearchPage)
//   ExchangePage            importing and exporting .ics and .vcf files (connectExchangePage)
//   WindowSync              the "Sincronizar" page and the server runs (SyncPage, AutoSync)
//   AttachmentPanel         the right-hand column of attached files
//   AgendaWatch             changes made by other programs, and the conflict copies of sync tools
//   agendawindowlayout.cpp  the tool row and the placing of the pages
// The window's handlers change the state and draw it; captions are never read back to learn it.

#include "agenda/core/calendar/agendastate.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/dayreader.h"
#include "agenda/ui/agendapages.h"
#include "common/clock.h"
#include "common/desktopservices.h"
#include "common/instancelock.h"

#include <QPointer>
#include <QSet>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QFrame;
class QLabel;
class QPushButton;

namespace quindara {

class AgendaWatch;
class DayNotices;
class DeferredMessages;
class ToolRow;
class WindowSync;
class YearOverviewWindow;

class AgendaWindow : public QWidget, private AgendaPageHost {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AgendaWindow)

public:
    AgendaWindow(const QString& programFolder, const common::Clock& clock, common::DesktopServices& desktop,
                 QWidget* parent = nullptr);
    ~AgendaWindow() override;

    // Runs an import or a server sync typed on the command line while this window has the folder: never
    // during a run of its own (the command line asks again after it). The window shows what it brought.
    common::WriterJobResult runHandedJob(const common::WriterJob& job);
    // Saves every pending edit without asking, as the session ends or the program is told to end; what
    // cannot be saved is logged. Nothing once the user has ended the program (and chosen what to keep).
    void saveForSessionEnd();
    // Shows `date` on the day page (--day, or "Abrir la agenda" on the day's notice).
    void goToDay(const QDate& date);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // agendawindowlayout.cpp
    void createToolRow();
    void createPages();
    void connectControls();
    void ArrangePages();

    void Form_Load();
    void tellIfFolderUnwritable();

    // Drawing the state.
    void DrawMonth() override;
    void showSelectedDay();
    void showTitle();
    void showPage(AgendaPage page) override;
    void showPageColour(int index);
    void showPageContent();
    // What the wiring of the pages asks of the window; the tabs and the year overview use them too.
    void openPage(AgendaPage page) override;
    void openDay(const QDate& day) override;

    // Handlers of the user's choices.
    void Combo1_Click(int month);
    void Combo2_Click(int year);
    void Command1_Click(int Index);
    void Command3_Click(int step);
    void Command4_Click(int month);
    void Command5_Click();
    void Command6_Click(int Index);
    void Command14_Click();
    void applyPickedDate(const QDate& date);
    void changeMonth(int year, int month);
    // Keys of the grid: the selection moves by days or months from the selected day (or the focused one),
    // within the listed years; the focus follows it.
    void moveSelection(int index, int days, int months);
    void goToToday();

    // Before the selection moves: edits of the day or week page are never left behind unsaved.
    void savePendingDayNotes();

    // Tool row: text pad, save and exit, minimize, calculator.
    void Command9_Click();
    void Command10_Click();
    void Command12_Click();
    void Command15_Click();
    // Saves every pending edit before the program ends; false when the user chose to stay after a failure.
    bool saveBeforeEnding();

    DataFolder data_;
    const common::Clock& clock_;
    common::DesktopServices& desktop_;
    AgendaState state_;
    DayMarks marks_;
    DayReader reader_;
    DayNotes dayNotes_;
    DeferredMessages* messages_ = nullptr;
    QPointer<YearOverviewWindow> yearOverview_;

    AgendaPages pages_;
    // Outside changes and conflict copies, shown as they happen.
    AgendaWatch* watch_ = nullptr;
    // Server sync: its page, and its runs on their own while the window is open.
    WindowSync* sync_ = nullptr;
    // The day's holiday and reminders as desktop notices.
    DayNotices* notices_ = nullptr;
    std::unique_ptr<ToolRow> toolRow_;
    // The day title, or the month and year while no day is selected.
    QLabel* Label2 = nullptr;
    // The six stacked pages.
    std::array<QFrame*, kAgendaPageCount> Frame1{};

    // Set by the exit button, which has already saved everything.
    bool ending_ = false;
};

} // namespace quindara
