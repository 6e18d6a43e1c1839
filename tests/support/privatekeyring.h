// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QTest>

// A private session bus with a GNOME keyring on it, unlocked, over a home folder of its own.
class PrivateKeyring {
public:
    static bool installed() {
        return !QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon")).isEmpty() &&
               !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty();
    }

    explicit PrivateKeyring(const QString& home) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
        environment.remove(QStringLiteral("DISPLAY"));
        bus_.setProcessEnvironment(environment);
        bus_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                   QStringLiteral("--print-address=1")});
        if (!bus_.waitForStarted() || !bus_.waitForReadyRead())
            return;
        address = QString::fromUtf8(bus_.readLine().trimmed());
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        keyring_.setProcessEnvironment(environment);
        keyring_.start(QStringLiteral("gnome-keyring-daemon"),
                       {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                        QStringLiteral("--components=secrets")});
        if (!keyring_.waitForStarted())
            return;
        keyring_.write("keyring-password");
        keyring_.closeWriteChannel();
        // Ready once the keyring owns its name on the bus; asking earlier would make the bus start another.
        for (int attempt = 0; attempt < 200 && !ready; ++attempt) {
            QProcess ask;
            ask.setProcessEnvironment(environment);
            ask.start(QStringLiteral("dbus-send"),
                      {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                       QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                       QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                       QStringLiteral("string:org.freedesktop.secrets")});
            ask.waitForFinished();
            ready = ask.readAllStandardOutput().contains("boolean true");
            if (!ready)
                QTest::qWait(50);
        }
    }
    ~PrivateKeyring() {
        for (QProcess* process : {&keyring_, &bus_}) {
            process->terminate();
            if (!process->waitForFinished())
                process->kill();
        }
    }

    QString address;
    bool ready = false;

private:
    QProcess bus_;
    QProcess keyring_;
};
