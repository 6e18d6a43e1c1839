// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/core/days/storedtext.h"
#include "common/folderindex.h"

#include <QString>
#include <QStringList>

#include <array>

namespace quindara {

// Everything the day page shows of one day besides its note.
struct DayTexts {
    QString holiday;
    QString yearlyReminder;
    QString saints;
    QString oneYearReminder;
    QStringList thisYearAttachments;
    QStringList everyYearAttachments;
    // By box, in the order above (holiday, yearly reminder, saints, one-year reminder): the path of a
    // file that is there but could not be read, or an empty text.
    std::array<QString, 4> unreadable{};
    // By box, in the same order: what each file was when it was read.
    std::array<common::FileVersion, 4> versions{};
};

// Reads a day's files, finding them without regard to case. Each folder is listed again only when it
// changed, so selecting a day costs a few stats and the reads themselves. The three marking folders are
// looked up in the indexes of `marks`, so they are never listed twice.
class DayReader {
public:
    DayReader(const DataFolder& data, DayMarks& marks);

    // The note stored under a day-note key, or an empty text.
    QString dayNote(const QString& dayNoteKey);
    // Day number, month name and year as the grid shows them.
    DayTexts dayTexts(const QString& day, const QString& month, const QString& year);

private:
    DayMarks& marks_;
    common::FolderIndex saints_;
    common::FolderIndex dayNotes_;
    common::FolderIndex attachmentLists_;
};

} // namespace quindara
