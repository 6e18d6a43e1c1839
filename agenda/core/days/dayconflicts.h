// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/core/days/daynotes.h"
#include "common/conflictcopy.h"
#include "common/folderindex.h"
#include "common/outsidechange.h"
#include "common/textfile.h"

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace quindara {

// A copy that a sync tool left beside one of a day's files when two machines changed it at once.
struct DayConflict {
    QString folder;
    // The copy's name as stored, and the name of the day's file it belongs to.
    QString copyName;
    QString originalName;
    common::ConflictCopy copy;
    common::Ending ending = common::Ending::Line;
    // What the day's file is, for the question: "la nota", "la fiesta", ...
    QString what;
    // An attachment list: merged entry by entry rather than as two texts.
    bool list = false;
    // How the two texts are joined: a holiday is shown on one line.
    common::TextShape shape = common::TextShape::Lines;
};

// The conflict copies of the day notes, holidays, reminders and attachment lists. They are never a day's
// file themselves (their names are no day key); each folder's copies are gathered from its index once
// after its names change, so a month drawing only looks them up.
class DayConflicts {
public:
    DayConflicts(const DataFolder& data, DayMarks& marks, DayNotes& notes);

    // Days of the month that have a conflict copy of one of their files.
    QSet<int> daysOfMonth(int year, int month);
    // The same for the twelve months of a year, each folder looked at once.
    std::array<QSet<int>, 12> daysOfYear(int year);
    std::vector<DayConflict> ofDay(const QDate& date);
    // Keeps both texts in the day's file (the copy's first, then the file's), then removes the copy. An
    // attachment list keeps its entries and gains the copy's missing ones at its end. A file that already
    // holds the copy's text (a merge cut short before the copy went) is left as it is. A failure, with the
    // copy left in place, when either step fails.
    static common::Status merge(const DayConflict& conflict);

private:
    // One folder's copies by the folded name of the file they belong to.
    struct Scan {
        quint64 generation = 0;
        bool scanned = false;
        QHash<QString, QStringList> copies;
    };
    // The folders looked at, each with its own scan: the day notes, the three marking folders and the
    // attachment lists.
    static constexpr int kFolders = 5;
    static constexpr int kAttachmentListsFolder = 4;
    // One of a day's files: the folder it lives in (by its scan) and its name there.
    struct Place {
        int folder;
        const common::FolderIndex* index;
        QString originalName;
        common::Ending ending;
        const char* what;
        bool list;
        common::TextShape shape;
    };
    static constexpr int kPlaces = 6;
    std::array<Place, kPlaces> placesOf(const QDate& date, const common::FolderIndex& notes);
    // Gathers the folder's copies again when its names changed; true when it has any.
    bool hasCopies(int folder, const common::FolderIndex& index);
    const QStringList& copiesOf(const Place& place);
    // The notes folder's index when any of the folders has a copy, else nothing.
    const common::FolderIndex* indexWhenAnyCopies();
    QSet<int> daysWithCopies(int year, int month, const common::FolderIndex& notes);

    DayMarks& marks_;
    DayNotes& notes_;
    common::FolderIndex attachmentLists_;
    std::array<Scan, kFolders> scans_{};
};

} // namespace quindara
