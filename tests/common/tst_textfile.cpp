// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/leftoversavefiles.h"
#include "common/regularfile.h"
#include "common/textfile.h"
#include "common/timestamp.h"
#include "common/units.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
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
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList(QStringLiteral("nota.txt")));
    }

    // The bytes wait in a hidden file with the programs' mark beside the file, which no list shows and
    // the sweep at start removes; the file put in place keeps the mode of the one it replaces.
    void writesGoThroughAHiddenMarkedFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("contrato"));
        common::AtomicFile fresh(path);
        QVERIFY(fresh.open() && fresh.write("uno"));
        const QStringList staged = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(staged.size(), 1);
        QVERIFY2(staged.first().startsWith(QStringLiteral(".contrato.")), qPrintable(staged.first()));
        QVERIFY(common::isOwnScratchName(QFile::encodeName(staged.first())));
        QVERIFY(fresh.commit());
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, 0666 & ~mask);
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
        QVERIFY(common::writeBytes(path, "dos"));
        QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList(QStringLiteral("contrato")));
    }

    // Under the data folder only regular files are read or replaced, and a link only when it stays inside:
    // a FIFO is never waited for, and a file outside the folder keeps its bytes.
    void onlyRegularFilesInsideTheDataFolder_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("usable");
        QTest::newRow("regular file") << "regular" << true;
        QTest::newRow("link to a file inside") << "inside" << true;
        QTest::newRow("link out of the folder") << "outside" << false;
        QTest::newRow("link to a link out of the folder") << "twice" << false;
        QTest::newRow("FIFO") << "fifo" << false;
        QTest::newRow("folder") << "folder" << false;
    }
    void onlyRegularFilesInsideTheDataFolder() {
        QFETCH(QString, kind);
        QFETCH(bool, usable);
        QTemporaryDir outside;
        QTemporaryDir data;
        common::setDataFolderRoot(data.path());
        const QDir root(data.path());
        QVERIFY(root.mkpath(QStringLiteral("dias")) && root.mkpath(QStringLiteral("fiestas")));
        const QString secret = outside.filePath(QStringLiteral("passwd"));
        QVERIFY(common::writeBytes(secret, "secreto\r\n"));
        const QString inside = root.filePath(QStringLiteral("fiestas/6 de ENERO.txt"));
        QVERIFY(common::writeBytes(inside, "dentro\r\n"));
        const QString path = root.filePath(QStringLiteral("dias/nota.txt"));
        if (kind == "regular")
            QVERIFY(common::writeBytes(path, "dentro\r\n"));
        else if (kind == "inside")
            QVERIFY(QFile::link(QStringLiteral("../fiestas/6 de ENERO.txt"), path));
        else if (kind == "outside")
            QVERIFY(QFile::link(secret, path));
        else if (kind == "twice")
            QVERIFY(QFile::link(secret, inside + QStringLiteral(".enlace")) &&
                    QFile::link(inside + QStringLiteral(".enlace"), path));
        else if (kind == "fifo")
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        else
            QVERIFY(root.mkpath(path));

        const auto read = common::readText(path, Ending::Line);
        QCOMPARE(read.has_value(), usable);
        if (usable)
            QCOMPARE(*read, QStringLiteral("dentro"));
        const common::Status written = common::writeText(path, QStringLiteral("cambiado"), Ending::Line);
        common::setDataFolderRoot(QString());
        QCOMPARE(written.ok(), usable);
        if (kind == "outside")
            QCOMPARE(written.error(),
                     QStringLiteral("el archivo es un enlace a una ruta fuera de la carpeta de datos"));
        QCOMPARE(common::readBytes(secret), QByteArray("secreto\r\n"));
        if (kind == "inside") {
            QVERIFY(QFileInfo(path).isSymLink());
            QCOMPARE(common::readBytes(inside), QByteArray("cambiado\r\n"));
        }
        // Nothing was left beside it.
        QCOMPARE(QDir(root.filePath(QStringLiteral("dias")))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList(QStringLiteral("nota.txt")));
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
        QCOMPARE(common::bgrColour(0x0080C0FF), QColor(0xFF, 0xC0, 0x80));
        QCOMPARE(common::bgrColour(65535), QColor(Qt::yellow));
        QCOMPARE(common::bgrValue(QColor(Qt::red)), 255u);
    }
};

QTEST_GUILESS_MAIN(TextFileTest)
#include "tst_textfile.moc"
