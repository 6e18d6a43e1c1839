// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/storedtext.h"
#include "common/folderindex.h"
#include "common/result.h"

#include <QString>

#include <optional>

namespace quindara {

// What follows a key and a note in the summaries: a blank and a line break.
inline const QString kSummarySeparator = QStringLiteral(" \n");

// What the user is told when a day note could not be stored; the text has gone to the clipboard.
QString noteSaveFailureMessage(const QString& dayNoteKey, const QString& error);

// The day notes of the "dias" folder: saving from the day and week pages, and the month and year
// summaries. One listing of the folder serves every lookup until another program changes the folder;
// our own saves update the index without a new listing of thousands of names.
class DayNotes {
public:
    explicit DayNotes(const DataFolder& data);

    bool hasNote(const QString& dayNoteKey);
    // The note as the text box shows it; empty when the day has none, and marked unreadable when its
    // file is there but cannot be read.
    StoredText load(const QString& dayNoteKey);
    // Writes the note with its zoned ending; an empty note stores the ending alone, so the day keeps
    // a note file. A stored file of another letter case (or in Windows-1252 bytes) is replaced rather
    // than doubled; one that cannot be read is never replaced.
    common::Status save(const QString& dayNoteKey, const QString& text);
    // The note as stored now when its file no longer holds what `loaded` describes (another machine or
    // program changed, created or removed it); nothing while it is unchanged.
    std::optional<StoredText> changedSince(const QString& dayNoteKey, const common::FileVersion& loaded);
    // The folder's index, current as of this call.
    const common::FolderIndex& index();
    // What is on disk now under the key, for an editor that has just stored or shown it.
    common::FileVersion version(const QString& dayNoteKey);

    // Every note of the month (or year), in date order, each entry being the key, the separator,
    // the note and the separator twice.
    QString monthSummary(int year, int month);
    QString yearSummary(int year);

private:
    void appendMonth(QString& summary, int year, int month, int& weekday);

    DataFolder data_;
    common::FolderIndex index_;
};

} // namespace quindara
