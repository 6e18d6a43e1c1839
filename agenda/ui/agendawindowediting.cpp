// Handlers of the main window that change what is stored for a day, and the tool buttons.
#include "agenda/core/daykeys.h"
#include "agenda/core/daytexts.h"
#include "agenda/core/textpad.h"
#include "agenda/ui/agendawindow.h"
#include "agenda/ui/attachmentpanel.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/daypage.h"
#include "agenda/ui/deferredmessages.h"
#include "agenda/ui/notespadpage.h"
#include "agenda/ui/summarypage.h"
#include "agenda/ui/weekpage.h"
#include "agenda/ui/yearoverviewwindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace quindara {

namespace {

QString saveFailure(const QString& key, const QString& error) {
    return QStringLiteral("No se ha podido guardar la nota del %1.\nERROR: %2\n"
                          "El texto se ha copiado al portapapeles.")
        .arg(key, error);
}

} // namespace

void AgendaWindow::connectEditing() {
    dayPage_->Text1->installEventFilter(this);
    for (QPlainTextEdit* box : weekPage_->Text2)
        box->installEventFilter(this);
    for (int k = 0; k < 3; ++k)
        connect(dayPage_->Command11[k], &QPushButton::clicked, this, [this, k] { Command11_Click(k); });
    for (int k = 0; k < 2; ++k) {
        connect(attachments_->Command16[k], &QPushButton::clicked, this, [this, k] { Command16_Click(k); });
        connect(attachments_->Command17[k], &QPushButton::clicked, this, [this, k] { Command17_Click(k); });
        connect(attachments_->List1[k], &QListWidget::itemClicked, this, [this, k] { List1_Click(k); });
    }
    connect(attachments_->Command18, &QPushButton::clicked, this, [this] { Command18_Click(); });
    connect(Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
    connect(Command10, &QPushButton::clicked, this, [this] { Command10_Click(); });
    connect(Command12, &QPushButton::clicked, this, [this] { Command12_Click(); });
    connect(Command15, &QPushButton::clicked, this, [this] { Command15_Click(); });
}

bool AgendaWindow::eventFilter(QObject* watched, QEvent* event) {
    // A context menu taking the focus is not the user leaving the box; nor is the window closing after
    // everything was saved or the user chose to quit without saving.
    if (event->type() == QEvent::FocusOut && !ending_ &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        if (watched == dayPage_->Text1)
            Text1_LostFocus();
        for (int k = 0; k < kDaysInWeek; ++k) {
            if (watched == weekPage_->Text2[k])
                Text2_LostFocus(k);
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The box keeps showing the note just stored: an export of the page right after holds it.
void AgendaWindow::Text1_LostFocus() {
    TellSaveFailure(SaveDayNote());
}

void AgendaWindow::Text2_LostFocus(int Index) {
    WeekDayIndex = Index;
    TellSaveFailure(SaveWeekDayNote());
}

// A note that keeps failing is told once, not at every leave, until a save works again.
void AgendaWindow::TellSaveFailure(const std::optional<QString>& failure) {
    if (failure && *failure != toldSaveFailure_)
        messages_->post(*failure);
    if (failure)
        toldSaveFailure_ = *failure;
}

// After a failure the note stays edited and in its box, so leaving it again tries again.
// Any edit by the user counts, by mouse or by keyboard; loading a note is not an edit.
bool AgendaWindow::DayNoteEdited() const {
    return dayPage_->Text1->document()->isModified();
}

std::optional<QString> AgendaWindow::SaveDayNote() {
    if (!DayNoteEdited() || shownNoteKey_.isEmpty())
        return std::nullopt;
    QString error;
    if (!dayNotes_.save(shownNoteKey_, dayPage_->Text1->toPlainText(), &error)) {
        // Moving to another day replaces the box: the clipboard keeps what could not be stored.
        desktop_.setClipboardText(dayPage_->Text1->toPlainText());
        return saveFailure(shownNoteKey_, error);
    }
    dayPage_->Text1->document()->setModified(false);
    toldSaveFailure_.clear();
    return std::nullopt;
}

// Only a box the user changed is stored; an emptied one stores the empty note, as on the day page.
std::optional<QString> AgendaWindow::SaveWeekDayNote() {
    QPlainTextEdit* box = weekPage_->Text2[WeekDayIndex];
    if (!weekShown_ || !box->document()->isModified())
        return std::nullopt;
    const QString key = weekPage_->Label3[WeekDayIndex]->text();
    QString error;
    if (!dayNotes_.save(key, box->toPlainText(), &error)) {
        desktop_.setClipboardText(box->toPlainText());
        return saveFailure(key, error);
    }
    box->document()->setModified(false);
    toldSaveFailure_.clear();
    return std::nullopt;
}

void AgendaWindow::SavePendingDayNotes() {
    TellSaveFailure(SaveDayNote());
    for (int k = 0; k < kDaysInWeek; ++k) {
        WeekDayIndex = k;
        TellSaveFailure(SaveWeekDayNote());
    }
}

void AgendaWindow::BuildMonthSummary() {
    monthSummary_->BuildMonthSummary(Combo2->currentText().toInt(), monthNumber(Combo1->currentText()));
}

void AgendaWindow::BuildYearSummary() {
    yearSummary_->BuildYearSummary(Combo2->currentText().toInt());
}

// Command11(2) saves Text9(3), the reminder for this year only; Text9(2) holds the saints.
void AgendaWindow::Command11_Click(int Index) {
    if (SelectedIndex < 0)
        return;
    static constexpr DayTextKind kKinds[3] = {DayTextKind::Holiday, DayTextKind::YearlyReminder,
                                              DayTextKind::OneYearReminder};
    static constexpr int kBoxes[3] = {0, 1, 3};
    const QString day = Command1[SelectedIndex]->text();
    const QString month = Combo1->currentText();
    const QString year = Combo2->currentText();
    QString error;
    const DayTextChange change = storeDayText(data_, kKinds[Index], day, month, year,
                                              dayPage_->Text9[kBoxes[Index]]->toPlainText(), &error);
    if (change == DayTextChange::Failed) {
        desktop_.showMessage(QStringLiteral("No se ha podido guardar el texto del %1.\nERROR: %2")
                                 .arg(datedKey(day, month, year), error));
        return;
    }
    // The button stays painted as the selection; when the selection moves on it shows the day's new mark.
    marks_.forceRefresh();
    SavedColor = DayMarks::colourOf(marks_.markOf(day, month, year), SelectedColumn);
}

void AgendaWindow::Command16_Click(int Index) {
    AttachEveryYear = Index != 0;
    AttachFile();
}

// Attaching and removing act on the lists of the selected day only; while no day is selected the lists
// may still show another day's entries.
void AgendaWindow::EnableAttaching() {
    const bool daySelected = SelectedIndex >= 0;
    for (int k = 0; k < 2; ++k) {
        attachments_->Command16[k]->setEnabled(daySelected);
        attachments_->Command17[k]->setEnabled(daySelected);
    }
}

QString AgendaWindow::AttachmentListKey(int Index) const {
    return attachmentListKey(Command1[SelectedIndex]->text(), Combo1->currentText(), Combo2->currentText(),
                             Index != 0);
}

void AgendaWindow::AttachFile() {
    if (SelectedIndex < 0)
        return;
    const QString chosen = desktop_.askOpenFile(QStringLiteral("Selecciona una imagen"), QString(),
                                                QStringLiteral("Todos los archivos (*)"));
    if (chosen.isEmpty())
        return;
    const QString name = QFileInfo(chosen).fileName();
    if (!Attachments::isStorableName(name)) {
        desktop_.showMessage(
            QStringLiteral("El archivo «%1» tiene un nombre que no se puede guardar en la carpeta Archivos.")
                .arg(name));
        return;
    }
    switch (attachmentFiles_.stateOf(chosen)) {
    case ArchiveState::Unreadable:
        desktop_.showMessage(QStringLiteral("No se puede leer el archivo %1.").arg(chosen));
        return;
    case ArchiveState::SameContent:
        break;
    case ArchiveState::DifferentContent:
        if (!desktop_.askYesNo(
                QStringLiteral("Ya hay otro archivo llamado «%1» en la carpeta Archivos.\n"
                               "Si lo reemplazas, todas las anotaciones con ese nombre abrirán "
                               "el nuevo.\n¿Reemplazarlo?")
                    .arg(name),
                QString(), common::DefaultAnswer::No))
            return;
        [[fallthrough]];
    case ArchiveState::NewName: {
        QString error;
        if (!attachmentFiles_.copyIntoArchive(chosen, &error)) {
            desktop_.showMessage(
                QStringLiteral("No se ha podido copiar %1 en la carpeta Archivos.\nERROR: %2")
                    .arg(chosen, error));
            return;
        }
        break;
    }
    }
    desktop_.openDocument(chosen);

    const int index = AttachEveryYear ? 1 : 0;
    QListWidget* list = attachments_->List1[index];
    list->addItem(name);
    QStringList entries;
    for (int row = 0; row < list->count(); ++row)
        entries.append(list->item(row)->text());
    QString error;
    // The box keeps the new entry either way; the copy is already in "Archivos".
    if (!attachmentFiles_.writeList(AttachmentListKey(index), entries, &error))
        desktop_.showMessage(
            QStringLiteral("No se ha podido guardar la lista de archivos.\nERROR: %1").arg(error));
}

void AgendaWindow::Command17_Click(int Index) {
    QListWidget* list = attachments_->List1[Index];
    const int row = list->currentRow();
    if (SelectedIndex < 0 || row < 0 || !list->item(row)->isSelected())
        return;
    QListWidgetItem* removed = list->takeItem(row);
    QStringList entries;
    for (int k = 0; k < list->count(); ++k)
        entries.append(list->item(k)->text());
    QString error;
    if (attachmentFiles_.writeList(AttachmentListKey(Index), entries, &error)) {
        delete removed;
        // The list would move the highlight to the neighbour, and a second "Eliminar" would remove an
        // entry the user never chose.
        list->setCurrentRow(-1);
        return;
    }
    // The file still holds the entry, so the box shows it again.
    list->insertItem(row, removed);
    desktop_.showMessage(
        QStringLiteral("No se ha podido guardar la lista de archivos.\nERROR: %1").arg(error));
}

void AgendaWindow::List1_Click(int Index) {
    const QListWidgetItem* item = attachments_->List1[Index]->currentItem();
    if (!item || item->text().isEmpty())
        return;
    const QString copy = attachmentFiles_.copyOf(item->text());
    if (!QFileInfo(copy).isFile()) {
        desktop_.showMessage(
            QStringLiteral("El archivo «%1» ya no está en la carpeta Archivos.").arg(item->text()));
        return;
    }
    if (!desktop_.openDocument(copy))
        desktop_.showMessage(QStringLiteral("No se ha podido abrir %1.").arg(copy));
}

void AgendaWindow::Command18_Click() {
    const QString folder = data_.folder(folders::attachedFiles);
    if (!desktop_.openFolder(folder))
        desktop_.showMessage(QStringLiteral("No se ha podido abrir la carpeta %1.").arg(folder));
}

// Text pad: the page shown goes into "texto.txt", which opens in the text editor.
void AgendaWindow::Command9_Click() {
    TextPadContent content = emptyTextPad();
    switch (CurrentTab) {
    case 0:
        content = textPadOfText(dayPage_->Text1->toPlainText());
        break;
    case 1: {
        QStringList captions;
        QStringList texts;
        for (int k = 0; k < kDaysInWeek; ++k) {
            captions.append(weekPage_->Label3[k]->text());
            texts.append(weekPage_->Text2[k]->toPlainText());
        }
        content = textPadOfWeek(captions, texts);
        break;
    }
    case 2:
        content = textPadOfText(monthSummary_->text());
        break;
    case 3:
        content = textPadOfText(yearSummary_->text());
        break;
    case 4:
        content = textPadOfText(notesPad_->text());
        break;
    default:
        break;
    }
    QString error;
    // An old export must not be shown as if it were this page.
    if (!writeTextPad(data_, content, &error)) {
        desktop_.showMessage(
            QStringLiteral("No se ha podido escribir %1.\nERROR: %2").arg(data_.textPadFile(), error));
        return;
    }
    if (!desktop_.openInTextEditor(data_.textPadFile()))
        desktop_.showMessage(QStringLiteral("No se ha podido abrir el editor de textos."));
}

void AgendaWindow::Command10_Click() {
    if (!SaveBeforeEnding())
        return;
    ending_ = true;
    // Closing the last window ends the program; the year overview is closed with this one.
    close();
}

void AgendaWindow::Command12_Click() {
    showMinimized();
}

void AgendaWindow::Command15_Click() {
    const QString program = data_.calculatorProgram();
    if (!QFileInfo(program).isFile()) {
        desktop_.showMessage(QStringLiteral("No se encuentra la calculadora en %1.").arg(program));
        return;
    }
    if (!desktop_.startProgram(program))
        desktop_.showMessage(QStringLiteral("No se ha podido iniciar la calculadora %1.").arg(program));
}

bool AgendaWindow::SaveBeforeEnding() {
    QStringList failures;
    if (const auto failure = SaveDayNote())
        failures.append(*failure);
    for (int k = 0; k < kDaysInWeek; ++k) {
        WeekDayIndex = k;
        if (const auto failure = SaveWeekDayNote())
            failures.append(*failure);
    }
    if (const auto failure = notesPad_->savePendingNote())
        failures.append(*failure);
    if (failures.isEmpty())
        return true;
    // The question names the failures: a telling of them still waiting would show them a second time.
    messages_->withdraw(failures);
    // Enter keeps the program open: quitting loses the notes.
    return desktop_.askYesNo(failures.join(u'\n') + QStringLiteral("\n\n¿Salir sin guardar?"), QString(),
                             common::DefaultAnswer::No);
}

// Closing by the title bar saves exactly as the exit button does.
void AgendaWindow::closeEvent(QCloseEvent* event) {
    if (!ending_ && !SaveBeforeEnding()) {
        event->ignore();
        return;
    }
    ending_ = true;
    if (yearOverview_)
        yearOverview_->close();
    event->accept();
}

} // namespace quindara
