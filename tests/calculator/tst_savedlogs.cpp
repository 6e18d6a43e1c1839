// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/savedlogs.h"
#include "common/textfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using tallimo::LogText;
using tallimo::SavedLogs;

class SavedLogsTest : public QObject {
    Q_OBJECT

private slots:
    void unchangedTextKeepsItsBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("log with CR LF") << QByteArray("\r\n 1 )   7\r\n\r\n---\r\n   7\r\n")
                                        << QStringLiteral("\n 1 )   7\n\n---\n   7\n");
        QTest::newRow("lone line feeds") << QByteArray("a\nb\n") << QStringLiteral("a\nb\n");
        QTest::newRow("lone carriage returns") << QByteArray("a\rb") << QStringLiteral("a\nb");
        QTest::newRow("older 8-bit file") << QByteArray("Ra\xedz 5 \x80\r\n") << QStringLiteral("Raíz 5 €\n");
        QTest::newRow("no final line end") << QByteArray("12,5\r\n3") << QStringLiteral("12,5\n3");
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void unchangedTextKeepsItsBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const LogText log(bytes);
        QCOMPARE(log.text(), shown);
        QCOMPARE(log.bytesFor(shown), bytes);
    }

    void editedTextIsWrittenWithCrLfAndNothingAdded() {
        const LogText log(QByteArray("a\nb\n"));
        QCOMPARE(log.bytesFor(QStringLiteral("a\nb\nc")), QByteArray("a\r\nb\r\nc"));
        QCOMPARE(log.bytesFor(QStringLiteral("1.234,50 €\n")), QByteArray("1.234,50 \xe2\x82\xac\r\n"));
        // A byte-order mark the log began with stays in front of the edited text.
        const LogText marked(QByteArray("\xEF\xBB\xBF"
                                        "7\r\n"));
        QCOMPARE(marked.text(), QStringLiteral("7\n"));
        QCOMPARE(marked.bytesFor(QStringLiteral("8\n")), QByteArray("\xEF\xBB\xBF"
                                                                    "8\r\n"));
    }

    void readsTimeStampNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QDateTime>("moment");
        QTest::newRow("morning") << QStringLiteral("2026-12-6--9-5")
                                 << QDateTime(QDate(2026, 12, 6), QTime(9, 5));
        QTest::newRow("late") << QStringLiteral("2011-10-31--23-59")
                              << QDateTime(QDate(2011, 10, 31), QTime(23, 59));
        QTest::newRow("no such day") << QStringLiteral("2026-2-30--9-5") << QDateTime();
        QTest::newRow("no such hour") << QStringLiteral("2026-2-3--24-0") << QDateTime();
        QTest::newRow("other file") << QStringLiteral("notas.txt") << QDateTime();
        QTest::newRow("extension") << QStringLiteral("2026-12-6--9-5.txt") << QDateTime();
        QTest::newRow("second of the minute")
            << QStringLiteral("2026-12-6--9-5-2") << QDateTime(QDate(2026, 12, 6), QTime(9, 5));
    }
    void readsTimeStampNames() {
        QFETCH(QString, name);
        QFETCH(QDateTime, moment);
        QCOMPARE(tallimo::timeStampOf(name).value_or(QDateTime()), moment);
    }

    void listsNewestFirstThenOtherNames() {
        const QStringList names{
            QStringLiteral("zeta"), QStringLiteral("2026-12-6--9-5"),  QStringLiteral("2026-12-10--8-0"),
            QStringLiteral("Alfa"), QStringLiteral("2026-12-6--10-0"), QStringLiteral("2025-1-1--0-0")};
        QCOMPARE(tallimo::orderedLogNames(names),
                 QStringList({QStringLiteral("2026-12-10--8-0"), QStringLiteral("2026-12-6--10-0"),
                              QStringLiteral("2026-12-6--9-5"), QStringLiteral("2025-1-1--0-0"),
                              QStringLiteral("Alfa"), QStringLiteral("zeta")}));
    }

    void textSizeGoesRound() {
        QList<int> sizes;
        int size = 12;
        for (int click = 0; click < 6; ++click)
            sizes.append(size = tallimo::nextViewerFontSize(size));
        QCOMPARE(sizes, QList<int>({14, 16, 18, 12, 14, 16}));
    }

    void savesUnderTheMinuteAndReplacesWithinIt() {
        QTemporaryDir dir;
        const SavedLogs logs{tallimo::CalculatorFolder(dir.path())};
        const QDateTime moment(QDate(2026, 12, 6), QTime(9, 5, 12));
        QCOMPARE(logs.save("primero", moment), QStringLiteral("2026-12-6--9-5"));
        // The log being edited is replaced in its minute.
        QCOMPARE(logs.save("segundo\r\n", moment.addSecs(40),
                           tallimo::SavedLog{QStringLiteral("2026-12-6--9-5"), "primero"}),
                 QStringLiteral("2026-12-6--9-5"));
        QCOMPARE(logs.names(), QStringList({QStringLiteral("2026-12-6--9-5")}));
        QCOMPARE(logs.read(QStringLiteral("2026-12-6--9-5")), QByteArray("segundo\r\n"));
        QVERIFY(logs.remove(QStringLiteral("2026-12-6--9-5")));
        QVERIFY(logs.names().isEmpty());
        QVERIFY(!logs.remove(QStringLiteral("2026-12-6--9-5")));
    }

    // A save never replaces another log of its minute: only the log being edited, still as the window
    // left it, is updated in place; any other gets the next free name, listed right after the first.
    void aSecondLogOfTheMinuteTakesTheNextName_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("editingName");
        QTest::addColumn<QByteArray>("editingBytes");
        QTest::addColumn<QString>("written");
        const QString minute = QStringLiteral("2026-12-6--9-5");
        QTest::newRow("another log") << QByteArray("A") << QString() << QByteArray() << minute + "-2";
        QTest::newRow("the log being edited") << QByteArray("A") << minute << QByteArray("A") << minute;
        QTest::newRow("edited, then changed by someone else")
            << QByteArray("A cambiado") << minute << QByteArray("A") << minute + "-2";
        QTest::newRow("editing an older log")
            << QByteArray("A") << QStringLiteral("2026-12-1--8-0") << QByteArray("A") << minute + "-2";
        QTest::newRow("free minute") << QByteArray() << QString() << QByteArray() << minute;
    }
    void aSecondLogOfTheMinuteTakesTheNextName() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, editingName);
        QFETCH(QByteArray, editingBytes);
        QFETCH(QString, written);
        QTemporaryDir dir;
        const SavedLogs logs{tallimo::CalculatorFolder(dir.path())};
        QVERIFY(logs.ensureFolder());
        const QString minute = QStringLiteral("2026-12-6--9-5");
        QVERIFY(common::writeBytes(QDir(logs.folderPath()).filePath(QStringLiteral("2026-12-6--10-0")), "x"));
        QVERIFY(common::writeBytes(QDir(logs.folderPath()).filePath(QStringLiteral("2026-12-1--8-0")), "A"));
        if (!stored.isEmpty())
            QVERIFY(common::writeBytes(QDir(logs.folderPath()).filePath(minute), stored));
        std::optional<tallimo::SavedLog> editing;
        if (!editingName.isEmpty())
            editing = tallimo::SavedLog{editingName, editingBytes};
        const QDateTime moment(QDate(2026, 12, 6), QTime(9, 5, 30));
        const common::Result<QString> saved = logs.save("B", moment, editing);
        QVERIFY(saved);
        QCOMPARE(*saved, written);
        QCOMPARE(logs.read(written).value_or("(none)"), QByteArray("B"));
        if (written != minute)
            QCOMPARE(logs.read(minute).value_or("(none)"), stored);
        QStringList expected = {QStringLiteral("2026-12-6--10-0"), minute, QStringLiteral("2026-12-1--8-0")};
        if (written != minute)
            expected.insert(2, written);
        QCOMPARE(logs.names(), expected);
        // A third save of that minute goes after both.
        if (written != minute)
            QCOMPARE(logs.save("C", moment), minute + "-3");
    }

    void listsOnlyPlainFiles() {
        QTemporaryDir dir;
        const SavedLogs logs{tallimo::CalculatorFolder(dir.path())};
        QVERIFY(logs.names().isEmpty()); // no folder yet
        QVERIFY(logs.ensureFolder());
        QVERIFY(QDir(logs.folderPath()).mkdir(QStringLiteral("subcarpeta")));
        QVERIFY(common::writeBytes(QDir(logs.folderPath()).filePath(QStringLiteral(".oculto")), "x"));
        QVERIFY(common::writeBytes(QDir(logs.folderPath()).filePath(QStringLiteral("2026-1-1--0-0")), "x"));
        // A save cut short leaves its hidden staging file; a FIFO is never waited for.
        QVERIFY(common::writeBytes(
            QDir(logs.folderPath()).filePath(QStringLiteral(".2026-1-1--0-0.quindara-AbC123.tmp")), "y"));
        const QString fifo = QDir(logs.folderPath()).filePath(QStringLiteral("2026-1-2--0-0"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QCOMPARE(logs.names(), QStringList({QStringLiteral("2026-1-1--0-0")}));
        QVERIFY(!logs.read(QStringLiteral("2026-1-2--0-0")).has_value());
    }

    void refusesNamesOutsideTheFolder() {
        QTemporaryDir dir;
        QVERIFY(common::writeBytes(dir.filePath(QStringLiteral("operacion.txt")), "log"));
        const SavedLogs logs{tallimo::CalculatorFolder(dir.path())};
        QVERIFY(logs.ensureFolder());
        QVERIFY(!logs.read(QStringLiteral("../operacion.txt")));
        QVERIFY(!logs.remove(QStringLiteral("../operacion.txt")));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("operacion.txt"))));
    }

    void saveFailsWhenTheFolderCannotExist() {
        QTemporaryDir dir;
        // A file where the folder should be: the folder can never be made.
        QVERIFY(common::writeBytes(dir.filePath(QStringLiteral("operaciones")), "x"));
        const SavedLogs logs{tallimo::CalculatorFolder(dir.path())};
        QVERIFY(!logs.ensureFolder());
        const common::Result<QString> saved = logs.save("log", QDateTime(QDate(2026, 12, 6), QTime(9, 5)));
        QVERIFY(!saved);
        QVERIFY(!saved.error().isEmpty());
    }
};

QTEST_GUILESS_MAIN(SavedLogsTest)
#include "tst_savedlogs.moc"
