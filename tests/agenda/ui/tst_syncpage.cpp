// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/dav/davdiscovery.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/sync/davsync.h"
#include "agenda/core/syncsetup/davaccount.h"
#include "agenda/ui/autosync.h"
#include "agendafixture.h"
#include "common/instancelock.h"
#include "tests/support/davserver.h"
#include "tests/support/privatekeyring.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTimer>

#include <sys/mount.h>
#include <unistd.h>

using namespace quindara;

namespace {

const QDate kToday(2026, 12, 7);

// Types the account into the page's controls as a user does, and asks for the server's calendars.
void discover(AgendaFixture& agenda, const DavServer& server) {
    QVERIFY(agenda.click(QStringLiteral("syncButton")));
    agenda.find<QLineEdit>(QStringLiteral("serverEdit"))->setText(server.url().toString());
    agenda.find<QLineEdit>(QStringLiteral("userEdit"))->setText(server.user());
    agenda.find<QLineEdit>(QStringLiteral("passwordEdit"))->setText(server.password());
    QVERIFY(agenda.click(QStringLiteral("discoverButton")));
}

// Sets up the account through the page and runs it once.
void setUpAccount(AgendaFixture& agenda, const DavServer& server, bool withNotes) {
    discover(agenda, server);
    QCOMPARE(agenda.items(QStringLiteral("calendarList")),
             QStringList{QStringLiteral("Crear «Quindara» en el servidor")});
    agenda.find<QCheckBox>(QStringLiteral("syncNotesCheck"))->setChecked(withNotes);
    QVERIFY(agenda.click(QStringLiteral("syncNowButton")));
}

// Opens the agenda on a folder whose only day text is a holiday on 24 December.
void openWithAHoliday(AgendaFixture& agenda, const DataFolder& data) {
    QVERIFY(data.createMissingFolders());
    QVERIFY(storeDayText(data, DayTextKind::Holiday, QStringLiteral("24"), QStringLiteral("DICIEMBRE"),
                         QStringLiteral("2026"), QStringLiteral("Nochebuena")));
    agenda.open();
}

// The whole of a label's text shows: on one line, or wrapped within the label's height.
bool showsAllOf(const QLabel* label) {
    return label->sizeHint().width() <= label->width() ||
           (label->wordWrap() && label->heightForWidth(label->width()) <= label->height());
}

QString fingerprintOf(const QString& certificate) {
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("x509"), QStringLiteral("-in"), certificate, QStringLiteral("-noout"),
                   QStringLiteral("-fingerprint"), QStringLiteral("-sha256")});
    openssl.waitForFinished();
    return QString::fromLatin1(openssl.readAllStandardOutput()).section(u'=', 1).trimmed();
}

// A self-signed certificate for 127.0.0.1 and its key in `folder`, named after `name`.
bool makeCertificate(const QString& folder, const QString& name) {
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:P-256"), QStringLiteral("-nodes"),
                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-keyout"),
                   QDir(folder).filePath(name + QStringLiteral(".key")), QStringLiteral("-out"),
                   QDir(folder).filePath(name + QStringLiteral(".pem"))});
    return openssl.waitForFinished() && openssl.exitCode() == 0;
}

} // namespace

class SyncPageTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;

private slots:
    void initTestCase() {
        // No keyring answers here, so the tests never reach the keyring of the desktop they run on.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home_.filePath(QStringLiteral("no-bus")).toUtf8());
        if (!DavServer::available(DavServer::Kind::Radicale))
            QSKIP("radicale is not installed");
    }

    // Without a keyring the password of an account lives for one run of the agenda: at the next start the
    // indicator and the page ask for it, and nothing runs until it is typed.
    void withoutKeyringThePasswordIsAskedAtStart() {
        AgendaFixture agenda(kToday);
        SyncAccount account;
        account.server = QUrl(QStringLiteral("https://servidor.example/"));
        account.user = QStringLiteral("ana");
        account.id = syncAccountId(account.server, account.user);
        QVERIFY(saveSyncAccount(DataFolder(agenda.programFolder), account));
        agenda.open();
        QTRY_VERIFY(
            agenda.button(QStringLiteral("syncButton"))
                ->toolTip()
                .startsWith(QStringLiteral("No hay un llavero en el escritorio: escriba la contraseña")));
        QVERIFY(!agenda.window->findChild<AutoSync*>()->schedule().due());
        QVERIFY(agenda.click(QStringLiteral("syncButton")));
        QVERIFY(agenda.isShown(QStringLiteral("keyringLabel")));
        QCOMPARE(agenda.text(QStringLiteral("serverEdit")), QStringLiteral("https://servidor.example/"));
        QCOMPARE(agenda.text(QStringLiteral("passwordEdit")), QString());
    }

    // On a folder that cannot take the account (its sync folder full), setting up from the page makes
    // nothing on the server and keeps no account.
    void aSetUpThatCannotBeSavedMakesNothing() {
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        DavServer server(DavServer::Kind::Radicale);
        QVERIFY(server.start());
        AgendaFixture agenda(kToday);
        const DataFolder data(agenda.programFolder);
        const QByteArray syncFolder = QFile::encodeName(syncFolderPath(data));
        QVERIFY(QDir().mkpath(syncFolderPath(data)));
        QVERIFY(::mount("tmpfs", syncFolder.constData(), "tmpfs", 0, "size=16k") == 0);
        const auto unmount = qScopeGuard([&] { ::umount2(syncFolder.constData(), MNT_DETACH); });
        QFile filler(QDir(syncFolderPath(data)).filePath(QStringLiteral("relleno")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
        agenda.open();
        setUpAccount(agenda, server, false);
        QVERIFY2(agenda.text(QStringLiteral("syncResultText"))
                     .startsWith(QStringLiteral("No se ha podido guardar la cuenta.")),
                 qPrintable(agenda.text(QStringLiteral("syncResultText"))));
        const DavDiscovery found = discoverCollections(server.url(), server.user(), server.password());
        QCOMPARE(found.calendars.size() + found.addressBooks.size(), 0);
        QVERIFY(readSyncAccounts(data).isEmpty());
    }

    // Set up from the page alone: the agenda's holiday reaches the server; what another agenda puts on the
    // server shows in the open window's grid after an automatic run; a note saved in the window reaches the
    // server a few seconds later. "Dejar de sincronizar" forgets the account and changes no data.
    void setUpSyncAndStop() {
        DavServer server(DavServer::Kind::Radicale);
        QVERIFY(server.start());
        AgendaFixture agenda(kToday);
        const DataFolder data(agenda.programFolder);
        openWithAHoliday(agenda, data);
        setUpAccount(agenda, server, true);
        QCOMPARE(agenda.items(QStringLiteral("calendarList")), QStringList{QStringLiteral("Quindara")});
        QCOMPARE(agenda.items(QStringLiteral("addressBookList")), QStringList{QStringLiteral("Quindara")});
        const QString result = agenda.text(QStringLiteral("syncResultText"));
        QVERIFY2(result.startsWith(QStringLiteral("Última sincronización: 07/12/2026 10:00")),
                 qPrintable(result));
        QVERIFY(agenda.button(QStringLiteral("syncButton"))
                    ->toolTip()
                    .startsWith(QStringLiteral("Sincronizado a las 10:00")));
        // No keyring here: the page says so, and the password lives for this run only.
        QVERIFY(agenda.isShown(QStringLiteral("keyringLabel")));

        // Another agenda on the same account.
        AgendaFixture other(kToday);
        const DataFolder otherData(other.programFolder);
        QVERIFY(otherData.createMissingFolders());
        const QList<SyncAccount> accounts = readSyncAccounts(data);
        QCOMPARE(accounts.size(), 1);
        QVERIFY(saveSyncAccount(otherData, accounts.first()));
        QCOMPARE(runSync(otherData, accounts.first(), server.password()).exitCode(), 0);
        QCOMPARE(readDayText(otherData, DayTextKind::Holiday, QStringLiteral("24"),
                             QStringLiteral("DICIEMBRE"), QStringLiteral("2026"))
                     .text,
                 QStringLiteral("Nochebuena"));
        QVERIFY(storeDayText(otherData, DayTextKind::Holiday, QStringLiteral("31"),
                             QStringLiteral("DICIEMBRE"), QStringLiteral("2026"),
                             QStringLiteral("Nochevieja")));
        QCOMPARE(runSync(otherData, accounts.first(), server.password()).exitCode(), 0);

        // The next run falls due while a question about a note changed elsewhere is open: it waits for the
        // answer.
        auto* autoSync = agenda.window->findChild<AutoSync*>();
        QVERIFY(agenda.click(QStringLiteral("Command6_0")));
        QVERIFY(agenda.clickDay(10));
        auto* text1 = agenda.find<QPlainTextEdit>(QStringLiteral("Text1"));
        text1->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(text1, QStringLiteral("Llamar al fontanero"));
        agenda.writeFile(
            QDir(agenda.programFolder).relativeFilePath(data.dayNoteFile(dayNoteKey(QDate(2026, 12, 10)))),
            "Nota de fuera\r\n");
        agenda.clock.set(agenda.clock.now().addSecs(SyncSchedule::kEverySeconds));
        quint32 colourWhileAsking = 0;
        agenda.desktop.whileAsking = [&] {
            autoSync->tick();
            colourWhileAsking = agenda.dayColour(31);
        };
        QVERIFY(agenda.clickDay(11));
        QCOMPARE(agenda.desktop.callsOf(QStringLiteral("askChoice")).size(), 1);
        QCOMPARE(colourWhileAsking, colours::weekday);
        autoSync->tick();
        QCOMPARE(agenda.dayColour(31), colours::holiday);
        QCOMPARE(runSync(otherData, accounts.first(), server.password()).exitCode(), 0);
        QVERIFY(
            DayNotes(otherData).load(dayNoteKey(QDate(2026, 12, 10))).text.contains(u"Llamar al fontanero"));

        // A save reaches the server a few seconds after it is made: a day note and a contact.
        QVERIFY(agenda.clickDay(12));
        text1->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(text1, QStringLiteral("Recoger el traje"));
        QVERIFY(agenda.clickDay(13));
        agenda.clock.set(agenda.clock.now().addSecs(SyncSchedule::kAfterSaveSeconds - 1));
        autoSync->tick();
        QCOMPARE(autoSync->schedule().lastRun().time(), QTime(10, 5));
        agenda.clock.set(agenda.clock.now().addSecs(1));
        autoSync->tick();
        QCOMPARE(runSync(otherData, accounts.first(), server.password()).exitCode(), 0);
        QVERIFY(DayNotes(otherData).load(dayNoteKey(QDate(2026, 12, 12))).text.contains(u"Recoger el traje"));
        QVERIFY(agenda.click(QStringLiteral("Command6_5")));
        agenda.find<QLineEdit>(QStringLiteral("Text7_0"))->setText(QStringLiteral("Quintana"));
        QVERIFY(agenda.click(QStringLiteral("Command7_0")));
        agenda.clock.set(agenda.clock.now().addSecs(SyncSchedule::kAfterSaveSeconds));
        autoSync->tick();
        QCOMPARE(runSync(otherData, accounts.first(), server.password()).exitCode(), 0);
        QVERIFY(QFileInfo::exists(
            QDir(other.programFolder).filePath(QStringLiteral("direcciones/Todos/Quintana"))));

        // "Cancelar" during a run by hand: the next run finishes the work.
        QVERIFY(storeDayText(data, DayTextKind::Holiday, QStringLiteral("6"), QStringLiteral("ENERO"),
                             QStringLiteral("2027"), QStringLiteral("Reyes")));
        QVERIFY(agenda.click(QStringLiteral("syncButton")));
        bool cancelClicked = false;
        QTimer::singleShot(0, [&] { cancelClicked = agenda.click(QStringLiteral("cancelSyncButton")); });
        QVERIFY(agenda.click(QStringLiteral("syncNowButton")));
        QVERIFY(cancelClicked);
        QVERIFY2(agenda.text(QStringLiteral("statusLabel")).contains(QStringLiteral("cancelado")),
                 qPrintable(agenda.text(QStringLiteral("statusLabel"))));
        QVERIFY(!agenda.isShown(QStringLiteral("cancelSyncButton")));
        QVERIFY(agenda.click(QStringLiteral("syncNowButton")));
        QVERIFY(agenda.text(QStringLiteral("statusLabel")).startsWith(QStringLiteral("Sincronizado")));
        QCOMPARE(runSync(otherData, accounts.first(), server.password()).exitCode(), 0);
        QCOMPARE(readDayText(otherData, DayTextKind::Holiday, QStringLiteral("6"), QStringLiteral("ENERO"),
                             QStringLiteral("2027"))
                     .text,
                 QStringLiteral("Reyes"));

        // During an automatic run "Dejar de sincronizar" cannot be clicked, and "Sincronizar ahora" is kept
        // for when the run ends: one more run follows, and nothing is left of the account being forgotten.
        QSignalSpy runs(autoSync, &AutoSync::runFinished);
        agenda.desktop.yesNoAnswer = true;
        bool syncClicked = false;
        bool stopClicked = true;
        QString toldDuringRun;
        QTimer::singleShot(0, [&] {
            syncClicked = agenda.click(QStringLiteral("syncNowButton"));
            toldDuringRun = agenda.text(QStringLiteral("syncResultText"));
            stopClicked = agenda.click(QStringLiteral("stopButton"));
        });
        agenda.clock.set(agenda.clock.now().addSecs(SyncSchedule::kEverySeconds));
        autoSync->tick();
        QVERIFY(syncClicked);
        QCOMPARE(toldDuringRun, QStringLiteral("Ya se está sincronizando; se repetirá al terminar."));
        QVERIFY(!stopClicked);
        QTRY_COMPARE(runs.count(), 2);
        QVERIFY(agenda.text(QStringLiteral("statusLabel")).startsWith(QStringLiteral("Sincronizado")));
        QVERIFY(agenda.button(QStringLiteral("stopButton"))->isEnabled());
        QCOMPARE(readSyncAccounts(data).size(), 1);
        agenda.desktop.yesNoAnswer = false;

        // A wrong password is said in plain words with what to do, and automatic runs wait for the user.
        agenda.find<QLineEdit>(QStringLiteral("passwordEdit"))->setText(QStringLiteral("otra"));
        QVERIFY(agenda.click(QStringLiteral("syncNowButton")));
        const QString wrongPassword = QStringLiteral("El servidor no acepta el usuario o la contraseña: "
                                                     "corríjalos en «Usuario» y «Contraseña» y vuelva a "
                                                     "intentarlo.");
        QCOMPARE(agenda.text(QStringLiteral("statusLabel")), wrongPassword);
        QVERIFY(showsAllOf(agenda.find<QLabel>(QStringLiteral("statusLabel"))));
        QVERIFY(agenda.text(QStringLiteral("syncResultText")).contains(wrongPassword));
        agenda.clock.set(agenda.clock.now().addSecs(SyncSchedule::kEverySeconds * 3));
        QVERIFY(!autoSync->schedule().due());

        agenda.desktop.yesNoAnswer = true;
        QVERIFY(agenda.click(QStringLiteral("stopButton")));
        QCOMPARE(readSyncAccounts(data).size(), 0);
        QCOMPARE(QDir(syncFolderPath(data)).entryList({QStringLiteral("*.status")}, QDir::Files),
                 QStringList());
        QCOMPARE(agenda.dayColour(31), colours::holiday);
        QVERIFY(agenda.button(QStringLiteral("syncButton"))
                    ->toolTip()
                    .startsWith(QStringLiteral("Sin sincronizar con un servidor")));
        QCOMPARE(runSync(otherData, accounts.first(), server.password()).exitCode(), 0);
        QCOMPARE(readDayText(otherData, DayTextKind::Holiday, QStringLiteral("31"),
                             QStringLiteral("DICIEMBRE"), QStringLiteral("2026"))
                     .text,
                 QStringLiteral("Nochevieja"));
    }

    // `quindara --sync-setup` and `--sync` typed while the agenda is open on the folder, for an account kept
    // from the command line only (no password in any keyring): the window runs both with the password the
    // command gives, takes the account as its own, and shows what the server brought; the command prints
    // the summary and ends as when it runs itself.
    void aSyncTypedWhileTheAgendaIsOpenRunsInIt() {
        DavServer server(DavServer::Kind::Radicale);
        QVERIFY(server.start());
        AgendaFixture agenda(kToday);
        const DataFolder data(agenda.programFolder);
        QVERIFY(data.createMissingFolders());
        agenda.open();
        common::InstanceLock lock(common::Program::Agenda, agenda.programFolder);
        QCOMPARE(lock.listen(), common::InstanceLock::Listening::Yes);
        lock.serve([&agenda](const common::WriterJob& job) { return agenda.window->runHandedJob(job); });
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUINDARA_DAV_PASSWORD"), server.password());
        const auto typed = [&](const QStringList& arguments) {
            auto command = std::make_unique<QProcess>();
            command->setProcessEnvironment(environment);
            command->start(QStringLiteral(QUINDARA_PROGRAM),
                           QStringList{QStringLiteral("--folder"), agenda.programFolder} + arguments);
            return command;
        };
        const auto setUp = typed({QStringLiteral("--sync-setup"), server.url().toString(),
                                  QStringLiteral("--user"), server.user()});
        QTRY_VERIFY_WITH_TIMEOUT(setUp->state() == QProcess::NotRunning, 60000);
        QCOMPARE(setUp->exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(setUp->readAllStandardOutput())
                    .contains(QStringLiteral("Lo ha hecho la agenda abierta con esta carpeta")));
        QVERIFY(agenda.click(QStringLiteral("syncButton")));
        QCOMPARE(agenda.text(QStringLiteral("serverEdit")), server.url().toString());

        // Another agenda on the same account puts a holiday on the server.
        QTemporaryDir other;
        const DataFolder otherData(other.path());
        QVERIFY(otherData.createMissingFolders());
        const SyncAccount account = readSyncAccounts(data).value(0);
        QVERIFY(saveSyncAccount(otherData, account));
        QVERIFY(storeDayText(otherData, DayTextKind::Holiday, QStringLiteral("31"),
                             QStringLiteral("DICIEMBRE"), QStringLiteral("2026"),
                             QStringLiteral("Nochevieja")));
        QCOMPARE(runSync(otherData, account, server.password()).exitCode(), 0);

        const auto sync = typed({QStringLiteral("--sync")});
        QTRY_VERIFY_WITH_TIMEOUT(sync->state() == QProcess::NotRunning, 120000);
        const QString said = QString::fromLocal8Bit(sync->readAllStandardOutput());
        QVERIFY2(said.contains(QStringLiteral("En la agenda: 1 creado,")) &&
                     said.contains(QStringLiteral("Lo ha hecho la agenda abierta con esta carpeta")),
                 qPrintable(said + QString::fromLocal8Bit(sync->readAllStandardError())));
        QCOMPARE(sync->exitCode(), 0);
        QCOMPARE(readDayText(data, DayTextKind::Holiday, QStringLiteral("31"), QStringLiteral("DICIEMBRE"),
                             QStringLiteral("2026"))
                     .text,
                 QStringLiteral("Nochevieja"));
        QCOMPARE(agenda.dayColour(31), colours::holiday);
    }

    // A server with its own certificate: refused until the user trusts its fingerprint, which is kept with
    // the account; a later different certificate is refused, both fingerprints shown.
    void certificateTrustedOnlyByChoice() {
        if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
            QSKIP("openssl is not installed");
        QTemporaryDir certificates;
        QVERIFY(makeCertificate(certificates.path(), QStringLiteral("first")));
        QVERIFY(makeCertificate(certificates.path(), QStringLiteral("second")));
        const QString first = fingerprintOf(certificates.filePath(QStringLiteral("first.pem")));
        const QString second = fingerprintOf(certificates.filePath(QStringLiteral("second.pem")));
        QVERIFY(!first.isEmpty() && first != second);
        DavServer server(DavServer::Kind::Radicale);
        server.useCertificate(certificates.filePath(QStringLiteral("first.pem")),
                              certificates.filePath(QStringLiteral("first.key")));
        QVERIFY(server.start());
        AgendaFixture agenda(kToday);
        agenda.open();

        agenda.desktop.choiceAnswer = 1; // "No confiar"
        discover(agenda, server);
        QCOMPARE(agenda.items(QStringLiteral("calendarList")), QStringList());
        QVERIFY(agenda.desktop.callsOf(QStringLiteral("askChoice")).constFirst().contains(first));
        QVERIFY(agenda.text(QStringLiteral("syncResultText")).contains(first));
        QVERIFY(readSyncAccounts(DataFolder(agenda.programFolder)).isEmpty());

        agenda.desktop.choiceAnswer = 0; // "Confiar en este certificado"
        setUpAccount(agenda, server, false);
        const QList<SyncAccount> accounts = readSyncAccounts(DataFolder(agenda.programFolder));
        QCOMPARE(accounts.size(), 1);
        QCOMPARE(accounts.first().acceptedFingerprint, first);
        QVERIFY(agenda.button(QStringLiteral("syncButton"))
                    ->toolTip()
                    .startsWith(QStringLiteral("Sincronizado")));

        server.stop();
        server.useCertificate(certificates.filePath(QStringLiteral("second.pem")),
                              certificates.filePath(QStringLiteral("second.key")));
        QVERIFY(server.start());
        agenda.desktop.clear();
        agenda.desktop.choiceAnswer = 1;
        QVERIFY(agenda.click(QStringLiteral("syncNowButton")));
        const QString question = agenda.desktop.callsOf(QStringLiteral("askChoice")).value(0);
        QVERIFY2(question.contains(first) && question.contains(second), qPrintable(question));
        QCOMPARE(readSyncAccounts(DataFolder(agenda.programFolder)).first().acceptedFingerprint, first);
        QVERIFY(agenda.text(QStringLiteral("statusLabel")).contains(QStringLiteral("certificado")));
    }

    // With a keyring on the desktop, as most users have: one click on "Sincronizar ahora" is one run, and
    // what it did stays on the page. Last of the tests: the keyring library keeps the first bus it reaches.
    void withAKeyringOneClickIsOneRun() {
        if (!PrivateKeyring::installed())
            QSKIP("gnome-keyring-daemon or dbus-daemon is not installed");
        QTemporaryDir keyringHome;
        PrivateKeyring keyring(keyringHome.path());
        if (!keyring.ready)
            QSKIP("the keyring daemon did not start on a private bus here");
        qputenv("DBUS_SESSION_BUS_ADDRESS", keyring.address.toUtf8());
        DavServer server(DavServer::Kind::Radicale);
        QVERIFY(server.start());
        AgendaFixture agenda(kToday);
        const DataFolder data(agenda.programFolder);
        openWithAHoliday(agenda, data);
        QSignalSpy runs(agenda.window->findChild<AutoSync*>(), &AutoSync::runFinished);
        setUpAccount(agenda, server, false);
        QVERIFY(!agenda.isShown(QStringLiteral("keyringLabel")));
        QTest::qWait(100);
        QCOMPARE(runs.count(), 1);
        const QString result = agenda.text(QStringLiteral("syncResultText"));
        QVERIFY2(result.contains(QStringLiteral("En el servidor: 1 creado,")), qPrintable(result));

        // Closed during a run, the window stays until the run has stopped, then goes.
        auto* autoSync = agenda.window->findChild<AutoSync*>();
        bool shownDuringRun = false;
        const QMetaObject::Connection closing =
            QObject::connect(autoSync, &AutoSync::stateChanged, autoSync, [&] {
                if (autoSync->running()) {
                    agenda.window->close();
                    shownDuringRun = agenda.window->isVisible();
                }
            });
        QVERIFY(agenda.click(QStringLiteral("syncNowButton")));
        QObject::disconnect(closing);
        QVERIFY(shownDuringRun);
        QTRY_VERIFY(!agenda.window->isVisible());
        QCOMPARE(runs.count(), 2);
    }
};

QTEST_MAIN(SyncPageTest)
#include "tst_syncpage.moc"
