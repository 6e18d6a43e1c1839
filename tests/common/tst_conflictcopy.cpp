// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/conflictcopy.h"

#include <QTest>

class ConflictCopyTest : public QObject {
    Q_OBJECT

private slots:
    void namesOfSyncTools_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("original"); // empty: not a conflict copy
        QTest::addColumn<QString>("tool");
        QTest::newRow("Syncthing") << "5 de ENERO.sync-conflict-20261207-101500-ABCDEFG.txt"
                                   << "5 de ENERO.txt"
                                   << "Syncthing";
        QTest::newRow("Syncthing, no extension") << "2011-1-5--9-7.sync-conflict-20261207-101500-ABCDEFG"
                                                 << "2011-1-5--9-7"
                                                 << "Syncthing";
        QTest::newRow("Nextcloud") << "5 de ENERO (conflicted copy 2026-12-07 101500).txt"
                                   << "5 de ENERO.txt"
                                   << "Nextcloud";
        QTest::newRow("Dropbox") << "5 de ENERO (Equipo's conflicted copy 2026-12-07).txt"
                                 << "5 de ENERO.txt"
                                 << "Dropbox";
        QTest::newRow("Dropbox, counted")
            << "MIÉRCOLES, 5 de ENERO de 2011 (Equipo's conflicted copy 2026-12-07 (1)).txt"
            << "MIÉRCOLES, 5 de ENERO de 2011.txt"
            << "Dropbox";
        QTest::newRow("Dropbox in Spanish") << "García (copia en conflicto de Portátil 2026-12-07)"
                                            << "García"
                                            << "Dropbox";
        QTest::newRow("a plain note") << "5 de ENERO.txt"
                                      << ""
                                      << "";
        QTest::newRow("a note about a conflict") << "conflicto (conflicted copy).txt"
                                                 << ""
                                                 << "";
        QTest::newRow("marker alone") << ".sync-conflict-20261207-101500-ABCDEFG.txt"
                                      << ""
                                      << "";
    }
    void namesOfSyncTools() {
        QFETCH(QString, name);
        QFETCH(QString, original);
        QFETCH(QString, tool);
        const auto copy = common::parseConflictCopyName(name);
        QCOMPARE(copy.has_value(), !original.isEmpty());
        if (copy) {
            QCOMPARE(copy->originalName, original);
            QCOMPARE(copy->tool, tool);
        }
    }

    // A copy goes with its file (any letter case); one whose file is gone stays a name, so nothing is hidden.
    void copiesAreSetApart_data() {
        QTest::addColumn<QStringList>("folder");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("copiesOfGarcia");
        const QString copy = QStringLiteral("García (conflicted copy 2026-12-07 101500)");
        QTest::newRow("beside its file")
            << QStringList{"Abad", "García", copy} << QStringList{"Abad", "García"} << QStringList{copy};
        QTest::newRow("file in another case")
            << QStringList{"GARCÍA", copy} << QStringList{"GARCÍA"} << QStringList{copy};
        QTest::newRow("file gone") << QStringList{"Abad", copy} << QStringList{"Abad", copy} << QStringList{};
    }
    void copiesAreSetApart() {
        QFETCH(QStringList, folder);
        QFETCH(QStringList, names);
        QFETCH(QStringList, copiesOfGarcia);
        const common::NamesAndCopies apart = common::setConflictCopiesApart(folder);
        QCOMPARE(apart.names, names);
        QCOMPARE(apart.copiesOf(QStringLiteral("garcía")), copiesOfGarcia);
    }
};

QTEST_GUILESS_MAIN(ConflictCopyTest)
#include "tst_conflictcopy.moc"
