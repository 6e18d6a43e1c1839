#pragma once

// The agenda's main window (Form1), built from these pieces:
//   agendawindow.cpp        handlers and procedures of the calendar: start-up, month grid, marks and
//                           selection, loading the selected day and week, page tabs, year overview
//   agendawindowlayout.cpp  creation and placement of the window's own controls (grid, selectors, tool row)
//   DayPage                 Frame1(0): Text1, Text9(0..3), the "G" buttons Command11(0..2)
//   WeekPage                Frame1(1): Label3(0..6), Text2(0..6)
//   agendawindowediting.cpp handlers that change a day's content: saving notes, the "G" buttons,
//                           attaching files, the text pad, the calculator, minimize, exit and close
//   SummaryPage             Frame1(2) month summary (Text3), Frame1(3) year summary (Text5)
//   NotesPadPage            Frame1(4): Text6, File1, Command13
//   AddressBookPage         Frame1(5)
//   AttachmentPanel         right-hand column: Command16, Label6, List1(0..1), Command17, Command18
// The rules that need no window (calendar, keys, marks, reading a day, week keys) live in agenda/core.
// Day editing reads the selection from here: SelectedIndex is -1 while no day is selected (after every
// redraw of the grid until a day is chosen), so nothing may be written for a day then.

#include "agenda/core/attachments.h"
#include "agenda/core/datafolder.h"
#include "agenda/core/daymarks.h"
#include "agenda/core/daynotes.h"
#include "agenda/core/dayreader.h"
#include "common/clock.h"
#include "common/desktopservices.h"

#include <QDate>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <array>
#include <optional>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace quindara {

class AddressBookPage;
class AttachmentPanel;
class DayPage;
class DeferredMessages;
class NotesPadPage;
class SummaryPage;
class WeekPage;
class YearOverviewWindow;

class AgendaWindow : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AgendaWindow)

public:
    AgendaWindow(const QString& programFolder, const common::Clock& clock, common::DesktopServices& desktop,
                 QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // agendawindowlayout.cpp
    void createCalendarControls();
    void createToolRow();
    void createPages();

    void Form_Load();
    void Form_Activate();
    void InitCalendar();
    void GoToToday();
    void ArrangePages();
    void WriteTest();
    void ApplyPickedDate();
    void ShowPage(int index);
    void ShowPageColour(int index);

    void DrawMonth();
    void DrawGrid();
    void MarkDay(int day, int button);
    void RestoreSelection();
    void SelectButton(int index);
    int ButtonOfDay(int day) const;
    void ShowMonthTitle();

    void ShowDayTitle();
    void LoadDayNote();
    void LoadDayTexts();
    void ShowWeekPage();
    // Files that are there but cannot be read; empty paths are skipped.
    void TellUnreadable(const QStringList& paths);

    void Combo1_Click();
    void Combo2_Click();
    void Command1_Click(int Index);
    void Command3_Click(int Index);
    void Command4_Click(int Index);
    void Command5_Click();
    void Command6_Click(int Index);
    void FillGatheredPage(int index);
    void Command14_Click();

    // agendawindowediting.cpp
    void connectEditing();
    void Text1_LostFocus();
    void Text2_LostFocus(int Index);
    // Each returns the failure to tell, or nothing when the note was stored or had no changes.
    bool DayNoteEdited() const;
    std::optional<QString> SaveDayNote();
    std::optional<QString> SaveWeekDayNote();
    // Before the selection moves: edits of the day or week page are never left behind unsaved.
    void SavePendingDayNotes();
    void TellSaveFailure(const std::optional<QString>& failure);
    void BuildMonthSummary();
    void BuildYearSummary();
    void Command11_Click(int Index);
    void Command16_Click(int Index);
    void AttachFile();
    void Command17_Click(int Index);
    void List1_Click(int Index);
    void Command18_Click();
    void EnableAttaching();
    QString AttachmentListKey(int Index) const;
    void Command9_Click();
    void Command10_Click();
    void Command12_Click();
    void Command15_Click();
    // Saves every pending edit before the program ends; false when the user chose to stay after a failure.
    bool SaveBeforeEnding();

    DataFolder data_;
    const common::Clock& clock_;
    common::DesktopServices& desktop_;
    DayMarks marks_;
    DayReader reader_;
    DayNotes dayNotes_;
    Attachments attachmentFiles_;
    DeferredMessages* messages_ = nullptr;
    QPointer<YearOverviewWindow> yearOverview_;

    // Day buttons, index = 7 * row + column, Monday first.
    std::array<QPushButton*, 42> Command1{};
    // Column headings "L" to "D".
    std::array<QLabel*, 7> Label1{};
    // Month selector (upper-case names) and year selector (1901 to 2100).
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    // The year shown, as a button caption; Command3 are its arrows (0 up, 1 down).
    std::array<QPushButton*, 1> Command2{};
    std::array<QPushButton*, 2> Command3{};
    // "Enero" to "Diciembre".
    std::array<QPushButton*, 12> Command4{};
    // "HOY".
    QPushButton* Command5 = nullptr;
    // Page tabs "D", "S", "M", "A", notes pad, address book.
    std::array<QPushButton*, 6> Command6{};
    // Tool row: text pad, save and exit, minimize, calculator; and the year overview button.
    QPushButton* Command9 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command12 = nullptr;
    QPushButton* Command14 = nullptr;
    QPushButton* Command15 = nullptr;
    // The day title, or the month and year while no day is selected.
    QLabel* Label2 = nullptr;
    // The six stacked pages.
    std::array<QFrame*, 6> Frame1{};
    DayPage* dayPage_ = nullptr;
    WeekPage* weekPage_ = nullptr;
    SummaryPage* monthSummary_ = nullptr;
    SummaryPage* yearSummary_ = nullptr;
    NotesPadPage* notesPad_ = nullptr;
    AddressBookPage* addressBook_ = nullptr;
    AttachmentPanel* attachments_ = nullptr;

    int CurrentMonth = 1;
    int TodayDay = 1;
    int SelectedIndex = -1;
    int SelectedColumn = 0;
    quint32 SavedColor = 0;
    int CurrentTab = 0;
    int JanFirstWeekday = 0;
    int DaysInMonth = 0;
    int MonthNumber = 1;
    int FebruaryDays = 28;
    int FirstIndex = 0;
    bool SelectionPainted = false;
    QDate SelectedDate;

    int WeekDayIndex = 0;
    bool AttachEveryYear = false;
    // The key the note in Text1 was loaded for: an edit is stored for that day, whatever happens after.
    QString shownNoteKey_;
    // True once the week page holds the keys of a real week, so its boxes can be saved.
    bool weekShown_ = false;
    QString toldSaveFailure_;
    // Files told as unreadable in this session.
    QSet<QString> toldUnreadable_;
    // Set by the exit button, which has already saved everything.
    bool ending_ = false;
};

} // namespace quindara
