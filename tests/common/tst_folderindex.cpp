// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/folderindex.h"
#include "common/leftoversavefiles.h"
#include "common/programfolder.h"
#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class FolderIndexTest : public QObject {
    Q_OBJECT

private:
    static void touch(const QString& path) { QVERIFY(common::writeBytes(path, "x")); }

private slots:
    void findsNamesWithoutRegardToCase() {
        QTemporaryDir dir;
        touch(dir.filePath(QStringLiteral("25 de diciembre.txt")));
        touch(dir.filePath(QStringLiteral("MIÉRCOLES, 5 de ENERO de 2011.txt")));
        // Decomposed form, as some file systems hand names back.
        touch(dir.filePath(QStringLiteral("SA\u0301BADO, 8 de ENERO de 2011.txt")));
        common::FolderIndex index(dir.path());
        index.refreshIfChanged();
        QVERIFY(index.contains(QStringLiteral("25 de DICIEMBRE.txt")));
        QCOMPARE(index.realName(QStringLiteral("25 DE DICIEMBRE.TXT")),
                 QStringLiteral("25 de diciembre.txt"));
        QVERIFY(index.contains(QStringLiteral("miércoles, 5 de enero de 2011.txt")));
        QVERIFY(index.contains(QStringLiteral("SÁBADO, 8 de ENERO de 2011.txt")));
        QVERIFY(!index.contains(QStringLiteral("26 de DICIEMBRE.txt")));
        QCOMPARE(index.pathFor(QStringLiteral("25 de DICIEMBRE.txt")),
                 dir.filePath(QStringLiteral("25 de diciembre.txt")));
        QCOMPARE(index.pathFor(QStringLiteral("nuevo.txt")), dir.filePath(QStringLiteral("nuevo.txt")));
        // Hidden names (locks, temporary files of atomic writes) and sub-folders are not indexed.
        touch(dir.filePath(QStringLiteral(".lock")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("carpeta")));
        index.refresh();
        QVERIFY(!index.contains(QStringLiteral(".lock")) && !index.contains(QStringLiteral("carpeta")));
        QCOMPARE(index.names().size(), 3);
    }

    void listsByPrefix() {
        QTemporaryDir dir;
        for (const char* name : {"García", "garrido", "Pérez", "Gómez"})
            touch(dir.filePath(QString::fromUtf8(name)));
        common::FolderIndex index(dir.path());
        index.refreshIfChanged();
        QCOMPARE(index.withPrefix(QStringLiteral("GAR")),
                 QStringList({QStringLiteral("García"), QStringLiteral("garrido")}));
        QCOMPARE(index.withPrefix(QString()).size(), 4);
    }

    void seesChangesMadeByOthers() {
        QTemporaryDir dir;
        common::FolderIndex index(dir.path());
        index.refreshIfChanged();
        QVERIFY(!index.contains(QStringLiteral("a.txt")));
        // Another program creates and then removes the file, each right after a look at the folder.
        const auto byAnotherProgram = [&dir](const char* command) {
            return QProcess::execute(QStringLiteral("sh"),
                                     {QStringLiteral("-c"), QString::fromLatin1(command), dir.path()});
        };
        QCOMPARE(byAnotherProgram("touch \"$0/a.txt\""), 0);
        index.refreshIfChanged();
        QVERIFY(index.contains(QStringLiteral("A.TXT")));
        QCOMPARE(byAnotherProgram("rm \"$0/a.txt\""), 0);
        index.refreshIfChanged();
        QVERIFY(!index.contains(QStringLiteral("a.txt")));
    }

    // Whatever another program does after the listing, the next look gives what a fresh listing gives,
    // whether the index follows the kernel's notices of single names or lists the folder again.
    void followsChangesAsAFreshListing_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("change");
        const QString two = QStringLiteral("touch a.txt b.txt");
        QTest::newRow("created") << two << "touch c.txt 'MIÉRCOLES, 5 de ENERO.txt'";
        QTest::newRow("removed") << two << "rm a.txt";
        QTest::newRow("renamed") << two << "mv a.txt c.txt";
        QTest::newRow("renamed over another") << two << "mv a.txt b.txt";
        QTest::newRow("removed and made again") << two << "rm a.txt && touch a.txt";
        QTest::newRow("another spelling") << two << "touch A.TXT";
        QTest::newRow("one of two spellings removed") << "touch a.txt A.TXT"
                                                      << "rm A.TXT";
        QTest::newRow("a folder in a file's place") << two << "rm a.txt && mkdir a.txt";
        QTest::newRow("hidden, and an unfinished save") << two << "touch .x b.txt.AbC123 c.txt";
        QTest::newRow("bytes that are not UTF-8") << two << "touch \"$(printf 'caf\\351.txt')\"";
        QTest::newRow("folder removed and made again")
            << two << "cd .. && rm -r \"$0\" && mkdir \"$0\" && touch \"$0/d.txt\"";
        QTest::newRow("a burst of 5,000 names") << two << "seq -f 'n%g.txt' 5000 | xargs touch";
    }
    void followsChangesAsAFreshListing() {
        QFETCH(QString, before);
        QFETCH(QString, change);
        QTemporaryDir dir;
        const auto run = [&dir](const QString& command) {
            return QProcess::execute(
                QStringLiteral("sh"),
                {QStringLiteral("-c"), QStringLiteral("cd \"$0\" && ") + command, dir.path()});
        };
        QCOMPARE(run(before), 0);
        common::FolderIndex index(dir.path());
        index.refreshIfChanged();
        QCOMPARE(run(change), 0);
        index.refreshIfChanged();
        common::FolderIndex fresh(dir.path());
        fresh.refresh();
        const auto sorted = [](QStringList names) {
            names.sort();
            return names;
        };
        QCOMPARE(sorted(index.names()), sorted(fresh.names()));
        // Each name leads to a file that is there (which of two spellings is the one found is not fixed).
        for (const QString& name : fresh.names())
            QVERIFY(::access(index.nativePathFor(name).constData(), F_OK) == 0);
        // Nothing more happened: the next look changes nothing.
        const quint64 generation = index.generation();
        index.refreshIfChanged();
        QCOMPARE(index.generation(), generation);
        // Qt cannot name a file whose name is not UTF-8 to remove it.
        QCOMPARE(run(QStringLiteral("rm -rf ./*")), 0);
    }

    // The sweep at start removes the programs' own staging files, hidden and marked, and nothing of the
    // user's whatever its name; the index lists the user's files and never a staging file.
    void startSweepRemovesOnlyOwnStagingFiles_data() {
        QTest::addColumn<QStringList>("users");
        QTest::addColumn<QStringList>("ours");
        QTest::newRow("a backup beside its file")
            << QStringList{"contrato", "contrato.backup"} << QStringList();
        QTest::newRow("a picture's backup") << QStringList{"foto.jpg", "foto.jpg.backup"} << QStringList();
        QTest::newRow("six digits after the name") << QStringList{"acta", "acta.201912"} << QStringList();
        QTest::newRow("a backup alone") << QStringList{"fondo.jpg.backup"} << QStringList();
        QTest::newRow("a killed save")
            << QStringList{"nota.txt"} << QStringList{".nota.txt.quindara-AbC123.tmp"};
        QTest::newRow("a killed save of a new file")
            << QStringList{"contrato.backup"} << QStringList{".García.quindara-fXgBBQ.tmp"};
        QTest::newRow("older staging and the write test")
            << QStringList{"a.tmp", "quindara-1.tmp"}
            << QStringList{".quindara-4242.tmp", ".prueba-escritura.quindara-Zz0912.tmp"};
    }
    void startSweepRemovesOnlyOwnStagingFiles() {
        QFETCH(QStringList, users);
        QFETCH(QStringList, ours);
        QTemporaryDir dir;
        const QDir folder(dir.filePath(QStringLiteral("Archivos")));
        QVERIFY(folder.mkpath(QStringLiteral("Mías")));
        for (const QString& name : users + ours) {
            touch(folder.filePath(name));
            touch(folder.filePath(QStringLiteral("Mías/") + name));
        }
        common::FolderIndex index(folder.path());
        index.refresh();
        QStringList listed = index.names();
        listed.sort();
        users.sort();
        QCOMPARE(listed, users);

        QCOMPARE(common::removeLeftoverSaveFiles(dir.path(), {QStringLiteral("Archivos")}), 2 * ours.size());
        for (const QString& name : users) {
            QVERIFY2(QFile::exists(folder.filePath(name)), qPrintable(name));
            QVERIFY2(QFile::exists(folder.filePath(QStringLiteral("Mías/") + name)), qPrintable(name));
        }
        for (const QString& name : ours)
            QVERIFY2(!QFile::exists(folder.filePath(name)), qPrintable(name));
    }

    void missingFolderIsEmpty() {
        common::FolderIndex index(QStringLiteral("/nonexistent/quindara"));
        index.refreshIfChanged();
        QVERIFY(!index.contains(QStringLiteral("x")));
        QVERIFY(index.names().isEmpty());
    }

    void unsafeNamesAreRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << QStringLiteral("García López") << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("blank") << QStringLiteral("  ") << false;
        QTest::newRow("dot dot") << QStringLiteral("..") << false;
        QTest::newRow("slash") << QStringLiteral("../fuera") << false;
        QTest::newRow("backslash") << QStringLiteral("a\\b") << false;
        QTest::newRow("colon") << QStringLiteral("c:x") << false;
        QTest::newRow("control") << QStringLiteral("a\nb") << false;
        QTest::newRow("absolute") << QStringLiteral("/etc/passwd") << false;
        QTest::newRow("wildcard") << QStringLiteral("a*") << false;
        QTest::newRow("device") << QStringLiteral("con") << false;
        QTest::newRow("device with extension") << QStringLiteral("NUL.txt") << false;
        QTest::newRow("numbered device") << QStringLiteral("Lpt3") << false;
        QTest::newRow("device-like name") << QStringLiteral("Conde") << true;
        QTest::newRow("200 bytes") << QString(100, QChar(0xE9)) << true;
        QTest::newRow("201 bytes") << QString(100, QChar(0xE9)) + u'x' << false;
    }
    void unsafeNamesAreRefused() {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(common::isSafeFileName(name), safe);
    }
};

QTEST_GUILESS_MAIN(FolderIndexTest)
#include "tst_folderindex.moc"
