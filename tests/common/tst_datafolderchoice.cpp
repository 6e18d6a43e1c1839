// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/commandline.h"
#include "common/datafolderchoice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using common::FolderSource;
using common::Program;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class DataFolderChoiceTest : public QObject {
    Q_OBJECT

private slots:
    // Folders are relative to a scratch root; `tree` lists the folders that exist before the choice.
    void choosesTheFolderInOrder_data() {
        QTest::addColumn<Program>("program");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("executableFolder");
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QString>("dataFolder");
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<FolderSource>("source");

        const QStringList portable = {"port/santoral", "port/dias", "port/tallimo/configuracion"};
        QTest::newRow("option, relative to the working folder") << Program::Agenda << "otra/../mia"
                                                                << "env"
                                                                << "port" << portable << "work/mia"
                                                                << "work/mia" << FolderSource::Option;
        QTest::newRow("environment when no option") << Program::Agenda << ""
                                                    << "/abs/env"
                                                    << "port" << portable << "/abs/env"
                                                    << "/abs/env" << FolderSource::Environment;
        QTest::newRow("portable folder holding the agenda tree") << Program::Agenda << ""
                                                                 << ""
                                                                 << "port" << portable << "port"
                                                                 << "port" << FolderSource::ProgramFolder;
        QTest::newRow("installed agenda: home") << Program::Agenda << ""
                                                << ""
                                                << "usr/bin" << portable << "home/Quindara"
                                                << "home/Quindara" << FolderSource::Home;
        QTest::newRow("a folder with only some of the tree is not portable")
            << Program::Agenda << ""
            << ""
            << "half" << QStringList{"half/santoral"} << "home/Quindara"
            << "home/Quindara" << FolderSource::Home;
        QTest::newRow("calculator: option names the agenda folder")
            << Program::Calculator << "mia"
            << ""
            << "usr/bin" << portable << "work/mia"
            << "work/mia/tallimo" << FolderSource::Option;
        QTest::newRow("calculator: environment") << Program::Calculator << ""
                                                 << "/abs/env"
                                                 << "usr/bin" << portable << "/abs/env"
                                                 << "/abs/env/tallimo" << FolderSource::Environment;
        QTest::newRow("calculator in the portable folder") << Program::Calculator << ""
                                                           << ""
                                                           << "port/tallimo" << portable << "port"
                                                           << "port/tallimo" << FolderSource::ProgramFolder;
        QTest::newRow("calculator in a tallimo folder under the agenda tree")
            << Program::Calculator << ""
            << ""
            << "port/tallimo" << QStringList{"port/santoral", "port/dias"} << "port"
            << "port/tallimo" << FolderSource::ProgramFolder;
        QTest::newRow("installed calculator: home") << Program::Calculator << ""
                                                    << ""
                                                    << "usr/bin" << portable << "home/Quindara"
                                                    << "home/Quindara/tallimo" << FolderSource::Home;
        QTest::newRow("calculator in a folder of another name: home")
            << Program::Calculator << ""
            << ""
            << "other" << QStringList{"other/configuracion"} << "home/Quindara"
            << "home/Quindara/tallimo" << FolderSource::Home;
    }

    void choosesTheFolderInOrder() {
        QFETCH(Program, program);
        QFETCH(QString, option);
        QFETCH(QString, environment);
        QFETCH(QString, executableFolder);
        QFETCH(QStringList, tree);
        QFETCH(QString, dataFolder);
        QFETCH(QString, programFolder);
        QFETCH(FolderSource, source);

        QTemporaryDir scratch;
        const QDir root(scratch.path());
        for (const QString& folder : tree)
            QVERIFY(root.mkpath(folder));
        const auto under = [&root](const QString& path) {
            return QDir::isAbsolutePath(path) ? path : root.filePath(path);
        };

        common::FolderRequest request;
        request.option = option;
        request.environment = environment;
        request.programFolder = root.filePath(executableFolder);
        request.homeFolder = root.filePath(QStringLiteral("home"));
        request.workingFolder = root.filePath(QStringLiteral("work"));
        const common::FolderChoice choice = common::chooseDataFolder(program, request);
        QCOMPARE(choice.dataFolder, under(dataFolder));
        QCOMPARE(choice.programFolder, under(programFolder));
        QCOMPARE(choice.source, source);
    }

    // The first start fills a new folder from the installed tree; nothing already there is replaced.
    void firstStartFillsWithoutOverwriting() {
        QTemporaryDir scratch;
        const QDir root(scratch.path());
        const QString share = root.filePath(QStringLiteral("share"));
        writeFile(share + "/santoral/1 de ENERO.txt", "shipped saint");
        writeFile(share + "/santoral/2 de ENERO.txt", "shipped saint 2");
        writeFile(share + "/fondo.jpg", "picture");
        writeFile(share + "/tallimo/configuracion/inicio.txt", "shipped start");
        QVERIFY(root.mkpath(QStringLiteral("share/dias")));

        const QString data = root.filePath(QStringLiteral("data"));
        QVERIFY(common::needsShippedContent(Program::Calculator, data));
        QVERIFY(common::copyMissingShippedContent(Program::Calculator, share, data).isEmpty());
        QCOMPARE(readFile(data + "/tallimo/configuracion/inicio.txt"), QByteArray("shipped start"));
        QVERIFY(!QFileInfo::exists(data + "/fondo.jpg"));
        QVERIFY(!common::needsShippedContent(Program::Calculator, data));

        writeFile(data + "/santoral/1 de ENERO.txt", "my own saint");
        writeFile(data + "/tallimo/configuracion/inicio.txt", "my start");
        QVERIFY(common::needsShippedContent(Program::Agenda, data));
        QVERIFY(common::copyMissingShippedContent(Program::Agenda, share, data).isEmpty());
        QCOMPARE(readFile(data + "/santoral/1 de ENERO.txt"), QByteArray("my own saint"));
        QCOMPARE(readFile(data + "/santoral/2 de ENERO.txt"), QByteArray("shipped saint 2"));
        QCOMPARE(readFile(data + "/fondo.jpg"), QByteArray("picture"));
        QCOMPARE(readFile(data + "/tallimo/configuracion/inicio.txt"), QByteArray("my start"));
        QVERIFY(!common::needsShippedContent(Program::Agenda, data));

        // Without an installed tree the folders are still made, so the programs can save.
        const QString bare = root.filePath(QStringLiteral("bare"));
        QVERIFY(common::copyMissingShippedContent(Program::Agenda, QString(), bare).isEmpty());
        QVERIFY(QFileInfo(bare).isDir());
    }

    void readsTheCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<common::CommandLineAction>("action");
        QTest::addColumn<QString>("folder");

        using A = common::CommandLineAction;
        QTest::newRow("nothing") << QStringList{} << A::OpenWindow << "";
        QTest::newRow("folder") << QStringList{"--folder", "/x y"} << A::OpenWindow << "/x y";
        QTest::newRow("folder=") << QStringList{"--folder=rel"} << A::OpenWindow << "rel";
        QTest::newRow("help") << QStringList{"--help"} << A::ShowHelp << "";
        QTest::newRow("-h with a folder lacking its value")
            << QStringList{"-h", "--folder"} << A::Refuse << "";
        QTest::newRow("version") << QStringList{"-v"} << A::ShowVersion << "";
        QTest::newRow("folder without value") << QStringList{"--folder"} << A::Refuse << "";
        QTest::newRow("empty folder") << QStringList{"--folder="} << A::Refuse << "";
        QTest::newRow("unknown option") << QStringList{"--carpeta", "x"} << A::Refuse << "";
        QTest::newRow("stray argument") << QStringList{"x"} << A::Refuse << "";
        QTest::newRow("remind") << QStringList{"--folder", "f", "--remind", "--again"} << A::Remind << "f";
        QTest::newRow("remind with another action") << QStringList{"--remind", "--sync"} << A::Refuse << "";
        QTest::newRow("again without remind") << QStringList{"--again"} << A::Refuse << "";
        QTest::newRow("day") << QStringList{"--day", "2026-12-08"} << A::OpenWindow << "";
        QTest::newRow("day out of the calendar") << QStringList{"--day", "2101-01-01"} << A::Refuse << "";
        QTest::newRow("today not a date") << QStringList{"--remind", "--today", "8/12"} << A::Refuse << "";
    }

    void readsTheCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(common::CommandLineAction, action);
        QFETCH(QString, folder);
        common::CommandLine commandLine(Program::Agenda);
        const common::CommandLineOptions options = commandLine.read(QStringList{"quindara"} + arguments);
        QCOMPARE(options.action, action);
        QCOMPARE(options.folder, folder);
        QCOMPARE(options.error.isEmpty(), action != common::CommandLineAction::Refuse);
    }
};

QTEST_GUILESS_MAIN(DataFolderChoiceTest)
#include "tst_datafolderchoice.moc"
