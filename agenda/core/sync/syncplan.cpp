// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/sync/syncplan.h"

namespace quindara {

bool unchangedOnBoth(const SyncStatusItem& recorded, const SyncItem& agenda, const ServerItem& server,
                     bool& moved) {
    if (agenda.hash != recorded.localHash || server.item.hash != recorded.serverHash)
        return false;
    moved =
        recorded.etag != server.etag || recorded.href != server.href || recorded.localStamp != agenda.stamp;
    return true;
}

SyncAction decideItem(const SyncSides& sides, RecordOrigin origin) {
    const SyncItem* agenda = sides.agenda;
    const ServerItem* server = sides.server;
    const SyncStatusItem* recorded = origin == RecordOrigin::ThisMachine ? sides.recorded : nullptr;
    if (sides.serverUnread)
        return SyncAction::Postpone;
    if (!recorded) {
        if (agenda && server) // the same on both: a run cut short, or typed twice
            return agenda->hash == server->item.hash ? SyncAction::Record : SyncAction::Merge;
        if (agenda)
            return SyncAction::CreateOnServer;
        return server ? SyncAction::CreateInAgenda : SyncAction::Forget;
    }
    const bool agendaChanged = agenda && agenda->hash != recorded->localHash;
    const bool serverChanged = server && server->item.hash != recorded->serverHash;
    if (agenda && server) {
        if (!agendaChanged && !serverChanged)
            return SyncAction::Keep;
        if (!serverChanged)
            return SyncAction::UpdateServer;
        if (!agendaChanged)
            return SyncAction::UpdateAgenda;
        return agenda->hash == server->item.hash ? SyncAction::Record : SyncAction::Merge;
    }
    // Gone from one side: deleted there, unless the other side changed it since, which keeps it.
    if (agenda)
        return agendaChanged ? SyncAction::CreateOnServer : SyncAction::DeleteInAgenda;
    if (server)
        return serverChanged ? SyncAction::CreateInAgenda : SyncAction::DeleteOnServer;
    return SyncAction::Forget;
}

SyncPlan planSync(const QHash<QString, SyncStatusItem>& recorded, const QHash<QString, SyncItem>& agenda,
                  const QHash<QString, ServerItem>& server, const QSet<QString>& serverUnread,
                  RecordOrigin origin) {
    SyncPlan plan;
    QStringList ordered;
    // Every key once, without a set of them all: most are in the record and on both sides.
    for (auto r = recorded.cbegin(); r != recorded.cend(); ++r) {
        const auto a = agenda.constFind(r.key());
        const auto s = server.constFind(r.key());
        bool moved = false;
        if (a != agenda.cend() && s != server.cend() && !serverUnread.contains(r.key()) &&
            unchangedOnBoth(*r, *a, *s, moved)) {
            ++plan.unchanged;
            if (moved)
                plan.keptMoved.append(r.key());
        } else {
            ordered.append(r.key());
        }
    }
    for (auto a = agenda.cbegin(); a != agenda.cend(); ++a)
        if (!recorded.contains(a.key()))
            ordered.append(a.key());
    for (auto s = server.cbegin(); s != server.cend(); ++s)
        if (!recorded.contains(s.key()) && !agenda.contains(s.key()))
            ordered.append(s.key());
    ordered.sort();
    plan.steps.reserve(ordered.size());
    for (const QString& key : std::as_const(ordered)) {
        const auto r = recorded.constFind(key);
        const auto a = agenda.constFind(key);
        const auto s = server.constFind(key);
        const SyncSides sides{r == recorded.cend() ? nullptr : &*r, a == agenda.cend() ? nullptr : &*a,
                              s == server.cend() ? nullptr : &*s, serverUnread.contains(key)};
        plan.steps.append({key, decideItem(sides, origin)});
    }
    return plan;
}

} // namespace quindara
