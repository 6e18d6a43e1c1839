// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/core/days/daytexts.h"
#include "agendafixture.h"

#include <QCheckBox>
#include <QProcess>
#include <QProgressDialog>
#include <QTimer>

using namespace quindara;

namespace {

const QDate kToday(2026, 12, 7);

void fillSource(const DataFolder& data, bool contacts) {
    QVERIFY(data.createMissingFolders());
    if (contacts) {
        const QStringList card = {QStringLiteral("Núñez"),
                                  QStringLiteral("Ana"),
                                  {},
                                  QStringLiteral("León"),
                                  QStringLiteral("600 000 000"),
                                  {},
                                  {}};
        for (const QString& category : {QStringLiteral("Amigos"), folders::allContacts}) {
            QDir().mkpath(data.categoryFolder(category));
            QVERIFY(writeContactCard(data.contactFile(category, card.first()), card));
        }
        return;
    }
    QCOMPARE(storeDayText(data, DayTextKind::Holiday, QStringLiteral("24"), QStringLiteral("DICIEMBRE"),
                          QStringLiteral("2026"), QStringLiteral("Nochebuena")),
             DayTextChange::Written);
}

} // namespace

class ExchangeWindowTest : public QObject {
    Q_OBJECT

private slots:
    // Through the page as the user does it: export from one agenda, import into an empty one; the file,
    // the summaries, the grid marks and the address book follow.
    void exportThenImport_data() {
        QTest::addColumn<bool>("contacts");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("exportSummary");
        QTest::addColumn<QString>("importSummary");
        QTest::addColumn<QString>("importedFile");
        QTest::newRow("calendar") << false << "agenda.ics"
                                  << "1 fiesta, "
                                  << "Fiestas: 1 añadida, 0 ya estaban." << QString();
        QTest::newRow("contacts") << true << "amigos.vcf"
                                  << ": 1."
                                  << "Contactos: 1 añadido, 0 ya estaban."
                                  << "direcciones/Amigos/Núñez";
    }
    void exportThenImport() {
        QFETCH(bool, contacts);
        QFETCH(QString, fileName);
        QFETCH(QString, exportSummary);
        QFETCH(QString, importSummary);
        QFETCH(QString, importedFile);
        QTemporaryDir out;
        const QString file = out.filePath(fileName);

        AgendaFixture source(kToday);
        fillSource(DataFolder(source.programFolder), contacts);
        source.open();
        QVERIFY(source.click(QStringLiteral("exchangeButton")));
        QVERIFY(source.isShown(QStringLiteral("exchangePage")));
        QCOMPARE(source.backColour(QStringLiteral("exchangePage")),
                 source.backColour(QStringLiteral("exchangeButton")));
        source.desktop.saveFileAnswer = file;
        if (contacts)
            QVERIFY(source.choose(QStringLiteral("exportCategoryCombo"), QStringLiteral("Amigos")));
        QVERIFY(
            source.click(contacts ? QStringLiteral("exportVcfButton") : QStringLiteral("exportIcsButton")));
        QCOMPARE(source.desktop.calls.constLast().extra.value(1),
                 contacts ? QStringLiteral("Contactos (*.vcf)") : QStringLiteral("Calendario (*.ics)"));
        const QString exported = source.find<QPlainTextEdit>(QStringLiteral("resultText"))->toPlainText();
        QVERIFY2(exported.contains(exportSummary), qPrintable(exported));
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains(contacts ? "Núñez" : "Nochebuena"));

        AgendaFixture target(kToday);
        target.open();
        QCOMPARE(target.dayColour(24), colours::weekday);
        QVERIFY(target.click(QStringLiteral("exchangeButton")));
        target.desktop.openFileAnswer = file;
        if (contacts)
            target.find<QLineEdit>(QStringLiteral("importCategoryEdit"))->setText(QStringLiteral("Amigos"));
        else
            target.find<QCheckBox>(QStringLiteral("asHolidaysCheck"))->setChecked(true);
        QVERIFY(
            target.click(contacts ? QStringLiteral("importVcfButton") : QStringLiteral("importIcsButton")));
        const QString imported = target.find<QPlainTextEdit>(QStringLiteral("resultText"))->toPlainText();
        QVERIFY2(imported.contains(importSummary), qPrintable(imported));
        const DataFolder data(target.programFolder);
        QVERIFY(QFileInfo(contacts ? QDir(target.programFolder).filePath(importedFile)
                                   : data.holidayFile(annualKey(QDate(2026, 12, 24))))
                    .isFile());
        if (contacts)
            QVERIFY(target.find<QComboBox>(QStringLiteral("Combo3"))->findText(QStringLiteral("Amigos")) >=
                    0);
        else
            QCOMPARE(target.dayColour(24), colours::holiday);
    }

    // The "Sincronizar" page opens from the tool row's indicator, by Ctrl+Shift+S and from the exchange page;
    // the window takes the indicator's colour. With no account the indicator says so.
    void syncPageOpens_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("indicator") << "syncButton";
        QTest::newRow("Ctrl+Shift+S") << QString();
        QTest::newRow("exchange page") << "syncSetupButton";
    }
    void syncPageOpens() {
        QFETCH(QString, way);
        AgendaFixture agenda(kToday);
        agenda.open();
        QVERIFY(!agenda.isShown(QStringLiteral("syncPage")));
        QCOMPARE(agenda.button(QStringLiteral("syncButton"))->toolTip(),
                 QStringLiteral("Sin sincronizar con un servidor (Ctrl+Mayús+S)"));
        if (way.isEmpty()) {
            QVERIFY(QTest::qWaitForWindowActive(agenda.window.get()));
            QWidget* focused =
                QApplication::focusWidget() ? QApplication::focusWidget() : agenda.window.get();
            QTest::keyClick(focused, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        } else {
            if (way == QStringLiteral("syncSetupButton"))
                QVERIFY(agenda.click(QStringLiteral("exchangeButton")));
            QVERIFY(agenda.click(way));
        }
        QVERIFY(agenda.isShown(QStringLiteral("syncPage")));
        QVERIFY(!agenda.isShown(QStringLiteral("exchangePage")));
        QCOMPARE(agenda.backColour(QStringLiteral("Form1")), agenda.backColour(QStringLiteral("syncButton")));
        QCOMPARE(agenda.text(QStringLiteral("statusLabel")),
                 QStringLiteral("Sin sincronizar con un servidor"));
        QVERIFY(agenda.click(QStringLiteral("Command6_0")));
        QVERIFY(!agenda.isShown(QStringLiteral("syncPage")));
    }

    // The progress dialog is there from the start of an import, and its "Cancelar" stops it before the next
    // file: the summary says so and counts only what was written.
    void cancelOnTheProgressDialog() {
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("muchos.vcf"));
        QByteArray cards;
        for (int i = 0; i < 300; ++i)
            cards += "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Apellido" + QByteArray::number(i) +
                     ";Ana;;;\r\nEND:VCARD\r\n";
        QFile written(file);
        QVERIFY(written.open(QIODevice::WriteOnly) && written.write(cards) == cards.size());
        written.close();

        AgendaFixture target(kToday);
        target.open();
        QVERIFY(target.click(QStringLiteral("exchangeButton")));
        target.desktop.openFileAnswer = file;
        bool cancelled = false;
        // Runs at the import's first look at the window's events.
        QTimer::singleShot(0, target.window.get(), [&] {
            if (auto* dialog =
                    target.window->findChild<QProgressDialog*>(QStringLiteral("exchangeProgress"))) {
                dialog->cancel();
                cancelled = true;
            }
        });
        QVERIFY(target.click(QStringLiteral("importVcfButton")));
        QVERIFY(cancelled);
        const QString summary = target.find<QPlainTextEdit>(QStringLiteral("resultText"))->toPlainText();
        QVERIFY2(summary.startsWith(QStringLiteral("Importación cancelada")), qPrintable(summary));
        QVERIFY2(summary.contains(QStringLiteral("Contactos: 0 añadidos")), qPrintable(summary));
        QCOMPARE(QDir(QDir(target.programFolder).filePath(QStringLiteral("direcciones/Todos")))
                     .entryList(QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // The command line answers without a window: the summary on the terminal and the exit code. A refusal
    // says why once, on standard error, and nothing else; the program is named by its name, never by the
    // path it was started with.
    void commandLine_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QString agenda = QStringLiteral(QUINDARA_AGENDA);
        QTest::newRow("export") << agenda << QStringList{"--export-ics", "@/a.ics", "--with-notes"} << 0
                                << "Calendario exportado";
        QTest::newRow("import") << agenda << QStringList{"--import-ics", "@/a.ics", "--as-holidays"} << 0
                                << "Calendario importado";
        QTest::newRow("refused file")
            << agenda << QStringList{"--import-vcf", "@/a.ics"} << 1 << "No se ha importado nada";
        QTest::newRow("unknown category")
            << agenda << QStringList{"--export-vcf", "@/b.vcf", "--category", "Nadie"} << 2 << "Nadie";
        QTest::newRow("no file") << agenda << QStringList{"--import-ics"} << 2 << "--import-ics";
        QTest::newRow("modifier of another")
            << agenda << QStringList{"--export-vcf", "@/b.vcf", "--as-holidays"} << 2 << "--as-holidays";
        QTest::newRow("two at once") << agenda
                                     << QStringList{"--export-ics", "@/a.ics", "--export-vcf", "@/b.vcf"} << 2
                                     << "Solo se puede usar una de las opciones";
        QTest::newRow("unwritable") << agenda << QStringList{"--export-ics", "@/no/such/folder/a.ics"} << 3
                                    << "a.ics";
        QTest::newRow("sync without an account") << agenda << QStringList{"--sync"} << 2 << "--sync-setup";
        QTest::newRow("sync setup without a user")
            << agenda << QStringList{"--sync-setup", "http://127.0.0.1:1/"} << 2 << "--user";
        QTest::newRow("user without sync setup")
            << agenda << QStringList{"--user", "ana"} << 2 << "La opción --user solo sirve con --sync-setup.";
        QTest::newRow("sync with an import")
            << agenda << QStringList{"--sync", "--import-ics", "@/a.ics"} << 2 << "otras acciones";
        QTest::newRow("sync setup, no server")
            << agenda << QStringList{"--sync-setup", "http://127.0.0.1:1/", "--user", "ana"} << 4
            << "el servidor rechaza la conexión";
        QTest::newRow("sync setup, plain http to another machine")
            << agenda << QStringList{"--sync-setup", "http://example.com/", "--user", "ana"} << 1
            << "sin cifrar (http) solo se admite";
        QTest::newRow("calculator") << QStringLiteral(QUINDARA_TALLIMO)
                                    << QStringList{"--export-ics", "@/a.ics"} << 2 << "--export-ics";
        QTest::newRow("help") << agenda << QStringList{"--help"} << 0 << "quindara [";
    }
    void commandLine() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        static QTemporaryDir folder;
        static QTemporaryDir files;
        QVERIFY(DataFolder(folder.path()).createMissingFolders());
        QCOMPARE(storeDayText(DataFolder(folder.path()), DayTextKind::Holiday, QStringLiteral("1"),
                              QStringLiteral("ENERO"), QStringLiteral("2027"), QStringLiteral("Año nuevo")),
                 DayTextChange::Written);
        arguments.replaceInStrings(QStringLiteral("@"), files.path());
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.start(program, QStringList{QStringLiteral("--folder"), folder.path()} + arguments);
        QVERIFY(process.waitForFinished(30000));
        const QString standardOutput = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString standardError = QString::fromLocal8Bit(process.readAllStandardError());
        const QString said = exitCode == 0 ? standardOutput : standardError;
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(said.contains(output), qPrintable(standardOutput + standardError));
        QCOMPARE(process.exitCode(), exitCode);
        if (exitCode != 0) {
            QVERIFY2(standardOutput.isEmpty(), qPrintable(standardOutput));
            QVERIFY2(!standardError.contains(QStringLiteral("quindara.")), qPrintable(standardError));
        }
        if (exitCode == 1 || exitCode == 2)
            QCOMPARE(standardError.count(output), 1);
        QVERIFY2(!said.contains(program), qPrintable(said));
    }
};

QTEST_MAIN(ExchangeWindowTest)
#include "tst_exchangewindow.moc"
