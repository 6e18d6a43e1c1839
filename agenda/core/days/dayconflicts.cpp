// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/dayconflicts.h"

#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/storedtext.h"
#include "common/outsidechange.h"
#include "common/storedfile.h"

#include <QDir>

#include <algorithm>

namespace quindara {

namespace {

const QStringList kNoCopies;

QStringList entriesOf(const QString& listText) {
    return listText.isEmpty() ? QStringList() : listText.split(u'\n');
}

// The list's entries in their order, then the copy's entries it lacks (compared as the attachments
// folder finds them, in any letter case), so that no attachment is lost or listed twice.
QString mergedList(const QString& listText, const QString& copyText) {
    QStringList entries = entriesOf(listText);
    QSet<QString> listed;
    for (const QString& entry : std::as_const(entries))
        listed.insert(common::FolderIndex::foldName(entry));
    for (const QString& entry : entriesOf(copyText)) {
        const QString folded = common::FolderIndex::foldName(entry);
        if (!entry.isEmpty() && !listed.contains(folded)) {
            listed.insert(folded);
            entries.append(entry);
        }
    }
    return entries.join(u'\n');
}

} // namespace

DayConflicts::DayConflicts(const DataFolder& data, DayMarks& marks, DayNotes& notes)
    : marks_(marks), notes_(notes), attachmentLists_(data.folder(folders::attachmentLists)) {}

// Note, holiday, yearly reminder, one-year reminder, and the attachment lists of this year and of every
// year, which share one folder.
std::array<DayConflicts::Place, DayConflicts::kPlaces>
DayConflicts::placesOf(const QDate& date, const common::FolderIndex& notes) {
    const QString day = QString::number(date.day());
    const QString month = monthName(date.month());
    const QString annual = annualKey(day, month) + kTxt;
    const QString dated = datedKey(day, month, QString::number(date.year())) + kTxt;
    constexpr auto lines = common::TextShape::Lines;
    return {{
        {0, &notes, dayNoteKey(date) + kTxt, common::Ending::Zoned, "la nota del día", false, lines},
        {1, &marks_.holidays(), annual, common::Ending::Line, "la fiesta", false, common::TextShape::OneLine},
        {2, &marks_.yearlyReminders(), annual, common::Ending::Line, "el recordatorio anual", false, lines},
        {3, &marks_.oneYearReminders(), dated, common::Ending::Bare, "el recordatorio de este año", false,
         lines},
        {kAttachmentListsFolder, &attachmentLists_, dated, common::Ending::Line,
         "la lista de archivos de este año", true, lines},
        {kAttachmentListsFolder, &attachmentLists_, annual, common::Ending::Line,
         "la lista de archivos de todos los años", true, lines},
    }};
}

bool DayConflicts::hasCopies(int folder, const common::FolderIndex& index) {
    Scan& scan = scans_[size_t(folder)];
    if (!scan.scanned || scan.generation != index.generation()) {
        scan.copies.clear();
        // Every tool's marker holds "conflict"; only those names are made into strings.
        for (const QString& name : index.namesContaining("conflict")) {
            if (const auto copy = common::parseConflictCopyName(name))
                scan.copies[common::FolderIndex::foldName(copy->originalName)].append(name);
        }
        scan.generation = index.generation();
        scan.scanned = true;
    }
    return !scan.copies.isEmpty();
}

const QStringList& DayConflicts::copiesOf(const Place& place) {
    if (!hasCopies(place.folder, *place.index))
        return kNoCopies;
    const Scan& scan = scans_[size_t(place.folder)];
    const auto found = scan.copies.constFind(common::FolderIndex::foldName(place.originalName));
    return found == scan.copies.cend() ? kNoCopies : *found;
}

const common::FolderIndex* DayConflicts::indexWhenAnyCopies() {
    marks_.refresh();
    attachmentLists_.refreshIfChanged();
    const common::FolderIndex& notes = notes_.index();
    const std::array<const common::FolderIndex*, kFolders> indexes = {
        &notes, &marks_.holidays(), &marks_.yearlyReminders(), &marks_.oneYearReminders(), &attachmentLists_};
    bool any = false;
    for (int folder = 0; folder < kFolders; ++folder)
        any = hasCopies(folder, *indexes[folder]) || any;
    return any ? &notes : nullptr;
}

QSet<int> DayConflicts::daysWithCopies(int year, int month, const common::FolderIndex& notes) {
    QSet<int> days;
    const QDate first(year, month, 1);
    for (int day = 1; first.isValid() && day <= first.daysInMonth(); ++day) {
        const auto places = placesOf(QDate(year, month, day), notes);
        if (std::any_of(places.cbegin(), places.cend(),
                        [this](const Place& place) { return !copiesOf(place).isEmpty(); }))
            days.insert(day);
    }
    return days;
}

// Most folders have no copy at all: then no day is looked up.
QSet<int> DayConflicts::daysOfMonth(int year, int month) {
    const common::FolderIndex* notes = indexWhenAnyCopies();
    return notes ? daysWithCopies(year, month, *notes) : QSet<int>();
}

std::array<QSet<int>, 12> DayConflicts::daysOfYear(int year) {
    std::array<QSet<int>, 12> days;
    if (const common::FolderIndex* notes = indexWhenAnyCopies()) {
        for (int month = 1; month <= 12; ++month)
            days[size_t(month - 1)] = daysWithCopies(year, month, *notes);
    }
    return days;
}

std::vector<DayConflict> DayConflicts::ofDay(const QDate& date) {
    std::vector<DayConflict> found;
    if (!date.isValid())
        return found;
    marks_.refresh();
    attachmentLists_.refreshIfChanged();
    for (const Place& place : placesOf(date, notes_.index())) {
        for (const QString& name : copiesOf(place)) {
            const auto copy = common::parseConflictCopyName(name);
            found.push_back({place.index->folder(), name,
                             place.index->realName(place.originalName).isEmpty()
                                 ? place.originalName
                                 : place.index->realName(place.originalName),
                             copy.value_or(common::ConflictCopy{}), place.ending,
                             QString::fromUtf8(place.what), place.list, place.shape});
        }
    }
    return found;
}

common::Status DayConflicts::merge(const DayConflict& conflict) {
    common::FolderIndex index(conflict.folder);
    index.refresh();
    if (!index.contains(conflict.copyName))
        return common::Status::failure(QStringLiteral("la copia %1 ya no está").arg(conflict.copyName));
    const StoredText copy = readIndexedText(index, conflict.copyName, conflict.ending);
    const StoredText original = readIndexedText(index, conflict.originalName, conflict.ending);
    if (!copy.readable() || !original.readable())
        return common::Status::failure(
            QStringLiteral("no se puede leer %1")
                .arg(copy.readable() ? original.unreadablePath : copy.unreadablePath));
    const QString merged =
        conflict.list
            ? mergedList(original.text, copy.text)
            : common::keepBothTexts(copy.text, original.text,
                                    common::conflictCopySeparator(copy.version.modified()), conflict.shape);
    // A file that already holds the copy's text or entries stays as it is: only the copy goes.
    const bool unchanged = merged == original.text;
    if (common::Status written =
            unchanged ? common::Status()
                      : common::writeStoredText(index, conflict.originalName, merged, conflict.ending);
        !written)
        return written;
    if (!common::removeStored(index, conflict.copyName))
        return common::Status::failure(
            QStringLiteral("no se puede borrar %1").arg(index.pathFor(conflict.copyName)));
    return {};
}

} // namespace quindara
