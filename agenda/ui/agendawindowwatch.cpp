#include "agenda/ui/agendawindow.h"

#include "agenda/core/daykeys.h"
#include "agenda/core/daytexts.h"
#include "agenda/core/week.h"
#include "agenda/ui/addressbookpage.h"
#include "agenda/ui/attachmentpanel.h"
#include "agenda/ui/calendarpanel.h"
#include "agenda/ui/daypage.h"
#include "agenda/ui/notespadpage.h"
#include "agenda/ui/summarypage.h"
#include "agenda/ui/weekpage.h"
#include "agenda/ui/yearoverviewwindow.h"
#include "common/folderwatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace quindara {

namespace {

QString absolute(const QString& folder) {
    return QFileInfo(folder).absoluteFilePath();
}

} // namespace

void AgendaWindow::startWatching() {
    watcher_ = new common::FolderWatcher(this);
    watcher_->setObjectName(QStringLiteral("folderWatcher"));
    connect(watcher_, &common::FolderWatcher::changed, this, &AgendaWindow::ShowOutsideChanges);
    watcher_->watchFolders(watchedFolders());
    watchShownFiles();
}

// Every folder whose files the window shows, the address book's categories included.
QStringList AgendaWindow::watchedFolders() const {
    QStringList folders;
    for (const QString& relative :
         {folders::holidays, folders::yearlyReminders, folders::oneYearReminders, folders::saints,
          folders::dayNotes, folders::attachmentLists, folders::notesPad, folders::addressBook})
        folders.append(data_.folder(relative));
    const QDir addressBook(data_.folder(folders::addressBook));
    for (const QString& category : addressBook.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders.append(addressBook.filePath(category));
    return folders;
}

// A file written in place (an editor saving over it) does not touch its folder: the files the day and
// week pages show are watched themselves.
void AgendaWindow::watchShownFiles() {
    if (!watcher_)
        return;
    QStringList files;
    if (state_.hasSelection()) {
        const QDate day = state_.selectedDate();
        const QString dayText = QString::number(day.day());
        const QString month = monthName(day.month());
        const QString year = QString::number(day.year());
        files.append(data_.dayNoteFile(dayNoteKey(day)));
        for (const DayTextKind kind :
             {DayTextKind::Holiday, DayTextKind::YearlyReminder, DayTextKind::OneYearReminder}) {
            const DayTextPlace place = dayTextPlace(data_, kind, dayText, month, year);
            files.append(QDir(place.folder).filePath(place.fileName));
        }
    }
    if (state_.page() == AgendaPage::Week && state_.lastShownDay().isValid()) {
        for (const QString& key : weekDayNoteKeys(state_.lastShownDay()))
            files.append(data_.dayNoteFile(key));
    }
    watcher_->watchFiles(files);
}

// Each page lists or reads again only what lives in a folder that changed, so one changed file costs one
// listing of its folder. A box the user is editing keeps its text: its save asks what to keep.
void AgendaWindow::ShowOutsideChanges(const QStringList& folders) {
    const auto touched = [&](const QString& relative) {
        return folders.contains(absolute(data_.folder(relative)));
    };
    const QString addressBook = absolute(data_.folder(folders::addressBook));
    const bool addressBookChanged = std::any_of(folders.cbegin(), folders.cend(), [&](const QString& folder) {
        return folder == addressBook || folder.startsWith(addressBook + u'/');
    });
    const bool marksChanged =
        touched(folders::holidays) || touched(folders::yearlyReminders) || touched(folders::oneYearReminders);
    const bool notesChanged = touched(folders::dayNotes);

    if (marksChanged) {
        marks_.refresh();
        calendar_->DrawMonth(state_.year(), state_.month(), marks_);
        if (state_.hasSelection())
            calendar_->SelectDay(state_.selectedDate().day(), marks_);
    }
    if (marksChanged || notesChanged) {
        ShowConflictSigns();
        // The overview shares the window's marks and conflict copies: nothing is listed twice.
        if (yearOverview_)
            yearOverview_->showOutsideChanges();
    }
    if (state_.hasSelection() &&
        (marksChanged || notesChanged || touched(folders::saints) || touched(folders::attachmentLists))) {
        const QDate day = state_.selectedDate();
        const DayTexts texts =
            reader_.dayTexts(QString::number(day.day()), monthName(day.month()), QString::number(day.year()));
        dayPage_->showOutsideChanges(texts);
        if (touched(folders::attachmentLists))
            attachments_->showDay(day, texts.thisYearAttachments, texts.everyYearAttachments);
    }
    if (notesChanged) {
        weekPage_->showOutsideChanges();
        if (state_.page() == AgendaPage::MonthSummary || state_.page() == AgendaPage::YearSummary)
            ShowPageContent();
    }
    if (touched(folders::notesPad))
        notesPad_->showOutsideChanges();
    if (addressBookChanged) {
        addressBook_->showOutsideChanges(folders);
        // A category made elsewhere is watched from now on.
        if (folders.contains(addressBook))
            watcher_->watchFolders(watchedFolders());
    }
    watchShownFiles();
}

void AgendaWindow::ShowConflictSigns() {
    calendar_->showConflictSigns(conflicts_.daysOfMonth(state_.year(), state_.month()));
}

// Asked when the day is shown, never while the user edits it: the merged text replaces the day's file.
void AgendaWindow::OfferConflictMerges() {
    if (!state_.hasSelection())
        return;
    // At start the question waits for the window, so it opens over it.
    if (!isVisible()) {
        QTimer::singleShot(0, this, &AgendaWindow::OfferConflictMerges);
        return;
    }
    const QDate day = state_.selectedDate();
    bool merged = false;
    for (const DayConflict& conflict : conflicts_.ofDay(day)) {
        const QString copyPath = QDir(conflict.folder).filePath(conflict.copyName);
        if (declinedConflicts_.contains(copyPath))
            continue;
        const QString question =
            QStringLiteral("%1 (%2) tiene una copia en conflicto, hecha por %3 el %4:\n%5\n\n"
                           "¿Unir la copia al texto del día? Se conservan los dos textos, primero el de la "
                           "copia, y después se borra la copia.")
                .arg(conflict.what, dayNoteKey(day), conflict.copy.tool, conflict.copy.when,
                     conflict.copyName);
        if (!desktop_.askYesNo(question, QStringLiteral("Copia en conflicto"), common::DefaultAnswer::Yes)) {
            declinedConflicts_.insert(copyPath);
            continue;
        }
        QString error;
        if (!DayConflicts::merge(conflict, &error)) {
            desktop_.showMessage(
                QStringLiteral("No se ha podido unir la copia %1.\nERROR: %2").arg(conflict.copyName, error));
            continue;
        }
        merged = true;
    }
    if (!merged)
        return;
    // The merged texts are shown at once, the sign goes; the day's mark may have changed too.
    marks_.forceRefresh();
    const DayTexts texts =
        reader_.dayTexts(QString::number(day.day()), monthName(day.month()), QString::number(day.year()));
    dayPage_->showDay(day, texts);
    calendar_->DrawMonth(state_.year(), state_.month(), marks_);
    calendar_->SelectDay(day.day(), marks_);
    ShowConflictSigns();
}

} // namespace quindara
