#include "common/instancelock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using common::InstanceLock;
using common::Program;

namespace {

// The real calculator: it takes the same lock and start-up path as the agenda and starts faster.
std::unique_ptr<QProcess> startCalculator(const QString& dataFolder) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(QUINDARA_TALLIMO), {QStringLiteral("--folder"), dataFolder});
    process->waitForStarted(30000);
    return process;
}

qint64 lockHolder(const QString& dataFolder) {
    QLockFile lock(
        QDir(dataFolder)
            .filePath(QStringLiteral("tallimo/") + InstanceLock::lockFileName(Program::Calculator)));
    qint64 pid = 0;
    QString host;
    QString application;
    return lock.getLockInfo(&pid, &host, &application) ? pid : 0;
}

// True once the process holds the folder and answers on its local server.
bool isServing(const QProcess& process, const QString& dataFolder) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30000 && process.state() == QProcess::Running) {
        if (lockHolder(dataFolder) == process.processId()) {
            QLocalSocket socket;
            socket.connectToServer(InstanceLock::serverName(
                Program::Calculator, QDir(dataFolder).filePath(QStringLiteral("tallimo"))));
            if (socket.waitForConnected(200))
                return true;
        }
        QTest::qWait(100);
    }
    return false;
}

void stop(QProcess& process) {
    process.kill();
    process.waitForFinished(10000);
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void secondStartOnTheSameFolderLeavesTheFirstAsOnlyWriter() {
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("datos"));
        const auto first = startCalculator(folder);
        QVERIFY(isServing(*first, folder));

        const auto second = startCalculator(folder);
        QVERIFY(second->waitForFinished(30000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(lockHolder(folder), first->processId());

        // Another folder runs side by side.
        const QString other = scratch.filePath(QStringLiteral("otra"));
        const auto third = startCalculator(other);
        QVERIFY(isServing(*third, other));
        QCOMPARE(first->state(), QProcess::Running);

        stop(*third);
        stop(*first);
    }

    void lockLeftByAKilledProcessIsTakenOver() {
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("datos"));
        const auto crashed = startCalculator(folder);
        QVERIFY(isServing(*crashed, folder));
        const qint64 deadProcess = crashed->processId();
        stop(*crashed); // SIGKILL: the lock file and the socket stay behind
        QCOMPARE(lockHolder(folder), deadProcess);

        const auto next = startCalculator(folder);
        QVERIFY(isServing(*next, folder));
        QCOMPARE(lockHolder(folder), next->processId());
        stop(*next);
    }

    // Whether a process on another machine still runs cannot be known: the lock is reported, not taken.
    void lockFromAnotherMachineIsReportedWithItsHolder() {
        QTemporaryDir scratch;
        QFile foreign(scratch.filePath(InstanceLock::lockFileName(Program::Agenda)));
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write("4242\nquindara\notro-equipo\n");
        foreign.close();

        InstanceLock lock(Program::Agenda, scratch.path());
        QCOMPARE(lock.acquire(), InstanceLock::State::HeldElsewhere);
        QCOMPARE(lock.holderHost(), QStringLiteral("otro-equipo"));
        QVERIFY(lock.heldSince().isValid());
        QVERIFY(lock.takeOver());
        QCOMPARE(InstanceLock(Program::Agenda, scratch.path()).acquire(), InstanceLock::State::HeldHere);
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
