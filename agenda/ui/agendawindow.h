#pragma once

// The agenda's main window (Form1): a composition of pages around the month grid.
//   AgendaState             (core) the month shown, the selected day and the page in front
//   CalendarPanel           the grid, the month and year selectors, "HOY" and the year overview button
//   DayPage                 Frame1(0): the day's note, holiday, reminders and saints
//   WeekPage                Frame1(1): the notes of the selected day's week
//   SummaryPage             Frame1(2) month summary, Frame1(3) year summary
//   NotesPadPage            Frame1(4)
//   AddressBookPage         Frame1(5)
//   SearchPage              the "Buscar" page, opened by its tool button or Ctrl+F
//   ExchangePage            importing and exporting .ics and .vcf files (exchangeButton)
//   AttachmentPanel         the right-hand column of attached files
//   agendawindowlayout.cpp  the tool row and the placing of the pages
// The window's handlers change the state and draw it; captions are never read back to learn it.

#include "agenda/core/agendastate.h"
#include "agenda/core/datafolder.h"
#include "agenda/core/dayconflicts.h"
#include "agenda/core/daymarks.h"
#include "agenda/core/daynotes.h"
#include "agenda/core/dayreader.h"
#include "common/clock.h"
#include "common/desktopservices.h"

#include <QPointer>
#include <QSet>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

namespace common {
class FolderWatcher;
}

class QFrame;
class QLabel;
class QPushButton;

namespace quindara {

class AddressBookPage;
class AttachmentPanel;
class CalendarPanel;
class DayPage;
class DeferredMessages;
class ExchangePage;
class NotesPadPage;
class SearchPage;
class SummaryPage;
class WeekPage;
class ToolRow;
class YearOverviewWindow;
struct SearchHit;

class AgendaWindow : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AgendaWindow)

public:
    AgendaWindow(const QString& programFolder, const common::Clock& clock, common::DesktopServices& desktop,
                 QWidget* parent = nullptr);
    ~AgendaWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // agendawindowlayout.cpp
    void createToolRow();
    void createPages();
    void connectControls();
    void ArrangePages();

    void Form_Load();
    void WriteTest();

    // agendawindowwatch.cpp: changes made by other programs (a sync tool, another machine) are shown
    // as they happen.
    void startWatching();
    QStringList watchedFolders() const;
    void watchShownFiles();
    void ShowOutsideChanges(const QStringList& folders);
    // Conflict copies a sync tool left: a sign on their days, and an offer to merge them when the day
    // is shown.
    void ShowConflictSigns();
    void OfferConflictMerges();

    // Drawing the state.
    void DrawMonth();
    void ShowSelectedDay();
    void ShowTitle();
    void ShowPage(AgendaPage page);
    void ShowPageColour(int index);
    void ShowPageContent();

    // Handlers of the user's choices.
    void Combo1_Click(int month);
    void Combo2_Click(int year);
    void Command1_Click(int Index);
    void Command3_Click(int step);
    void Command4_Click(int month);
    void Command5_Click();
    void Command6_Click(int Index);
    void Command14_Click();
    void ApplyPickedDate(const QDate& date);
    void ChangeMonth(int year, int month);
    // Keys of the grid: the selection moves by days or months from the selected day (or the focused one),
    // within the listed years; the focus follows it.
    void MoveSelection(int index, int days, int months);
    void TodayKey();

    // The search page, and the opening of one of its results.
    void searchButton_Click();
    void OpenSearchHit(const SearchHit& hit);

    // Before the selection moves: edits of the day or week page are never left behind unsaved.
    void SavePendingDayNotes();
    // A note that keeps failing is told once, not at every leave, until a save works again.
    void TellSaveFailure(const std::optional<QString>& failure);
    // Files that are there but cannot be read; empty paths are skipped.
    void TellUnreadable(const QStringList& paths);

    // Tool row: text pad, save and exit, minimize, calculator.
    void Command9_Click();
    void Command10_Click();
    void Command12_Click();
    void Command15_Click();
    void exchangeButton_Click();
    // Saves every pending edit before the program ends; false when the user chose to stay after a failure.
    bool SaveBeforeEnding();

    DataFolder data_;
    const common::Clock& clock_;
    common::DesktopServices& desktop_;
    AgendaState state_;
    DayMarks marks_;
    DayReader reader_;
    DayNotes dayNotes_;
    DayConflicts conflicts_;
    // Copies the user chose not to merge: not offered again in this session.
    QSet<QString> declinedConflicts_;
    DeferredMessages* messages_ = nullptr;
    common::FolderWatcher* watcher_ = nullptr;
    QPointer<YearOverviewWindow> yearOverview_;

    CalendarPanel* calendar_ = nullptr;
    std::unique_ptr<ToolRow> toolRow_;
    // The day title, or the month and year while no day is selected.
    QLabel* Label2 = nullptr;
    // The six stacked pages.
    std::array<QFrame*, kAgendaPageCount> Frame1{};
    DayPage* dayPage_ = nullptr;
    WeekPage* weekPage_ = nullptr;
    SummaryPage* monthSummary_ = nullptr;
    SummaryPage* yearSummary_ = nullptr;
    NotesPadPage* notesPad_ = nullptr;
    AddressBookPage* addressBook_ = nullptr;
    SearchPage* searchPage_ = nullptr;
    ExchangePage* exchangePage_ = nullptr;
    AttachmentPanel* attachments_ = nullptr;

    QString toldSaveFailure_;
    // Files told as unreadable in this session.
    QSet<QString> toldUnreadable_;
    // Set by the exit button, which has already saved everything.
    bool ending_ = false;
};

} // namespace quindara
