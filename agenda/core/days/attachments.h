// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "common/result.h"

#include <QString>
#include <QStringList>

namespace quindara {

// Name of a day's attachment list: the dated key for this year's list, the annual key for every year's.
QString attachmentListKey(const QString& day, const QString& month, const QString& year, bool everyYear);

// How a file about to be attached relates to the copies already in "Archivos".
enum class ArchiveState {
    NewName,          // no copy of that name yet
    SameContent,      // a copy of that name holds the same bytes (or is the file itself)
    DifferentContent, // replacing it would lose the earlier attachment
    Unreadable        // the chosen file cannot be read
};

// The attachment lists under "listaarchivos" and the shared copies under "Archivos".
class Attachments {
public:
    explicit Attachments(const DataFolder& data);

    QStringList readList(const QString& listKey) const;
    // Rewrites the whole list, one entry a line; an empty list leaves an empty file.
    common::Status writeList(const QString& listKey, const QStringList& entries) const;
    // The list as its file holds it now, with `entry` added at its end or with its first `entry` removed:
    // an entry another machine stored since the list was shown stays. The list stored, or why nothing was
    // written (a list file that cannot be read is never replaced).
    common::Result<QStringList> addToList(const QString& listKey, const QString& entry) const;
    common::Result<QStringList> removeFromList(const QString& listKey, const QString& entry) const;

    // Where the copy of an entry lives (its stored spelling in any letter case); empty for an entry that
    // is not a bare name, since it would lead out of "Archivos".
    QString copyOf(const QString& entry) const;
    ArchiveState stateOf(const QString& chosenPath) const;
    // Copies the chosen file into "Archivos" under its own name, replacing a copy of that name; the old
    // copy survives a failed copy.
    // `name` is the copy's name in "Archivos", the chosen file's own name when empty.
    common::Status copyIntoArchive(const QString& chosenPath, const QString& name = {}) const;
    // "name (2).ext", "name (3).ext"...: the first such name with no copy in "Archivos", for a different
    // file that has the name of one attached already.
    QString freeArchiveName(const QString& name) const;

    // A bare name that can be stored in "Archivos" and in a list line.
    static bool isStorableName(const QString& fileName);

private:
    // The entries the list file holds now, or why it cannot be read.
    common::Result<QStringList> currentList(const QString& listKey) const;
    DataFolder data_;
};

} // namespace quindara
