// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/syncsetup/passwordstore.h"
#include "agenda/core/syncsetup/syncschedule.h"
#include "tests/support/privatekeyring.h"

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace quindara;

namespace {

const QString kPassword = QStringLiteral("clave-de-prueba-7Ñ");

// Every file under `folder` whose bytes hold `text`.
QStringList filesHolding(const QString& folder, const QString& text) {
    QStringList found;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text.toUtf8()))
            found.append(file.fileName());
    }
    return found;
}

} // namespace

class SyncSetupTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;

private slots:
    void initTestCase() {
        // Anything the programs might write as settings would land here, where the test looks for it.
        qputenv("HOME", home_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home_.path() + QStringLiteral("/config")).toUtf8());
        qunsetenv("DISPLAY");
    }

    // With no keyring on the desktop the password lives for this run only; the next start asks again.
    // Runs before the keyring test: the keyring library keeps the first bus it reaches.
    void passwordWithoutKeyring() {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home_.filePath(QStringLiteral("no-bus")).toUtf8());
        PasswordStore store;
        QCOMPARE(store.read(QStringLiteral("ana@servidor")), QString());
        QVERIFY(!store.store(QStringLiteral("ana@servidor"), kPassword));
        QVERIFY(store.keyringMissing());
        QCOMPARE(store.read(QStringLiteral("ana@servidor")), kPassword);
        QCOMPARE(PasswordStore().read(QStringLiteral("ana@servidor")), QString());
        store.remove(QStringLiteral("ana@servidor"));
        QCOMPARE(store.read(QStringLiteral("ana@servidor")), QString());
        QCOMPARE(filesHolding(home_.path(), kPassword), QStringList());
    }

    // Stored in an unlocked GNOME keyring on a private bus, read back by a store of a later start,
    // removed; at no time in a file in plain text.
    void passwordInKeyring() {
        if (!PrivateKeyring::installed())
            QSKIP("gnome-keyring-daemon or dbus-daemon is not installed");
        QTemporaryDir keyringHome;
        PrivateKeyring keyring(keyringHome.path());
        if (!keyring.ready)
            QSKIP("the keyring daemon did not start on a private bus here");
        qputenv("DBUS_SESSION_BUS_ADDRESS", keyring.address.toUtf8());

        PasswordStore store;
        QVERIFY2(store.store(QStringLiteral("ana@servidor"), kPassword), qPrintable(store.keyringError()));
        QVERIFY(!store.keyringMissing());
        QCOMPARE(PasswordStore().read(QStringLiteral("ana@servidor")), kPassword);
        QCOMPARE(PasswordStore().read(QStringLiteral("otra@servidor")), QString());
        QCOMPARE(filesHolding(keyringHome.path(), kPassword), QStringList());
        QCOMPARE(filesHolding(home_.path(), kPassword), QStringList());
        store.remove(QStringLiteral("ana@servidor"));
        QCOMPARE(PasswordStore().read(QStringLiteral("ana@servidor")), QString());
        QVERIFY(!store.keyringMissing());
    }

    // A run at start, a few seconds after the last save, and every few minutes; none while a question about
    // an outside change is open, nor during a run.
    void runsWhenDue() {
        common::FixedClock clock(QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
        const auto advance = [&clock](int seconds) { clock.set(clock.now().addSecs(seconds)); };
        SyncSchedule schedule(clock);
        QVERIFY(!schedule.due());
        QCOMPARE(schedule.state(), SyncState::Off);
        schedule.setEnabled(true);
        QVERIFY(schedule.due());
        schedule.setQuestionOpen(true);
        QVERIFY(!schedule.due());
        schedule.setQuestionOpen(false);
        schedule.runStarted();
        QVERIFY(!schedule.due());
        QCOMPARE(schedule.statusText(), QStringLiteral("Sincronizando..."));
        schedule.runFinished(SyncOutcome::Done);
        QCOMPARE(schedule.statusText(), QStringLiteral("Sincronizado a las 10:00"));

        advance(60);
        schedule.saved();
        advance(3);
        schedule.saved();
        advance(SyncSchedule::kAfterSaveSeconds - 1);
        QVERIFY(!schedule.due());
        advance(1);
        QVERIFY(schedule.due());
        schedule.runStarted();
        schedule.saved(); // while the run goes: sent by the next one
        schedule.runFinished(SyncOutcome::Done);
        QVERIFY(!schedule.due());
        advance(SyncSchedule::kAfterSaveSeconds);
        QVERIFY(schedule.due());
        schedule.runStarted();
        schedule.runFinished(SyncOutcome::Done);

        advance(SyncSchedule::kEverySeconds - 1);
        QVERIFY(!schedule.due());
        advance(1);
        QVERIFY(schedule.due());
        schedule.setQuestionOpen(true);
        QVERIFY(!schedule.due());
    }

    // Offline it retries with pauses that double up to a ceiling, saves do not hurry it, and the status
    // says since when; a refusal waits for the user.
    void offlineAndRefused() {
        common::FixedClock clock(QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
        const auto advance = [&clock](int seconds) { clock.set(clock.now().addSecs(seconds)); };
        SyncSchedule schedule(clock);
        schedule.setEnabled(true);
        int pause = SyncSchedule::kFirstRetrySeconds;
        for (int run = 0; run < 8; ++run) {
            schedule.runStarted();
            schedule.runFinished(SyncOutcome::Offline);
            QCOMPARE(schedule.state(), SyncState::Offline);
            QCOMPARE(schedule.statusText(), QStringLiteral("Sin conexión desde 10:00"));
            schedule.saved();
            advance(pause - 1);
            QVERIFY2(!schedule.due(), qPrintable(QString::number(run)));
            advance(1);
            QVERIFY(schedule.due());
            pause = std::min(2 * pause, SyncSchedule::kLongestRetrySeconds);
        }
        QCOMPARE(pause, SyncSchedule::kLongestRetrySeconds);
        schedule.runStarted();
        schedule.runFinished(SyncOutcome::Done);
        QCOMPARE(schedule.state(), SyncState::Synced);
        QVERIFY(!schedule.due());

        schedule.runStarted();
        schedule.runFinished(SyncOutcome::WaitsForUser, QStringLiteral("La contraseña no es correcta."));
        QCOMPARE(schedule.state(), SyncState::NeedsAttention);
        QCOMPARE(schedule.statusText(), QStringLiteral("La contraseña no es correcta."));
        schedule.saved();
        advance(SyncSchedule::kEverySeconds * 10);
        QVERIFY(!schedule.due());
        schedule.setEnabled(true);
        QVERIFY(schedule.due());
    }
};

QTEST_GUILESS_MAIN(SyncSetupTest)
#include "tst_syncsetup.moc"
