// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/dav/davclient.h"
#include "agenda/core/days/datafolder.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace quindara {

// One account of the data folder: where its calendar and address book are, never its password.
struct SyncAccount {
    QString id; // names its files in the hidden sync folder
    QUrl server;
    QString user;
    QUrl calendar; // empty: no calendar is synced
    QString calendarName;
    QUrl addressBook; // empty: no address book is synced
    QString addressBookName;
    bool withNotes = false;
    QString acceptedFingerprint;
};

// The hidden folder of the data folder that keeps the accounts and their status records.
inline const QString kSyncFolder = QStringLiteral(".quindara-sync");
QString syncFolderPath(const DataFolder& data);
// This machine's status record of the account: "<id>.<machine>.status" in the sync folder, the machine
// named as in the folder's lock files. A record says what one machine's runs saw of its own copy of the
// folder; a sync tool carries it to the other machines before the files it describes, so each machine reads
// only its own. It is kept in the data folder rather than in the user's state folder by the folder's
// identifier: it then goes wherever this copy of the folder goes, so that a folder restored from a backup
// comes with the record of what it held then (a record kept aside would take the files it lacks as deleted),
// and a folder deleted or moved leaves nothing behind.
QString syncStatusPath(const DataFolder& data, const SyncAccount& account);
// The single record earlier versions kept for every machine, "<id>.status".
QString earlierSyncStatusPath(const DataFolder& data, const SyncAccount& account);

struct SyncCount {
    int created = 0;
    int changed = 0;
    int deleted = 0;
    int merged = 0;
    bool any() const { return created || changed || deleted || merged; }
    int total() const { return created + changed + deleted + merged; }
};

enum class SyncPhase { Listing, Fetching, Writing };

struct SyncOptions {
    std::function<void(SyncPhase phase, qsizetype done, qsizetype total)> progress;
    std::function<bool()> cancelled;
    // A side that suddenly looks empty while the status lists many items is emptied on the other side
    // only when this is set (after asking).
    bool emptySideConfirmed = false;
    // A request the server leaves this long without a byte is given up, and the run with it.
    int answerTimeoutMs = kDavAnswerTimeoutMs;
    QDate today = QDate::currentDate();
};

// Why one item (or a whole collection) was not synced this run.
enum class SyncProblemKind {
    ServerRefused,       // the server answered a read or a write with an error status (or not at all)
    ServerKeepsChanging, // changed again at every attempt to write over it
    NotUnderstood,       // the server's item could not be read
    AgendaNotWritten,    // the agenda's file or folder could not be written
    ListingRefused,      // the collection's listing was refused
    ItemsNotGiven,       // the server did not give the items it listed
    RecordNotSaved,      // the status record could not be saved
};

struct SyncProblem {
    SyncProblemKind kind = SyncProblemKind::ServerRefused;
    QString what;       // names the item, the collection or the file
    int httpStatus = 0; // the server's answer, 0 when none came
    QString detail;     // in Spanish, from the file layer or the item's reader
    // Whether a later run may succeed without the user doing anything (a busy or changing server).
    bool retryLater() const;
    // "«what»: reason", in Spanish.
    QString text() const;
};

struct SyncResult {
    DavError error; // kind None when the server answered throughout
    SyncCount agenda;
    SyncCount server;
    QStringList leftOut; // "«what»: reason"
    QList<SyncProblem> problems;
    QStringList failures; // the problems' texts, "«what»: reason"
    // Set when one side looks emptied; nothing was done to that collection. The question says what.
    QString emptySideQuestion;
    int requests = 0;

    void add(SyncProblem problem) {
        failures.append(problem.text());
        problems.append(std::move(problem));
    }
    // 0 done, 1 refused by the server, 3 some items failed (or the run waits for an answer), 4 unreachable.
    int exitCode() const;
    // Spanish, several lines.
    QString summary() const;
};

// One run of the account: see the README for what goes which way.
SyncResult runSync(const DataFolder& data, const SyncAccount& account, const QString& password,
                   const SyncOptions& options = {});

} // namespace quindara
