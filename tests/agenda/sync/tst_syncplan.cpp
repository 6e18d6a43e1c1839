// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/sync/syncplan.h"

#include <QTest>

using namespace quindara;

Q_DECLARE_METATYPE(SyncAction)
Q_DECLARE_METATYPE(RecordOrigin)

// Every cell of the sync's decision table, without a server: the record (what the last run saw: "L0"
// in the agenda, "S0" on the server), the agenda's side and the server's side, each absent ("-") or
// holding a content hash; "?" is a server version listed but not read this run.
class SyncPlanTest : public QObject {
    Q_OBJECT

private slots:
    void decideItem_data() {
        QTest::addColumn<bool>("recorded");
        QTest::addColumn<QString>("agenda");
        QTest::addColumn<QString>("server");
        QTest::addColumn<RecordOrigin>("origin");
        QTest::addColumn<SyncAction>("action");
        const auto row = [](const char* name, bool recorded, const char* agenda, const char* server,
                            SyncAction action, RecordOrigin origin = RecordOrigin::ThisMachine) {
            QTest::newRow(name) << recorded << QString::fromLatin1(agenda) << QString::fromLatin1(server)
                                << origin << action;
        };
        using A = SyncAction;
        row("new in the agenda", false, "L1", "-", A::CreateOnServer);
        row("new on the server", false, "-", "S1", A::CreateInAgenda);
        row("new on both, the same", false, "X", "X", A::Record);
        row("new on both, different", false, "L1", "S1", A::Merge);
        row("unchanged", true, "L0", "S0", A::Keep);
        row("changed in the agenda", true, "L1", "S0", A::UpdateServer);
        row("changed on the server", true, "L0", "S1", A::UpdateAgenda);
        row("changed on both alike", true, "X", "X", A::Record);
        row("changed on both", true, "L1", "S1", A::Merge);
        row("deleted in the agenda", true, "-", "S0", A::DeleteOnServer);
        row("deleted in the agenda, changed on the server", true, "-", "S1", A::CreateInAgenda);
        row("deleted on the server", true, "L0", "-", A::DeleteInAgenda);
        row("deleted on the server, changed in the agenda", true, "L1", "-", A::CreateOnServer);
        row("deleted on both", true, "-", "-", A::Forget);
        row("server version not read", true, "L0", "?", A::Postpone);
        row("server version not read, changed in the agenda", true, "L1", "?", A::Postpone);
        row("server version not read, deleted in the agenda", true, "-", "?", A::Postpone);
        row("record from elsewhere: deleted in the agenda", true, "-", "S0", A::CreateInAgenda,
            RecordOrigin::Elsewhere);
        row("record from elsewhere: deleted on the server", true, "L0", "-", A::CreateOnServer,
            RecordOrigin::Elsewhere);
        row("record from elsewhere: changed in the agenda", true, "L1", "S0", A::Merge,
            RecordOrigin::Elsewhere);
    }
    void decideItem() {
        QFETCH(bool, recorded);
        QFETCH(QString, agenda);
        QFETCH(QString, server);
        QFETCH(RecordOrigin, origin);
        QFETCH(SyncAction, action);
        const SyncStatusItem record{QStringLiteral("/c/1.ics"), "e0", "L0", "S0", {}};
        SyncItem local;
        local.hash = agenda.toLatin1();
        ServerItem remote;
        remote.item.hash = server == u'?' ? QByteArray("S0") : server.toLatin1();
        const SyncSides sides{recorded ? &record : nullptr, agenda == u'-' ? nullptr : &local,
                              server == u'-' ? nullptr : &remote, server == u'?'};
        QCOMPARE(quindara::decideItem(sides, origin), action);
    }

    // The plan settles unchanged items without a step (keeping a moved ETag), postpones the unread one
    // and orders the rest by key.
    void planSync() {
        QHash<QString, SyncStatusItem> record;
        QHash<QString, SyncItem> agenda;
        QHash<QString, ServerItem> server;
        const auto put = [&](const QString& key, const QByteArray& etagNow, const QByteArray& agendaHash,
                             const QByteArray& serverHash) {
            record.insert(key, {QStringLiteral("/c/") + key, "e0", "L0", "S0", {}});
            if (!agendaHash.isEmpty())
                agenda.insert(key, SyncItem{key, {}, agendaHash, {}, {}, {}, {}});
            if (!serverHash.isEmpty())
                server.insert(key, ServerItem{QStringLiteral("/c/") + key,
                                              etagNow,
                                              {},
                                              {key, {}, serverHash, {}, {}, {}, {}}});
        };
        put(QStringLiteral("c"), "e0", "L0", "S0");
        put(QStringLiteral("b"), "e1", "L0", "S0"); // a new ETag over the same content
        put(QStringLiteral("e"), "e1", "L0", "S0"); // listed anew, not read
        put(QStringLiteral("d"), "e0", "L1", "S0");
        put(QStringLiteral("a"), "e0", "", "S0");
        const SyncPlan plan = quindara::planSync(record, agenda, server, {QStringLiteral("e")});
        QCOMPARE(plan.unchanged, 2);
        QCOMPARE(plan.keptMoved, QStringList{QStringLiteral("b")});
        QStringList order;
        for (const SyncStep& step : plan.steps)
            order.append(step.key);
        QCOMPARE(order, (QStringList{QStringLiteral("a"), QStringLiteral("d"), QStringLiteral("e")}));
        QCOMPARE(plan.steps.at(0).action, SyncAction::DeleteOnServer);
        QCOMPARE(plan.steps.at(2).action, SyncAction::Postpone);
    }
};

QTEST_GUILESS_MAIN(SyncPlanTest)
#include "tst_syncplan.moc"
