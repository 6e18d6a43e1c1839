// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/storedtext.h"
#include "common/folderindex.h"
#include "common/textfile.h"

#include <QString>

namespace quindara {

// The three short texts a day can carry besides its note; each marks the day while its file exists.
enum class DayTextKind { Holiday, YearlyReminder, OneYearReminder };

struct DayTextPlace {
    QString folder;   // absolute
    QString fileName; // key + ".txt"
    common::Ending ending = common::Ending::Line;
};

// Holidays and yearly reminders are named by the annual key; one-year reminders by the dated key.
DayTextPlace dayTextPlace(const DataFolder& data, DayTextKind kind, const QString& day, const QString& month,
                          const QString& year);
// The same without the folder, which takes a look at the disk to find.
DayTextPlace dayTextName(DayTextKind kind, const QString& day, const QString& month, const QString& year);

// The text as stored now, with the version an editor compares before it stores over it.
StoredText readDayText(const DataFolder& data, DayTextKind kind, const QString& day, const QString& month,
                       const QString& year);

enum class DayTextChange { Written, Removed, NothingToRemove };

// A non-empty text (blanks too) is written; an empty one removes the file in any letter case, so the
// file exists exactly while the text is non-empty. A file that is there but cannot be read is neither
// replaced nor removed (a failure).
common::Result<DayTextChange> storeDayText(const DataFolder& data, DayTextKind kind, const QString& day,
                                           const QString& month, const QString& year, const QString& text);

// The same in the folder of `index` (current, kept by the caller), so that a bulk write lists it once.
common::Result<DayTextChange> storeDayText(common::FolderIndex& index, const DayTextPlace& place,
                                           const QString& text);

} // namespace quindara
