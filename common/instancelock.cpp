#include "common/instancelock.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QSysInfo>
#include <QThread>

namespace common {

Q_LOGGING_CATEGORY(lcInstanceLock, "quindara.instancelock")

InstanceLock::InstanceLock(Program program, const QString& programFolder, QObject* parent)
    : QObject(parent), program_(program), programFolder_(programFolder),
      lock_(QDir(programFolder).filePath(lockFileName(program))) {
    // Held for the whole session: only a dead holder makes it stale, never its age.
    lock_.setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            emit raiseRequested();
        }
    });
}

InstanceLock::~InstanceLock() {
    server_.close();
    lock_.unlock();
}

QString InstanceLock::lockFileName(Program program) {
    // A dot name: hidden in file managers, and no index of ours lists the folders it lives in.
    return program == Program::Agenda ? QStringLiteral(".quindara.lock") : QStringLiteral(".tallimo.lock");
}

QString InstanceLock::lockFilePath() const {
    return QDir(programFolder_).filePath(lockFileName(program_));
}

QString InstanceLock::serverName(Program program, const QString& programFolder) {
    const QFileInfo info(programFolder);
    const QString path =
        info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QByteArray key = (lockFileName(program) + u'\n' + QDir::homePath() + u'\n' + path).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
    return (program == Program::Agenda ? QStringLiteral("quindara-") : QStringLiteral("tallimo-")) +
           QString::fromLatin1(hash);
}

void InstanceLock::readHolder() {
    QString application;
    holderHost_.clear();
    holderProcess_ = 0;
    lock_.getLockInfo(&holderProcess_, &holderHost_, &application);
    heldSince_ = QFileInfo(lockFilePath()).lastModified();
}

InstanceLock::State InstanceLock::acquire() {
    if (lock_.tryLock(0))
        return State::Acquired;
    if (lock_.error() != QLockFile::LockFailedError) {
        qCWarning(lcInstanceLock) << "cannot write the lock" << lockFilePath() << "; running without it";
        return State::Unavailable;
    }
    qint64 process = 0;
    QString host;
    QString application;
    if (!lock_.getLockInfo(&process, &host, &application)) {
        // Half-written by a process that died while creating it: nobody holds it.
        qCWarning(lcInstanceLock) << "unreadable lock" << lockFilePath() << "removed";
        if (lock_.removeStaleLockFile() && lock_.tryLock(0))
            return State::Acquired;
    }
    readHolder();
    return holderHost_.isEmpty() || holderHost_ == QSysInfo::machineHostName() ? State::HeldHere
                                                                               : State::HeldElsewhere;
}

bool InstanceLock::takeOver() {
    qCWarning(lcInstanceLock) << "taking over the lock held from" << holderHost_ << "since" << heldSince_;
    return lock_.removeStaleLockFile() && lock_.tryLock(0);
}

bool InstanceLock::listen() {
    const QString name = serverName(program_, programFolder_);
    // We hold the lock, so a socket left with this name belongs to a crashed holder.
    QLocalServer::removeServer(name);
    if (server_.listen(name))
        return true;
    qCWarning(lcInstanceLock) << "cannot listen as" << name << ":" << server_.errorString();
    return false;
}

bool InstanceLock::askHolderToRaise(int timeoutMs) const {
    const QString name = serverName(program_, programFolder_);
    const QDeadlineTimer deadline(timeoutMs);
    // The holder listens right after taking the lock; a start in between waits for it a little.
    do {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(qMax(qint64(50), deadline.remainingTime()))) {
            socket.write("raise\n");
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace common
