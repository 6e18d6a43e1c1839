#include "agenda/ui/agendawindow.h"

#include "agenda/core/calendar.h"
#include "agenda/core/daykeys.h"
#include "agenda/core/week.h"
#include "agenda/core/writetest.h"
#include "agenda/ui/addressbookpage.h"
#include "agenda/ui/attachmentpanel.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/daypage.h"
#include "agenda/ui/deferredmessages.h"
#include "agenda/ui/pickeddate.h"
#include "agenda/ui/summarypage.h"
#include "agenda/ui/weekpage.h"
#include "agenda/ui/yearoverviewwindow.h"
#include "common/ui/application.h"
#include "common/units.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace quindara {

namespace {

// Every page lies in this rectangle, right of the month grid.
const QRect kPageRect = common::twipsRect(2880, 480, 8895, 8295);
constexpr int kToolRowTop = 40;

} // namespace

AgendaWindow::AgendaWindow(const QString& programFolder, const common::Clock& clock,
                           common::DesktopServices& desktop, QWidget* parent)
    : QWidget(parent), data_(programFolder), clock_(clock), desktop_(desktop), marks_(data_),
      reader_(data_, marks_), dayNotes_(data_), attachmentFiles_(data_),
      messages_(new DeferredMessages(desktop, this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("QUINDARA"));
    setFixedSize(common::twipsSize(13890, 9405));
    createCalendarControls();
    createToolRow();
    createPages();
    connectEditing();
    Form_Load();
}

bool AgendaWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

void AgendaWindow::Form_Load() {
    common::centreOnScreen(*this);
    // The notes pad and the address book need their folders; missing ones are created.
    data_.createMissingFolders();
    InitCalendar();
    pickedDate().DatePicked = false;
    ArrangePages();
    addressBook_->loadCategories();
    WriteTest();
}

void AgendaWindow::Form_Activate() {
    if (pickedDate().DatePicked)
        ApplyPickedDate();
}

void AgendaWindow::InitCalendar() {
    Combo1->addItems(monthNames());
    GoToToday();
    CurrentTab = 0;
    for (int k = 0; k < 6; ++k)
        Frame1[k]->setVisible(k == 0);
    // With the clock outside the listed years no day is today: the page waits for a click on a day.
    Frame1[0]->setEnabled(SelectedIndex >= 0);
}

void AgendaWindow::GoToToday() {
    const TodayOnGrid today = todayOnGrid(clock_.today());
    CurrentMonth = today.month;
    Combo1->setCurrentIndex(CurrentMonth - 1);
    TodayDay = today.day;
    if (Combo2->count() == 0)
        Combo2->addItems(listedYears());
    const QString year = QString::number(today.year);
    Combo2->setCurrentText(year);
    Command2[0]->setText(year);
    DrawMonth();
    if (SelectedIndex < 0)
        ShowMonthTitle();
    LoadDayNote();
    LoadDayTexts();
}

void AgendaWindow::ArrangePages() {
    for (QFrame* page : Frame1)
        page->setGeometry(kPageRect);
    ShowPageColour(0);
    for (QPushButton* button : Command6)
        button->move(button->x(), common::twips(kToolRowTop));
    for (QPushButton* button : {Command9, Command10, Command12, Command15})
        button->move(button->x(), common::twips(kToolRowTop));
}

// Only a failure is told; the scratch file leaves nothing behind, so no earlier export is lost.
void AgendaWindow::WriteTest() {
    if (const auto failure = writeTestFailure(data_.programFolder()))
        desktop_.showMessage(writeTestMessage(*failure));
}

// The date picked in the year overview; applied on activation and when the overview reports the pick,
// whichever comes first, as the flag is cleared.
void AgendaWindow::ApplyPickedDate() {
    PickedDate& picked = pickedDate();
    if (!picked.DatePicked)
        return;
    picked.DatePicked = false;
    SavePendingDayNotes();
    const int month = monthNumber(picked.PickedMonthName);
    if (month == 0 || !isListedYear(picked.PickedYear) ||
        !QDate(picked.PickedYear, month, picked.PickedDay).isValid())
        return;
    Combo1->setCurrentIndex(month - 1);
    CurrentMonth = month;
    const QString year = QString::number(picked.PickedYear);
    Combo2->setCurrentText(year);
    Command2[0]->setText(year);
    ShowPage(0);
    DrawMonth();
    const int button = ButtonOfDay(picked.PickedDay);
    if (button >= 0)
        SelectButton(button);
    ShowDayTitle();
    LoadDayNote();
    LoadDayTexts();
    Frame1[0]->setEnabled(true);
}

void AgendaWindow::ShowPage(int index) {
    CurrentTab = index;
    for (int k = 0; k < 6; ++k)
        Frame1[k]->setVisible(k == index);
    ShowPageColour(index);
}

// The window and the shown page take the colour of the page's tab.
void AgendaWindow::ShowPageColour(int index) {
    const quint32 colour = backColor(Command6[index]);
    setBackColor(this, colour);
    setBackColor(Frame1[index], colour);
}

void AgendaWindow::DrawMonth() {
    const int year = Combo2->currentText().toInt();
    JanFirstWeekday = janFirstWeekday(year);
    // The arrows go grey where the year list ends, as in the year overview.
    Command3[0]->setEnabled(year < kLastYear);
    Command3[1]->setEnabled(year > kFirstYear);
    DrawGrid();
}

void AgendaWindow::DrawGrid() {
    const int year = Combo2->currentText().toInt();
    const int month = monthNumber(Combo1->currentText());
    if (month == 0 || !isListedYear(year))
        return;
    const MonthLayout layout = monthLayout(year, month);
    MonthNumber = month;
    FebruaryDays = QDate(year, 2, 1).daysInMonth();
    DaysInMonth = layout.daysInMonth;
    FirstIndex = layout.firstIndex;
    // The remembered button may now hold another day: forget it, so no stale colour is ever restored.
    SelectedIndex = -1;
    marks_.refresh();

    for (int index = 0; index < kGridButtons; ++index) {
        setBackColor(Command1[index],
                     isWeekendColumn(index % kGridColumns) ? colours::weekend : colours::weekday);
        Command1[index]->setText(QString());
        Command1[index]->setVisible(layout.dayOnButton(index) != 0);
    }
    for (int day = 1; day <= DaysInMonth; ++day) {
        const int button = layout.buttonOfDay(day);
        Command1[button]->setText(QString::number(day));
        MarkDay(day, button);
    }
    dayPage_->clearYearlyTextsAndNote();
    dayPage_->Text1->document()->setModified(false);
    shownNoteKey_.clear();
    Frame1[0]->setEnabled(false);
    EnableAttaching();
}

void AgendaWindow::MarkDay(int day, int button) {
    const Mark mark = marks_.markOf(QString::number(day), Combo1->currentText(), Combo2->currentText());
    if (mark != Mark::None)
        setBackColor(Command1[button], DayMarks::colourOf(mark, button % kGridColumns));
    // Only the very first drawing selects today by itself; later selections are explicit.
    if (!SelectionPainted && day == TodayDay) {
        SelectButton(button);
        ShowDayTitle();
        SelectionPainted = true;
    }
}

void AgendaWindow::RestoreSelection() {
    if (SelectedIndex >= 0)
        setBackColor(Command1[SelectedIndex], SavedColor);
}

void AgendaWindow::SelectButton(int index) {
    SavedColor = backColor(Command1[index]);
    setBackColor(Command1[index], colours::selected);
    SelectedIndex = index;
    SelectedColumn = index % kGridColumns;
    EnableAttaching();
}

int AgendaWindow::ButtonOfDay(int day) const {
    // Hidden buttons have no caption, which reads as 0.
    if (day <= 0)
        return -1;
    const auto found = std::find_if(Command1.begin(), Command1.end(), [day](const QPushButton* button) {
        return button->text().toInt() == day;
    });
    return found == Command1.end() ? -1 : static_cast<int>(found - Command1.begin());
}

// While no day is selected the title names the month shown.
void AgendaWindow::ShowMonthTitle() {
    Label2->setText(Combo1->currentText() + QStringLiteral(" de ") + Combo2->currentText());
}

void AgendaWindow::ShowDayTitle() {
    if (SelectedIndex < 0)
        return;
    const QString day = Command1[SelectedIndex]->text();
    Label2->setText(dayNoteKey(SelectedColumn, day, Combo1->currentText(), Combo2->currentText()));
    SelectedDate = QDate(Combo2->currentText().toInt(), CurrentMonth, day.toInt());
}

void AgendaWindow::LoadDayNote() {
    dayPage_->showNote(QString());
    dayPage_->Text1->document()->setModified(false);
    dayPage_->Text1->setReadOnly(false);
    shownNoteKey_.clear();
    if (SelectedIndex < 0)
        return;
    shownNoteKey_ = Label2->text();
    const StoredText note = dayNotes_.load(shownNoteKey_);
    dayPage_->showNote(note.text);
    // Only the user's own edits count as edits.
    dayPage_->Text1->document()->setModified(false);
    dayPage_->Text1->setReadOnly(!note.readable());
    TellUnreadable({note.unreadablePath});
}

void AgendaWindow::LoadDayTexts() {
    if (SelectedIndex < 0)
        return;
    const DayTexts texts =
        reader_.dayTexts(Command1[SelectedIndex]->text(), Combo1->currentText(), Combo2->currentText());
    dayPage_->showTexts(texts);
    attachments_->showLists(texts.thisYearAttachments, texts.everyYearAttachments);
    TellUnreadable({texts.unreadable.begin(), texts.unreadable.end()});
}

// The box of such a file is shown empty and locked (read only, its "G" greyed) every time; the file is
// told once.
void AgendaWindow::TellUnreadable(const QStringList& paths) {
    for (const QString& path : paths) {
        if (path.isEmpty() || toldUnreadable_.contains(path))
            continue;
        toldUnreadable_.insert(path);
        messages_->post(QStringLiteral("No se puede leer el archivo %1.\nSe muestra vacío y no se puede "
                                       "modificar, para no perder lo que guarda.")
                            .arg(path));
    }
}

void AgendaWindow::ShowWeekPage() {
    if (!SelectedDate.isValid())
        return;
    const QStringList keys = weekDayNoteKeys(SelectedDate);
    QStringList notes;
    QStringList unreadable;
    for (const QString& key : keys) {
        const StoredText note = dayNotes_.load(key);
        notes.append(note.text);
        unreadable.append(note.unreadablePath);
    }
    weekPage_->showWeek(keys, notes);
    for (int k = 0; k < kDaysInWeek; ++k) {
        weekPage_->Text2[k]->document()->setModified(false);
        weekPage_->Text2[k]->setReadOnly(!unreadable.at(k).isEmpty());
    }
    weekShown_ = true;
    TellUnreadable(unreadable);
}

void AgendaWindow::Combo1_Click() {
    SavePendingDayNotes();
    DrawMonth();
    CurrentMonth = Combo1->currentIndex() + 1;
    ShowMonthTitle();
}

void AgendaWindow::Combo2_Click() {
    SavePendingDayNotes();
    Command2[0]->setText(Combo2->currentText());
    DrawMonth();
    ShowMonthTitle();
}

void AgendaWindow::Command1_Click(int Index) {
    SavePendingDayNotes();
    ShowPage(0);
    RestoreSelection();
    SelectButton(Index);
    ShowDayTitle();
    LoadDayNote();
    LoadDayTexts();
    Frame1[0]->setEnabled(true);
}

// The arrows step the year within the years of Combo2, so the two always agree.
void AgendaWindow::Command3_Click(int Index) {
    SavePendingDayNotes();
    const auto year = steppedYear(Command2[0]->text().toInt(), Index == 0 ? 1 : -1);
    if (!year)
        return;
    const QString text = QString::number(*year);
    Command2[0]->setText(text);
    Combo2->setCurrentText(text);
    RestoreSelection();
    DrawMonth();
    ShowMonthTitle();
}

void AgendaWindow::Command4_Click(int Index) {
    SavePendingDayNotes();
    CurrentMonth = Index + 1;
    Combo1->setCurrentIndex(Index);
    RestoreSelection();
    DrawMonth();
    ShowMonthTitle();
}

void AgendaWindow::Command5_Click() {
    SavePendingDayNotes();
    GoToToday();
    const int button = ButtonOfDay(TodayDay);
    if (button < 0)
        return;
    RestoreSelection();
    SelectButton(button);
    ShowDayTitle();
    LoadDayNote();
    LoadDayTexts();
    // Today is selected, so its page can be edited as after any other choice of a day.
    Frame1[0]->setEnabled(true);
    // The page shown follows: the week page shows today's week, the summaries today's month and year.
    FillGatheredPage(CurrentTab);
}

void AgendaWindow::Command6_Click(int Index) {
    SavePendingDayNotes();
    ShowPage(Index);
    if (Index == 0) {
        // A note that could not be stored stays in its box rather than being replaced by the stored one.
        if (!DayNoteEdited())
            LoadDayNote();
        return;
    }
    FillGatheredPage(Index);
}

// The week page and the two summaries are filled when shown; the notes pad and the address book load
// nothing.
void AgendaWindow::FillGatheredPage(int index) {
    switch (index) {
    case 1:
        ShowWeekPage();
        break;
    case 2:
        BuildMonthSummary();
        break;
    case 3:
        BuildYearSummary();
        break;
    default:
        break;
    }
}

void AgendaWindow::Command14_Click() {
    if (yearOverview_) {
        yearOverview_->raise();
        yearOverview_->activateWindow();
        return;
    }
    yearOverview_ = new YearOverviewWindow(data_, Combo2->currentText().toInt(), this);
    connect(yearOverview_, &YearOverviewWindow::datePicked, this, [this] { ApplyPickedDate(); });
    yearOverview_->show();
}

} // namespace quindara
