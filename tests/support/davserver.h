// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

// A calendar and contacts server for a test: Radicale (with a user and a password in an htpasswd file,
// optionally over HTTPS with a given certificate) or Xandikos (no password check of its own), on a free
// loopback port with a fresh storage folder, stopped when the object goes.
class DavServer {
public:
    enum class Kind { Radicale, Xandikos };

    explicit DavServer(Kind kind) : kind_(kind), folder_(scratchTemplate()) {}
    ~DavServer() { stop(); }
    DavServer(const DavServer&) = delete;
    DavServer& operator=(const DavServer&) = delete;

    static QString program(Kind kind) {
        return QStandardPaths::findExecutable(kind == Kind::Radicale ? QStringLiteral("radicale")
                                                                     : QStringLiteral("xandikos"));
    }
    static bool available(Kind kind) { return !program(kind).isEmpty(); }

    QString user() const { return QStringLiteral("ana"); }
    QString password() const { return QStringLiteral("clave secreta"); }
    const QString& storage() const { return storage_; }
    quint16 port() const { return port_; }
    QUrl url() const {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2/")
                        .arg(certificate_.isEmpty() ? QStringLiteral("http") : QStringLiteral("https"))
                        .arg(port_));
    }
    void useCertificate(const QString& certificate, const QString& key) {
        certificate_ = certificate;
        key_ = key;
    }

    // Starts the server (again, on the same port and storage after stop()); false when it does not answer.
    bool start() {
        if (!folder_.isValid())
            return false;
        storage_ = folder_.filePath(QStringLiteral("storage"));
        if (port_ == 0)
            port_ = freePort();
        QStringList arguments;
        if (kind_ == Kind::Radicale) {
            const QString users = folder_.filePath(QStringLiteral("users"));
            QFile file(users);
            if (!file.open(QIODevice::WriteOnly) ||
                file.write((user() + u':' + password() + u'\n').toUtf8()) < 0)
                return false;
            file.close();
            arguments = {QStringLiteral("--config"),
                         QString(),
                         QStringLiteral("--server-hosts"),
                         QStringLiteral("127.0.0.1:%1").arg(port_),
                         QStringLiteral("--storage-filesystem-folder"),
                         storage_,
                         QStringLiteral("--auth-type"),
                         QStringLiteral("htpasswd"),
                         QStringLiteral("--auth-htpasswd-filename"),
                         users,
                         QStringLiteral("--auth-htpasswd-encryption"),
                         QStringLiteral("plain"),
                         QStringLiteral("--logging-level"),
                         QStringLiteral("warning")};
            if (!certificate_.isEmpty())
                arguments += {QStringLiteral("--server-ssl"), QStringLiteral("--server-certificate"),
                              certificate_, QStringLiteral("--server-key"), key_};
        } else {
            arguments = {QStringLiteral("--defaults"), QStringLiteral("-d"),        storage_,
                         QStringLiteral("-l"),         QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                         QString::number(port_)};
        }
        // Both servers log every request; a failing test says enough without them.
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(program(kind_), arguments);
        if (!process_.waitForStarted(10000))
            return false;
        const QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
            QTcpSocket probe;
            probe.connectToHost(QStringLiteral("127.0.0.1"), port_);
            if (probe.waitForConnected(200))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    void stop() {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.kill();
        process_.waitForFinished(5000);
    }

private:
    // In memory where the system has it: both servers sync every write to disk.
    static QString scratchTemplate() {
        const QString shm = QStringLiteral("/dev/shm");
        return QDir(QFileInfo(shm).isWritable() ? shm : QDir::tempPath())
            .filePath(QStringLiteral("quindara-dav-XXXXXX"));
    }

    static quint16 freePort() {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0))
            return 0;
        return probe.serverPort();
    }

    Kind kind_;
    QTemporaryDir folder_;
    QString storage_;
    QString certificate_;
    QString key_;
    quint16 port_ = 0;
    QProcess process_;
};
