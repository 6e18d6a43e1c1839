#include "agenda/core/dayconflicts.h"

#include "agenda/core/daykeys.h"
#include "agenda/core/storedtext.h"
#include "common/outsidechange.h"
#include "common/storedfile.h"

#include <QDir>

namespace quindara {

namespace {

const QStringList kNoCopies;

} // namespace

DayConflicts::DayConflicts(DayMarks& marks, DayNotes& notes) : marks_(marks), notes_(notes) {}

// Note, holiday, yearly reminder, one-year reminder.
std::array<DayConflicts::Place, 4> DayConflicts::placesOf(const QDate& date,
                                                          const common::FolderIndex& notes) {
    const QString day = QString::number(date.day());
    const QString month = monthName(date.month());
    const QString annual = annualKey(day, month) + kTxt;
    return {{
        {&notes, dayNoteKey(date) + kTxt, common::Ending::Zoned, "la nota del día"},
        {&marks_.holidays(), annual, common::Ending::Line, "la fiesta"},
        {&marks_.yearlyReminders(), annual, common::Ending::Line, "el recordatorio anual"},
        {&marks_.oneYearReminders(), datedKey(day, month, QString::number(date.year())) + kTxt,
         common::Ending::Bare, "el recordatorio de este año"},
    }};
}

bool DayConflicts::hasCopies(int folder, const common::FolderIndex& index) {
    Scan& scan = scans_[folder];
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

const QStringList& DayConflicts::copiesOf(int folder, const Place& place) {
    if (!hasCopies(folder, *place.index))
        return kNoCopies;
    const Scan& scan = scans_[folder];
    const auto found = scan.copies.constFind(common::FolderIndex::foldName(place.originalName));
    return found == scan.copies.cend() ? kNoCopies : *found;
}

const common::FolderIndex* DayConflicts::indexWhenAnyCopies() {
    marks_.refresh();
    const common::FolderIndex& notes = notes_.index();
    const std::array<const common::FolderIndex*, 4> indexes = {
        &notes, &marks_.holidays(), &marks_.yearlyReminders(), &marks_.oneYearReminders()};
    bool any = false;
    for (int folder = 0; folder < 4; ++folder)
        any = hasCopies(folder, *indexes[folder]) || any;
    return any ? &notes : nullptr;
}

QSet<int> DayConflicts::daysWithCopies(int year, int month, const common::FolderIndex& notes) {
    QSet<int> days;
    const QDate first(year, month, 1);
    for (int day = 1; first.isValid() && day <= first.daysInMonth(); ++day) {
        const auto places = placesOf(QDate(year, month, day), notes);
        for (int folder = 0; folder < 4; ++folder) {
            if (!copiesOf(folder, places[folder]).isEmpty()) {
                days.insert(day);
                break;
            }
        }
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
    const auto places = placesOf(date, notes_.index());
    for (int folder = 0; folder < 4; ++folder) {
        const Place& place = places[folder];
        for (const QString& name : copiesOf(folder, place)) {
            const auto copy = common::parseConflictCopyName(name);
            found.push_back({place.index->folder(), name,
                             place.index->realName(place.originalName).isEmpty()
                                 ? place.originalName
                                 : place.index->realName(place.originalName),
                             copy.value_or(common::ConflictCopy{}), place.ending,
                             QString::fromUtf8(place.what)});
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
    const QString merged = *common::resolveOutsideChange(common::OutsideChoice::KeepBoth, original.text,
                                                         copy.text, copy.version.modified());
    if (common::Status written =
            common::writeStoredText(index, conflict.originalName, merged, conflict.ending);
        !written)
        return written;
    if (!common::removeStored(index, conflict.copyName))
        return common::Status::failure(
            QStringLiteral("no se puede borrar %1").arg(index.pathFor(conflict.copyName)));
    return {};
}

} // namespace quindara
