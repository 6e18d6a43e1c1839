// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeyparsing.h"
#include "agenda/core/formats/icalendar.h"
#include "common/summarylines.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace quindara {

// The category that receives imported contacts when the user names none.
inline const QString kImportedCategory = QStringLiteral("Importados");

// How many files an import writes between two questions whether the user cancelled.
inline constexpr qsizetype kCancelCheck = 64;

enum class ExchangeStatus {
    Done,              // exit code 0
    Refused,           // 1: the file was not accepted; nothing was written
    BadOptionOrFolder, // 2: a wrong category or data folder; nothing was written
    WriteFailed,       // 3: some files could not be written (the summary lists them)
};

struct ExchangeCount {
    int added = 0; // exported, for an export
    int alreadyThere = 0;
    int updated = 0; // a contact that was there and took what the imported card added
};

// What one import or export did, for the window and the command line alike.
struct ExchangeResult {
    enum class Action { ExportIcs, ImportIcs, ExportVcf, ImportVcf };

    Action action = Action::ImportIcs;
    QString file;
    ExchangeStatus status = ExchangeStatus::Done;
    // Why the file was refused, or what is wrong with the option or folder.
    QString problem;
    ExchangeCount holidays;
    ExchangeCount reminders; // yearly and one-year alike
    ExchangeCount notes;
    ExchangeCount contacts;
    QStringList skipped;    // "«what»: reason"
    QStringList changed;    // "«what»: how it was changed to be stored, and why"
    QStringList failures;   // "path: error"
    bool cancelled = false; // the user stopped the import; the counts say what was written before

    int exitCode() const { return int(status); }
    // Spanish text, several lines: counts, then every item left out with its reason.
    QString summary() const;
};

// Holidays, yearly and one-year reminders (and day notes when asked) as one iCalendar file.
ExchangeResult exportIcs(const DataFolder& data, const QString& file, bool withNotes);

// Adds the days of an iCalendar file. Nothing is overwritten: a text goes on a new line after the text
// a day already has, and a text already there is not added again, so importing twice changes nothing.
// The whole file is read and checked before the first write; a refused file leaves everything as it was.
ExchangeResult importIcs(const DataFolder& data, const QString& file, const IcsReadOptions& options = {});
// The same from bytes already in memory (`file` only names them in the summary).
ExchangeResult importIcsBytes(const DataFolder& data, const QByteArray& bytes, const QString& file,
                              const IcsReadOptions& options = {});

// The bytes of a file to import, up to one more than the readers accept; none, with `result` refused and
// saying why, when it is no regular file or cannot be read.
std::optional<QByteArray> readImportFile(const QString& file, ExchangeResult& result);

// Every contact of a category ("Todos" for all) as vCard 4.0, each with a UID made from the folder's
// identifier and its file name (the same for its copy in "Todos") and its file's time as REV.
ExchangeResult exportVcf(const DataFolder& data, const QString& file,
                         const QString& category = folders::allContacts);

// Adds the cards of a vCard file to `category` (created when missing) and to "Todos". A card finds its
// contact by the UID this folder's export gave it, else by its full name with a shared telephone or
// e-mail; that contact takes what the card adds, as keeping both texts does. A surname taken by a
// different contact gets " (2)", " (3)"... ; a card already there is not added again. A surname Windows
// could not keep as a file name is cleaned, and `changed` says so.
ExchangeResult importVcf(const DataFolder& data, const QString& file,
                         const QString& category = kImportedCategory, const ExchangeProgress& progress = {},
                         const ExchangeCancelled& cancelled = {});
ExchangeResult importVcfBytes(const DataFolder& data, const QByteArray& bytes, const QString& file,
                              const QString& category = kImportedCategory,
                              const ExchangeProgress& progress = {}, const ExchangeCancelled& cancelled = {});

} // namespace quindara
