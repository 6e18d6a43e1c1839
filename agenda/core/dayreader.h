#pragma once

#include "agenda/core/datafolder.h"
#include "common/folderindex.h"

#include <QString>
#include <QStringList>

namespace quindara {

// Everything the day page shows of one day besides its note.
struct DayTexts {
    QString holiday;
    QString yearlyReminder;
    QString saints;
    QString oneYearReminder;
    QStringList thisYearAttachments;
    QStringList everyYearAttachments;
};

// Reads a day's files, finding them without regard to case. Each folder is listed again only when it
// changed, so selecting a day costs a few stats and the reads themselves.
class DayReader {
public:
    explicit DayReader(const DataFolder& data);

    // The note stored under a day-note key, or an empty text.
    QString dayNote(const QString& dayNoteKey);
    // Day number, month name and year as the grid shows them.
    DayTexts dayTexts(const QString& day, const QString& month, const QString& year);

private:
    common::FolderIndex holidays_;
    common::FolderIndex yearlyReminders_;
    common::FolderIndex saints_;
    common::FolderIndex oneYearReminders_;
    common::FolderIndex dayNotes_;
    common::FolderIndex attachmentLists_;
};

} // namespace quindara
