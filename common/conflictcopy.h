// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace common {

// A copy that a file synchronisation tool left beside a file it could not merge, named after it.
struct ConflictCopy {
    // The name of the file it is a copy of, as the tool saw it.
    QString originalName;
    // "Syncthing", "Nextcloud" or "Dropbox".
    QString tool;
    // The date and time in the name, as written there ("20261207-101500", "2026-12-07 101500", "2026-12-07").
    QString when;
};

// When the copy was made, as the user reads it ("7 de diciembre, 10:15", see readableMoment), or the text
// of its name when that is no date.
QString readableWhen(const ConflictCopy& copy, const QDate& today);

// Recognises the names the common tools give their conflict copies:
//   Syncthing  "5 de ENERO.sync-conflict-20261207-101500-ABCDEFG.txt"
//   Nextcloud  "5 de ENERO (conflicted copy 2026-12-07 101500).txt"
//   Dropbox    "5 de ENERO (Equipo's conflicted copy 2026-12-07).txt", also in Spanish
//              ("copia en conflicto de Equipo 2026-12-07") and with a " (1)" counter.
// Names without an extension (notes-pad notes, contact cards) are recognised too.
std::optional<ConflictCopy> parseConflictCopyName(const QString& fileName);

// A folder's names with the conflict copies set apart, so that a list shows a copy as a sign on the entry
// it belongs to rather than as an entry of its own. A copy whose file is gone stays among the names
// under its own name: nothing is hidden.
struct NamesAndCopies {
    // The names in their order, without the copies set apart.
    QStringList names;
    // The copies set apart, by the folded name of the file they belong to.
    QHash<QString, QStringList> copies;

    // The copies of `name` (any letter case), oldest name first.
    QStringList copiesOf(const QString& name) const;
};
NamesAndCopies setConflictCopiesApart(const QStringList& names);

// How a list shows an entry that has a conflict copy, or a copy listed as an entry of its own.
QString conflictCopyLabel(const QString& name);

} // namespace common
