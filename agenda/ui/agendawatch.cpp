// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/agendawatch.h"

#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/days/week.h"
#include "agenda/ui/addressbookpage.h"
#include "agenda/ui/attachmentpanel.h"
#include "agenda/ui/calendarpanel.h"
#include "agenda/ui/daypage.h"
#include "agenda/ui/notespadpage.h"
#include "agenda/ui/summarypage.h"
#include "agenda/ui/weekpage.h"
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

AgendaWatch::AgendaWatch(const DataFolder& data, const AgendaState& state, DayMarks& marks, DayReader& reader,
                         DayNotes& notes, const AgendaPages& pages, common::DesktopServices& desktop,
                         const common::Clock& clock, QWidget* window)
    : QObject(window), data_(data), state_(state), marks_(marks), reader_(reader),
      conflicts_(data, marks, notes), pages_(pages), desktop_(desktop), window_(window),
      copyOffer_(desktop, clock, [&desktop](const QString& text) { desktop.showMessage(text); }) {}

void AgendaWatch::start() {
    watcher_ = new common::FolderWatcher(this);
    watcher_->setObjectName(QStringLiteral("folderWatcher"));
    connect(watcher_, &common::FolderWatcher::changed, this, &AgendaWatch::showOutsideChanges);
    watcher_->watchFolders(watchedFolders());
    connect(pages_.addressBook, &AddressBookPage::cardShown, this, &AgendaWatch::watchShownFiles);
    watchShownFiles();
}

// Every folder whose files the window shows, the address book's categories included.
QStringList AgendaWatch::watchedFolders() const {
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
// week pages and the address book's card show are watched themselves.
void AgendaWatch::watchShownFiles() {
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
    if (const QString card = pages_.addressBook->shownCardPath(); !card.isEmpty())
        files.append(card);
    watcher_->watchFiles(files);
}

// Each page lists or reads again only what lives in a folder that changed, so one changed file costs one
// listing of its folder. A box the user is editing keeps its text: its save asks what to keep.
void AgendaWatch::showOutsideChanges(const QStringList& folders) {
    const auto touched = [&](const QString& relative) {
        return folders.contains(absolute(data_.folder(relative)));
    };
    const QString addressBook = absolute(data_.folder(folders::addressBook));
    const bool addressBookChanged = std::any_of(folders.cbegin(), folders.cend(), [&](const QString& folder) {
        return folder == addressBook || folder.startsWith(addressBook + u'/');
    });
    const bool marksTouched =
        touched(folders::holidays) || touched(folders::yearlyReminders) || touched(folders::oneYearReminders);
    const bool notesChanged = touched(folders::dayNotes);
    const bool listsChanged = touched(folders::attachmentLists);

    if (marksTouched) {
        marks_.refresh();
        pages_.calendar->DrawMonth(state_.year(), state_.month(), marks_);
        if (state_.hasSelection())
            pages_.calendar->selectDay(state_.selectedDate().day(), marks_);
    }
    if (marksTouched || notesChanged || listsChanged) {
        showConflictSigns();
        emit marksChanged();
    }
    if (state_.hasSelection() && (marksTouched || notesChanged || touched(folders::saints) || listsChanged)) {
        const QDate day = state_.selectedDate();
        const DayTexts texts =
            reader_.dayTexts(QString::number(day.day()), monthName(day.month()), QString::number(day.year()));
        pages_.day->showOutsideChanges(texts);
        if (listsChanged)
            pages_.attachments->showDay(day, texts.thisYearAttachments, texts.everyYearAttachments);
    }
    if (notesChanged) {
        pages_.week->showOutsideChanges();
        if (state_.page() == AgendaPage::MonthSummary)
            pages_.monthSummary->BuildMonthSummary(state_.year(), state_.month());
        if (state_.page() == AgendaPage::YearSummary)
            pages_.yearSummary->BuildYearSummary(state_.year());
    }
    if (touched(folders::notesPad))
        pages_.notesPad->showOutsideChanges();
    if (addressBookChanged) {
        pages_.addressBook->showOutsideChanges(folders);
        // A category made elsewhere is watched from now on.
        if (folders.contains(addressBook))
            watcher_->watchFolders(watchedFolders());
    }
    watchShownFiles();
}

void AgendaWatch::showServerChanges() {
    QStringList folders = watchedFolders();
    for (QString& folder : folders)
        folder = absolute(folder);
    showOutsideChanges(folders);
}

void AgendaWatch::dayShown() {
    watchShownFiles();
    offerConflictMerges();
}

void AgendaWatch::showConflictSigns() {
    pages_.calendar->showConflictSigns(conflicts_.daysOfMonth(state_.year(), state_.month()));
}

// Asked when the day is shown, never while the user edits it: the merged text replaces the day's file.
void AgendaWatch::offerConflictMerges() {
    if (!state_.hasSelection())
        return;
    // At start the question waits for the window, so it opens over it.
    if (!window_->isVisible()) {
        QTimer::singleShot(0, this, &AgendaWatch::offerConflictMerges);
        return;
    }
    const QDate day = state_.selectedDate();
    bool merged = false;
    for (const DayConflict& conflict : conflicts_.ofDay(day)) {
        const QString subject = QStringLiteral("%1 (%2)").arg(conflict.what, dayNoteKey(day));
        const ConflictCopyOffer::Wording wording =
            conflict.list
                ? ConflictCopyOffer::Wording{subject, QStringLiteral("a la lista"),
                                             QStringLiteral("todos los archivos de las dos listas, "
                                                            "sin repetir ninguno")}
                : ConflictCopyOffer::Wording{subject, QStringLiteral("al texto del día"),
                                             QStringLiteral("los dos textos, primero el de la copia")};
        merged = copyOffer_.offer(wording, QDir(conflict.folder).filePath(conflict.copyName), [&] {
            return DayConflicts::merge(conflict);
        }) || merged;
    }
    if (!merged)
        return;
    // The merged texts are shown at once, the sign goes; the day's mark may have changed too.
    marks_.forceRefresh();
    const DayTexts texts =
        reader_.dayTexts(QString::number(day.day()), monthName(day.month()), QString::number(day.year()));
    pages_.day->showDay(day, texts);
    pages_.attachments->showDay(day, texts.thisYearAttachments, texts.everyYearAttachments);
    pages_.calendar->DrawMonth(state_.year(), state_.month(), marks_);
    pages_.calendar->selectDay(day.day(), marks_);
    showConflictSigns();
}

} // namespace quindara
