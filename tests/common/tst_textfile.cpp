#include "common/textfile.h"
#include "common/timestamp.h"
#include "common/units.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using common::Ending;

class TextFileTest : public QObject {
    Q_OBJECT

private slots:
    void zonedEndingFillsToTheNextZone_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("blanks");
        QTest::newRow("empty") << QString() << 14;
        QTest::newRow("13 characters") << QString(13, u'a') << 1;
        QTest::newRow("14 characters") << QString(14, u'a') << 14;
        QTest::newRow("15 characters") << QString(15, u'a') << 13;
        QTest::newRow("last line counts") << QStringLiteral("a long first line here\nabc") << 11;
    }
    void zonedEndingFillsToTheNextZone() {
        QFETCH(QString, text);
        QFETCH(int, blanks);
        const QByteArray bytes = common::encodeText(text, Ending::Zoned);
        QString expected = text;
        expected.replace(u'\n', QStringLiteral("\r\n"));
        QCOMPARE(bytes, (expected + QString(blanks, u' ')).toUtf8());
    }

    void loadSaveCycleKeepsTheBytes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("ending");
        const QStringList texts = {QString(),
                                   QStringLiteral("Reyes"),
                                   QString(14, u'x'),
                                   QStringLiteral("dos\nlíneas MIÉRCOLES"),
                                   QStringLiteral("fin\n"),
                                   QStringLiteral("blancos   ")};
        const QList<std::pair<const char*, Ending>> endings = {
            {"line", Ending::Line}, {"bare", Ending::Bare}, {"zoned", Ending::Zoned}};
        for (const auto& [name, ending] : endings)
            for (const QString& text : texts)
                QTest::addRow("%s: %s", name, qPrintable(text)) << text << int(ending);
    }
    void loadSaveCycleKeepsTheBytes() {
        QFETCH(QString, text);
        QFETCH(int, ending);
        const auto kind = Ending(ending);
        const QByteArray first = common::encodeText(text, kind);
        const QString loaded = common::textFromBytes(first, kind);
        QCOMPARE(common::encodeText(loaded, kind), first);
        if (kind != Ending::Zoned || !text.endsWith(u' '))
            QCOMPARE(loaded, text);
    }

    void olderFilesStillLoad() {
        // Written by hand or by older installs: LF only, lone CR, no ending at all.
        QCOMPARE(common::textFromBytes("uno\ndos\n", Ending::Line), QStringLiteral("uno\ndos"));
        QCOMPARE(common::textFromBytes("uno\rdos", Ending::Bare), QStringLiteral("uno\ndos"));
        QCOMPARE(common::textFromBytes("sin final", Ending::Zoned), QStringLiteral("sin final"));
    }

    void windows1252IsReadWhenNotUtf8() {
        const QByteArray bytes("MI\xC9RCOLES \x80 \x93hola\x94");
        QCOMPARE(common::decodeText(bytes), QStringLiteral("MIÉRCOLES € “hola”"));
        QCOMPARE(common::decodeText(QStringLiteral("SÁBADO").toUtf8()), QStringLiteral("SÁBADO"));
    }

    // What a file holds, what the box shows, and what saving that text back writes.
    void savingWhatWasReadKeepsTheText_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("ending");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray bom("\xEF\xBB\xBF");
        QTest::newRow("byte-order mark, zoned")
            << bom + "Mi\xC3\xA9rcoles     " << int(Ending::Zoned) << QStringLiteral("Miércoles")
            << bom + "Mi\xC3\xA9rcoles     ";
        QTest::newRow("byte-order mark, line")
            << bom + "uno\r\ndos\r\n"
            << int(Ending::Line) << QStringLiteral("uno\ndos") << bom + "uno\r\ndos\r\n";
        QTest::newRow("one stray 8-bit byte")
            << QByteArray("Mi\xC3\xA9rcoles, caf\xE9") << int(Ending::Bare)
            << QStringLiteral("Miércoles, café") << QByteArray("Mi\xC3\xA9rcoles, caf\xC3\xA9");
        QTest::newRow("cut sequence at the end") << QByteArray("\xC3\xB1"
                                                               "and\xC3")
                                                 << int(Ending::Bare) << QStringLiteral("ñandÃ")
                                                 << QByteArray("\xC3\xB1"
                                                               "and\xC3\x83");
        QTest::newRow("overlong and surrogate forms")
            << QByteArray("\xC0\xAF \xED\xA0\x80") << int(Ending::Bare) << QStringLiteral("À¯ í\u00A0€")
            << QStringLiteral("À¯ í\u00A0€").toUtf8();
    }
    void savingWhatWasReadKeepsTheText() {
        QFETCH(QByteArray, stored);
        QFETCH(int, ending);
        QFETCH(QString, shown);
        QFETCH(QByteArray, saved);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nota.txt"));
        QVERIFY(common::writeBytes(path, stored));
        const QString text = common::readTextOrEmpty(path, Ending(ending));
        QCOMPARE(text, shown);
        QVERIFY(common::writeText(path, text, Ending(ending)));
        QCOMPARE(*common::readBytes(path), saved);
        // A list keeps its mark too.
        if (ending == int(Ending::Line)) {
            QVERIFY(common::writeLines(path, common::readLines(path)));
            QCOMPARE(*common::readBytes(path), saved);
        }
    }

    void readLinesKeepsEmptyLines() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lista.txt"));
        QVERIFY(common::writeLines(path, {QStringLiteral("a.doc"), QString(), QStringLiteral("c.pdf")}));
        QCOMPARE(*common::readBytes(path), QByteArray("a.doc\r\n\r\nc.pdf\r\n"));
        QCOMPARE(common::readLines(path),
                 QStringList({QStringLiteral("a.doc"), QString(), QStringLiteral("c.pdf")}));
        QVERIFY(common::readLines(dir.filePath(QStringLiteral("none"))).isEmpty());
    }

    void failedWriteLeavesTheOldFile() {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders; the file-size limit case covers it");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nota.txt"));
        QVERIFY(common::writeText(path, QStringLiteral("antes"), Ending::Line));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const common::Status written = common::writeText(path, QStringLiteral("después"), Ending::Line);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QVERIFY(!written.error().isEmpty());
        QCOMPARE(common::readTextOrEmpty(path, Ending::Line), QStringLiteral("antes"));
    }

    void writeCutShortLeavesTheOldFile() {
        // A file-size limit makes the write fail half way, even for root: like a full disk.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nota.txt"));
        QVERIFY(common::writeText(path, QStringLiteral("antes"), Ending::Zoned));
        const QByteArray before = *common::readBytes(path);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit original{};
        ::getrlimit(RLIMIT_FSIZE, &original);
        rlimit limited = original;
        limited.rlim_cur = 1024;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        const common::Status written = common::writeText(path, QString(100000, u'x'), Ending::Zoned);
        ::setrlimit(RLIMIT_FSIZE, &original);
        QVERIFY(!written);
        QCOMPARE(*common::readBytes(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList(QStringLiteral("nota.txt")));
    }

    void failedWriteIntoMissingFolderIsReported() {
        QTemporaryDir dir;
        QVERIFY(!common::writeText(dir.filePath(QStringLiteral("no/hay/x.txt")), QStringLiteral("x"),
                                   Ending::Line));
        QVERIFY(!common::readText(dir.filePath(QStringLiteral("no/hay/x.txt")), Ending::Line).has_value());
    }

    void timeStampNamesHaveNoLeadingZeros_data() {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("name");
        QTest::newRow("evening") << QDateTime(QDate(2011, 10, 1), QTime(23, 5))
                                 << QStringLiteral("2011-10-1--23-5");
        QTest::newRow("midnight") << QDateTime(QDate(2005, 1, 2), QTime(0, 0))
                                  << QStringLiteral("2005-1-2--0-0");
    }
    void timeStampNamesHaveNoLeadingZeros() {
        QFETCH(QDateTime, moment);
        QFETCH(QString, name);
        QCOMPARE(common::timeStampName(moment), name);
    }

    void unitsConvert() {
        QCOMPARE(common::twips(13890), 926);
        QCOMPARE(common::twips(495), 33);
        QCOMPARE(common::bgrColor(0x0080C0FF), QColor(0xFF, 0xC0, 0x80));
        QCOMPARE(common::bgrColor(65535), QColor(Qt::yellow));
        QCOMPARE(common::bgrValue(QColor(Qt::red)), 255u);
    }
};

QTEST_GUILESS_MAIN(TextFileTest)
#include "tst_textfile.moc"
