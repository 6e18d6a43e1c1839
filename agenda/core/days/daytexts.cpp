// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/daytexts.h"

#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/storedtext.h"
#include "common/folderindex.h"
#include "common/programfolder.h"
#include "common/storedfile.h"

namespace quindara {

DayTextPlace dayTextPlace(const DataFolder& data, DayTextKind kind, const QString& day, const QString& month,
                          const QString& year) {
    DayTextPlace place = dayTextName(kind, day, month, year);
    switch (kind) {
    case DayTextKind::Holiday:
        place.folder = data.folder(folders::holidays);
        break;
    case DayTextKind::YearlyReminder:
        place.folder = data.folder(folders::yearlyReminders);
        break;
    case DayTextKind::OneYearReminder:
        place.folder = data.folder(folders::oneYearReminders);
        break;
    }
    return place;
}

DayTextPlace dayTextName(DayTextKind kind, const QString& day, const QString& month, const QString& year) {
    if (kind == DayTextKind::OneYearReminder)
        return {{}, datedKey(day, month, year) + kTxt, common::Ending::Bare};
    return {{}, annualKey(day, month) + kTxt, common::Ending::Line};
}

StoredText readDayText(const DataFolder& data, DayTextKind kind, const QString& day, const QString& month,
                       const QString& year) {
    const DayTextPlace place = dayTextPlace(data, kind, day, month, year);
    if (day.isEmpty() || !common::isSafeFileName(place.fileName))
        return {};
    common::FolderIndex index(place.folder);
    index.refresh();
    return readIndexedText(index, place.fileName, place.ending);
}

common::Result<DayTextChange> storeDayText(const DataFolder& data, DayTextKind kind, const QString& day,
                                           const QString& month, const QString& year, const QString& text) {
    const DayTextPlace place = dayTextPlace(data, kind, day, month, year);
    if (day.isEmpty())
        return common::Status::failure(QStringLiteral("nombre de día no válido"));
    common::FolderIndex index(place.folder);
    index.refresh();
    return storeDayText(index, place, text);
}

common::Result<DayTextChange> storeDayText(common::FolderIndex& index, const DayTextPlace& place,
                                           const QString& text) {
    if (!common::isSafeFileName(place.fileName))
        return common::Status::failure(QStringLiteral("nombre de día no válido"));
    if (!mayReplace(index.pathFor(place.fileName)))
        return common::Status::failure(QStringLiteral("%1 existe pero no se puede leer; no se sobrescribe")
                                           .arg(index.pathFor(place.fileName)));
    if (!text.isEmpty()) {
        if (common::Status written = common::writeStoredText(index, place.fileName, text, place.ending);
            !written)
            return written;
        return DayTextChange::Written;
    }
    if (!index.contains(place.fileName))
        return DayTextChange::NothingToRemove;
    // A file system that tells case apart may hold the name twice; every spelling marks the day.
    while (index.contains(place.fileName)) {
        if (!common::removeStored(index, place.fileName))
            return common::Status::failure(
                QStringLiteral("no se puede borrar %1").arg(index.pathFor(place.fileName)));
        index.refresh();
    }
    return DayTextChange::Removed;
}

} // namespace quindara
