// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/sync/davitems.h"
#include "agenda/core/sync/davstatus.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

namespace quindara {

// A server item as one run knows it.
struct ServerItem {
    QString href; // path
    QByteArray etag;
    QByteArray body; // empty when not fetched this run
    SyncItem item;
};

// What to do with one item so that both sides hold it again as the user last made it.
enum class SyncAction {
    Keep,     // unchanged on both sides since the last run: only a new ETag or file stamp is kept
    Postpone, // the server holds a version whose content was not read: decided by the next run
    Record,   // the same on both sides already: only recorded
    Forget,   // gone from both sides: its record goes
    CreateOnServer,
    UpdateServer,
    DeleteOnServer,
    CreateInAgenda,
    UpdateAgenda,
    DeleteInAgenda,
    Merge, // changed on both sides: both versions are kept
};

// What a run knows of one item: what the last run recorded, the agenda's side and the server's side
// (each null when the item is not there). `serverUnread` is set when the server lists the item with a
// version whose content could not be read this run; the item then waits with its record as it was.
struct SyncSides {
    const SyncStatusItem* recorded = nullptr;
    const SyncItem* agenda = nullptr;
    const ServerItem* server = nullptr;
    bool serverUnread = false;
};

// Who wrote the record. One another machine may have written (the single record of earlier versions)
// describes that machine's copy of the folder, whose files may not have come here yet: it only tells
// which items are the same on both sides; the others are decided as on a first run, which deletes
// nothing: an item one side lacks is created there again, one changed on one side is merged.
enum class RecordOrigin { ThisMachine, Elsewhere };

SyncAction decideItem(const SyncSides& sides, RecordOrigin origin = RecordOrigin::ThisMachine);

struct SyncStep {
    QString key;
    SyncAction action;
};

// The plan of a run over one collection: the decided steps in the order of their keys, the items
// unchanged on both sides whose ETag, href or file stamp moved (kept without a step), and how many were
// unchanged in all.
struct SyncPlan {
    QList<SyncStep> steps;
    QStringList keptMoved;
    qsizetype unchanged = 0;
};

// Decides every item of the record and of both sides; reads nothing and writes nothing. Most items are
// unchanged on both sides and are settled without a decision or a sort.
SyncPlan planSync(const QHash<QString, SyncStatusItem>& recorded, const QHash<QString, SyncItem>& agenda,
                  const QHash<QString, ServerItem>& server, const QSet<QString>& serverUnread,
                  RecordOrigin origin = RecordOrigin::ThisMachine);

// True when the item is on both sides as the record has it; `moved` is then set when its ETag, href or
// file stamp is not the recorded one.
bool unchangedOnBoth(const SyncStatusItem& recorded, const SyncItem& agenda, const ServerItem& server,
                     bool& moved);

} // namespace quindara
