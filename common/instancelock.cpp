// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/instancelock.h"

#include "common/logging.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QPointer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace common {

namespace {

// A request is one line of JSON; anything longer is not ours.
constexpr qint64 kLongestRequest = 1 << 20;
// A client that connects and says nothing is dropped after this long.
constexpr int kSilentClientMs = 30000;

QString programMark(Program program) {
    return program == Program::Agenda ? QStringLiteral("quindara") : QStringLiteral("tallimo");
}

// The peer is a process of this same user: nobody else may raise our window or hand it a job.
bool sameUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
        qCWarning(lcInstanceLock) << "cannot tell who is at the other end of the socket:"
                                  << std::strerror(errno);
        return false;
    }
    return peer.uid == ::getuid();
}

// A folder only this user can make sockets in: it is theirs and nobody else may enter it, so nobody else can
// listen first under a name of ours. Made when missing; empty (and warned) when it cannot be trusted.
QString privateFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        qCWarning(lcInstanceLock) << "cannot make" << path << ":" << std::strerror(errno);
        return {};
    }
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & 0777) != 0700) {
        qCWarning(lcInstanceLock) << path << "is not a private folder of this user; no socket there";
        return {};
    }
    return path;
}

// The user's runtime folder (private, in memory, emptied at logout), else a private folder of the temporary
// folder named after the user.
QString socketFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return privateFolder(runtime + QStringLiteral("/quindara"));
    return privateFolder(QDir::tempPath() + QStringLiteral("/quindara-") + QString::number(::getuid()));
}

bool processRuns(qint64 process) {
    return process > 0 && (::kill(pid_t(process), 0) == 0 || errno == EPERM);
}

HolderAnswer ask(Program program, const QString& programFolder, const QJsonObject& request, int timeoutMs) {
    HolderAnswer answer;
    const QDeadlineTimer deadline(timeoutMs);
    const QString name = InstanceLock::serverName(program, programFolder);
    if (name.isEmpty())
        return answer;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(int(qBound(qint64(100), deadline.remainingTime(), qint64(5000))))) {
        const QLocalSocket::LocalSocketError error = socket.error();
        answer.kind =
            error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError
                ? HolderAnswer::Kind::NoHolder
                : HolderAnswer::Kind::NoAnswer;
        return answer;
    }
    if (!sameUser(socket)) {
        qCWarning(lcInstanceLock) << "another user listens as" << socket.serverName();
        answer.kind = HolderAnswer::Kind::NoAnswer;
        return answer;
    }
    socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    socket.flush();
    while (!socket.canReadLine()) {
        if (socket.state() != QLocalSocket::ConnectedState) {
            answer.kind = HolderAnswer::Kind::Gone;
            return answer;
        }
        if (deadline.hasExpired()) {
            answer.kind = HolderAnswer::Kind::NoAnswer;
            return answer;
        }
        socket.waitForReadyRead(int(qBound(qint64(1), deadline.remainingTime(), qint64(1000))));
    }
    const QJsonObject reply = QJsonDocument::fromJson(socket.readLine()).object();
    answer.process = qint64(reply.value(QStringLiteral("process")).toDouble());
    if (reply.value(QStringLiteral("reply")).toString() == u"busy") {
        answer.kind = HolderAnswer::Kind::Busy;
        return answer;
    }
    answer.kind = HolderAnswer::Kind::Done;
    answer.result.exitCode = reply.value(QStringLiteral("exitCode")).toInt();
    answer.result.output = reply.value(QStringLiteral("output")).toString();
    return answer;
}

} // namespace

InstanceLock::InstanceLock(Program program, const QString& programFolder, Medium medium, QObject* parent)
    : QObject(parent), program_(program), programFolder_(programFolder), medium_(medium),
      lock_(QDir(programFolder).filePath(lockFileName(program))) {
    // Held for the whole session: only a dead holder makes it stale, never its age.
    lock_.setStaleLockTime(0);
    // In a private folder of the user's (the runtime folder is in memory: a full disk is no obstacle), so
    // that nobody else can take the name first.
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!sameUser(*socket)) {
                socket->abort();
                continue;
            }
            auto* silence = new QTimer(socket);
            silence->setSingleShot(true);
            connect(silence, &QTimer::timeout, socket, &QLocalSocket::abort);
            silence->start(kSilentClientMs);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
            answer(socket);
        }
    });
}

InstanceLock::~InstanceLock() {
    server_.close();
    lock_.unlock();
}

// The host name as a file name: lower-case letters, digits, '-' and '_' only.
QString InstanceLock::machineMark() {
    QString host = QSysInfo::machineHostName().toLower();
    for (QChar& c : host) {
        const char16_t u = c.unicode();
        if (!((u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u'-' || u == u'_'))
            c = u'_';
    }
    host.truncate(48);
    if (host.isEmpty())
        host = QStringLiteral("equipo");
    const QByteArray id = QSysInfo::machineUniqueId();
    if (!id.isEmpty())
        host += u'-' +
                QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha256).toHex().left(6));
    return host;
}

QString InstanceLock::lockFileName(Program program) {
    // A dot name: hidden in file managers, and no index of ours lists the folders it lives in.
    return u'.' + programMark(program) + u'-' + machineMark() + QStringLiteral(".lock");
}

QString InstanceLock::earlierLockFileName(Program program) {
    return u'.' + programMark(program) + QStringLiteral(".lock");
}

QString InstanceLock::lockFilePath() const {
    return QDir(programFolder_).filePath(lockFileName(program_));
}

QString InstanceLock::earlierServerName(Program program, const QString& programFolder) {
    const QFileInfo info(programFolder);
    const QString path =
        info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    // Keyed as earlier versions did, so that they and this one find each other's windows.
    const QByteArray key = (earlierLockFileName(program) + u'\n' + QDir::homePath() + u'\n' + path).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
    return programMark(program) + u'-' + QString::fromLatin1(hash);
}

QString InstanceLock::serverName(Program program, const QString& programFolder) {
    const QString folder = socketFolder();
    return folder.isEmpty() ? QString() : folder + u'/' + earlierServerName(program, programFolder);
}

bool InstanceLock::isNetworkFolder(const QString& folder) {
    struct statfs info {};
    if (::statfs(QFile::encodeName(folder).constData(), &info) != 0) {
        qCWarning(lcInstanceLock) << "cannot tell the file system of" << folder << ":"
                                  << std::strerror(errno);
        return false;
    }
    constexpr unsigned kFuse = 0x65735546;
    const auto type = static_cast<unsigned>(info.f_type);
    switch (type) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x5346414F: // AFS
    case 0x6B414653: // kAFS
    case 0x73757245: // Coda
    case 0x564C:     // NCP
    case 0x01021997: // 9P
    case 0x00C36400: // Ceph
    case 0x0BD00BD0: // Lustre
    case 0x47504653: // GPFS
        return true;
    case kFuse:
        // sshfs, rclone and the like; a FUSE driver of a local disk (NTFS, exFAT) mounts as "fuseblk".
        return QStorageInfo(folder).fileSystemType() != "fuseblk";
    default:
        return false;
    }
}

InstanceLock::State InstanceLock::acquire() {
    State state = State::Acquired;
    if (!lock_.tryLock(0)) {
        if (lock_.error() != QLockFile::LockFailedError) {
            // Seen on the terminal of a command: said in the user's language.
            qCWarning(lcInstanceLock).noquote()
                << QStringLiteral("no se puede escribir el bloqueo «%1»; se sigue sin él")
                       .arg(QDir::toNativeSeparators(lockFilePath()));
            state = State::Unavailable;
        } else {
            qint64 process = 0;
            QString host;
            QString application;
            if (!lock_.getLockInfo(&process, &host, &application)) {
                // Half-written by a process that died while creating it: nobody holds it.
                qCWarning(lcInstanceLock) << "unreadable lock" << lockFilePath() << "removed";
                if (!lock_.removeStaleLockFile() || !lock_.tryLock(0)) {
                    state = State::Unavailable;
                }
            } else {
                holderHost_ = host;
                holderProcess_ = process;
                heldSince_ = QFileInfo(lockFilePath()).lastModified();
                return State::HeldHere;
            }
        }
    }
    if (heldByEarlierVersionHere()) {
        lock_.unlock();
        return State::HeldHere;
    }
    if (heldFromAnotherMachine())
        return State::HeldElsewhere;
    return state;
}

// An earlier version on this machine still runs with the folder: it took the single shared name.
bool InstanceLock::heldByEarlierVersionHere() {
    const QString path = QDir(programFolder_).filePath(earlierLockFileName(program_));
    if (!QFileInfo::exists(path))
        return false;
    QLockFile earlier(path);
    qint64 process = 0;
    QString host;
    QString application;
    if (!earlier.getLockInfo(&process, &host, &application) || host != QSysInfo::machineHostName() ||
        !processRuns(process))
        return false;
    holderHost_ = host;
    holderProcess_ = process;
    heldSince_ = QFileInfo(path).lastModified();
    return true;
}

// Only on a network file system is another machine's lock the same file that machine holds; on a local
// disk it is a copy a sync tool brought, and that machine has its own.
bool InstanceLock::heldFromAnotherMachine() {
    const bool network =
        medium_ == Medium::Network || (medium_ == Medium::Detect && isNetworkFolder(programFolder_));
    if (!network)
        return false;
    const QRegularExpression lockName(QStringLiteral("^\\.") + programMark(program_) +
                                      QStringLiteral("-[a-z0-9_-]+\\.lock$"));
    const QString own = lockFileName(program_);
    const QDir folder(programFolder_);
    bool found = false;
    for (const QFileInfo& info : folder.entryInfoList(QDir::Files | QDir::Hidden, QDir::Time)) {
        if (info.fileName() == own || !lockName.match(info.fileName()).hasMatch())
            continue;
        QLockFile other(info.filePath());
        qint64 process = 0;
        QString host;
        QString application;
        if (!other.getLockInfo(&process, &host, &application))
            continue;
        // The newest first: the one that tells the user most.
        holderHost_ = host;
        holderProcess_ = process;
        heldSince_ = info.lastModified();
        found = true;
        break;
    }
    return found;
}

bool InstanceLock::takeOver() {
    qCWarning(lcInstanceLock) << "opening the folder although" << holderHost_ << "holds it since"
                              << heldSince_;
    return true;
}

InstanceLock::Listening InstanceLock::listen() {
    const QString name = serverName(program_, programFolder_);
    if (name.isEmpty())
        return Listening::Failed;
    if (server_.listen(name))
        return Listening::Yes;
    if (server_.serverError() == QAbstractSocket::AddressInUseError) {
        // A socket file left by a process that crashed: nobody answers on it.
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(1000))
            return Listening::NameTaken;
        qCWarning(lcInstanceLock) << "socket" << name << "left by a process that ended; taken over";
        QLocalServer::removeServer(name);
        if (server_.listen(name))
            return Listening::Yes;
        if (server_.serverError() == QAbstractSocket::AddressInUseError)
            return Listening::NameTaken;
    }
    qCWarning(lcInstanceLock) << "cannot listen as" << name << ":" << server_.errorString();
    return Listening::Failed;
}

void InstanceLock::serve(std::function<WriterJobResult(const WriterJob&)> runJob) {
    runJob_ = std::move(runJob);
    serving_ = true;
}

void InstanceLock::answer(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestRequest)
            socket->abort();
        return;
    }
    if (auto* silence = socket->findChild<QTimer*>())
        silence->stop();
    const QJsonObject request = QJsonDocument::fromJson(socket->readLine()).object();
    const QString kind = request.value(QStringLiteral("request")).toString();
    QJsonObject reply;
    reply.insert(QStringLiteral("process"), double(QCoreApplication::applicationPid()));
    if (!serving_ || running_) {
        reply.insert(QStringLiteral("reply"), QStringLiteral("busy"));
    } else if (kind == u"raise") {
        reply.insert(QStringLiteral("reply"), QStringLiteral("done"));
        LaunchToken token;
        const QString tokenKind = request.value(QStringLiteral("tokenKind")).toString();
        token.value = request.value(QStringLiteral("token")).toString();
        if (!token.value.isEmpty() && tokenKind == u"x11")
            token.kind = LaunchToken::Kind::X11StartupId;
        else if (!token.value.isEmpty() && tokenKind == u"wayland")
            token.kind = LaunchToken::Kind::WaylandActivation;
        else
            token.value.clear();
        emit raiseRequested(token);
    } else {
        WriterJobResult result{2, QStringLiteral("No se ha hecho nada: %1 no admite esta orden mientras está "
                                                 "abierto.")
                                      .arg(QCoreApplication::applicationName())};
        if (kind == u"job" && runJob_) {
            WriterJob job;
            for (const auto& argument : request.value(QStringLiteral("arguments")).toArray())
                job.arguments.append(argument.toString());
            job.workingFolder = request.value(QStringLiteral("workingFolder")).toString();
            const QJsonObject secrets = request.value(QStringLiteral("secrets")).toObject();
            for (auto secret = secrets.begin(); secret != secrets.end(); ++secret)
                job.secrets.insert(secret.key(), secret.value().toString());
            job.inputDigest =
                QByteArray::fromHex(request.value(QStringLiteral("inputDigest")).toString().toLatin1());
            // The socket may go while the job runs; a second job meanwhile hears "busy".
            const QPointer<QLocalSocket> guard(socket);
            running_ = true;
            const auto done = qScopeGuard([this] { running_ = false; });
            result = runJob_(job);
            if (!guard)
                return;
        }
        if (result.busy) {
            reply.insert(QStringLiteral("reply"), QStringLiteral("busy"));
        } else {
            reply.insert(QStringLiteral("reply"), QStringLiteral("done"));
            reply.insert(QStringLiteral("exitCode"), result.exitCode);
            reply.insert(QStringLiteral("output"), result.output);
        }
    }
    socket->write(QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n');
    socket->flush();
    socket->disconnectFromServer();
}

LaunchToken LaunchToken::fromEnvironment() {
    LaunchToken token;
    if (const QString wayland = qEnvironmentVariable("XDG_ACTIVATION_TOKEN"); !wayland.isEmpty())
        token = {Kind::WaylandActivation, wayland};
    else if (const QString x11 = qEnvironmentVariable("DESKTOP_STARTUP_ID"); !x11.isEmpty())
        token = {Kind::X11StartupId, x11};
    return token;
}

HolderAnswer InstanceLock::askHolderToRaise(Program program, const QString& programFolder, int timeoutMs,
                                            const LaunchToken& token) {
    QJsonObject request{{QStringLiteral("request"), QStringLiteral("raise")}};
    if (token.kind != LaunchToken::Kind::None) {
        request.insert(QStringLiteral("tokenKind"), token.kind == LaunchToken::Kind::X11StartupId
                                                        ? QStringLiteral("x11")
                                                        : QStringLiteral("wayland"));
        request.insert(QStringLiteral("token"), token.value);
    }
    return ask(program, programFolder, request, timeoutMs);
}

HolderAnswer InstanceLock::handJobToHolder(Program program, const QString& programFolder,
                                           const WriterJob& job, int timeoutMs) {
    QJsonObject secrets;
    for (auto secret = job.secrets.begin(); secret != job.secrets.end(); ++secret)
        secrets.insert(secret.key(), secret.value());
    const QJsonObject request{{QStringLiteral("request"), QStringLiteral("job")},
                              {QStringLiteral("arguments"), QJsonArray::fromStringList(job.arguments)},
                              {QStringLiteral("workingFolder"), job.workingFolder},
                              {QStringLiteral("secrets"), secrets},
                              {QStringLiteral("inputDigest"), QString::fromLatin1(job.inputDigest.toHex())}};
    return ask(program, programFolder, request, timeoutMs);
}

bool InstanceLock::askEarlierVersionToRaise() const {
    QLocalSocket socket;
    socket.connectToServer(earlierServerName(program_, programFolder_));
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("raise\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

} // namespace common
