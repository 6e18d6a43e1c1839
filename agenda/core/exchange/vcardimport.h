// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/core/exchange/exchange.h"
#include "agenda/core/formats/vcard.h"
#include "common/folderindex.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace quindara {

// One file a card import writes: a new contact's copy in one folder, or a contact there taking what a
// card adds.
struct CardWrite {
    QString path;
    QString name; // in the folder of the plan's targets[target]
    int target = 0;
    QStringList fields;
    int contact = 0; // which planned contact it is a copy of
    // The card it replaces, for a contact that takes what the imported card adds.
    std::optional<QStringList> replaces = std::nullopt;
};

// What the cards of one file become in the address book, decided before anything is written.
struct VCardImportPlan {
    // The category's folder, then "Todos" when that is another folder; listed as the plan found them.
    QList<common::FolderIndex> targets;
    // In the order of the cards; the copies of one contact one after another.
    QList<CardWrite> writes;
    QSet<int> updates; // the contacts (CardWrite::contact) that take what a card adds
    int alreadyThere = 0;
    QStringList changed; // "«what»: how it was changed to be stored, and why"
    QStringList skipped; // "«what»: reason"
};

// Where each card of `reading` goes among `targets` (folders that exist): a contact it is (by the UID this
// folder's export gave it, else by its full name and a shared telephone or e-mail) takes what it adds; any
// other card is a new contact under the first free numbered name of its surname, unless that very card is
// there. Reads the address book and writes no card.
VCardImportPlan planVCardImport(const DataFolder& data, const QStringList& targets,
                                const VCardReading& reading, const QString& file);

// Carries the plan out: the new cards as one batch of atomic writes, a contact taking what a card adds
// replaced on its own once its file is found unchanged; a name saved meanwhile by someone else is never
// replaced. `result` gets the counts, what was changed or left out, and every failed write.
void writeVCardImport(VCardImportPlan& plan, ExchangeResult& result, const ExchangeProgress& progress,
                      const ExchangeCancelled& cancelled);

} // namespace quindara
