// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/datafolderchoice.h"

#include <QDateTime>
#include <QLocalServer>
#include <QLockFile>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalSocket;

namespace common {

// A job that a command-line writer (an import, a server sync) hands to the process that writes the folder.
struct WriterJob {
    QStringList arguments; // the command line as typed, the program first
    QString workingFolder; // where it was typed: a relative file name is taken from here
    // Passwords the job needs, by name. They travel only over the socket, whose peer is checked to be this
    // same user, and are never logged or stored.
    QMap<QString, QString> secrets;
    // The SHA-256 of the file the command read and checked before handing the job over; the writer runs the
    // job on those bytes only, so no file can reach it unchecked.
    QByteArray inputDigest;
};

struct WriterJobResult {
    int exitCode = 0;
    QString output;
    // The writer cannot take the job yet (it is running one of its own): the command line asks again.
    bool busy = false;
};

// What a launcher gave a start so that the window it brings forward may take the focus and end the busy
// feedback: DESKTOP_STARTUP_ID on X11, XDG_ACTIVATION_TOKEN on Wayland. Empty when started otherwise.
struct LaunchToken {
    enum class Kind { None, X11StartupId, WaylandActivation };
    Kind kind = Kind::None;
    QString value;

    // The token of this process's environment. Read it before the QGuiApplication is made: the platform
    // takes it out of the environment for the process's own first window.
    static LaunchToken fromEnvironment();
};

// What a start hears from the process that writes the folder now.
struct HolderAnswer {
    enum class Kind {
        NoHolder, // nobody listens: on this machine the folder is free
        Done,     // it came forward, or ran the job (see result)
        Busy,     // it cannot take the request yet (still starting, or running another job)
        Gone,     // it ended without answering
        NoAnswer, // it did not answer in time
    };
    Kind kind = Kind::NoHolder;
    qint64 process = 0;
    WriterJobResult result;
};

// Keeps one writer per program and data folder. On this machine a local server named after the folder
// decides (in the user's private runtime folder: it needs no space on the data folder's disk, only one
// process can listen under a name, and no other user can take it first); a later start asks it to
// come forward, and a command-line writer hands it its job. A lock file named after the machine marks the
// folder as in use for other machines that reach it through a network file system; the copy a sync tool
// carries to another machine's own disk is no reason to ask there.
class InstanceLock final : public QObject {
    Q_OBJECT
public:
    enum class State {
        Acquired,      // this process is now the folder's only writer
        HeldHere,      // a live process on this machine holds it
        HeldElsewhere, // held from another machine on a network file system: whether it still runs cannot
                       // be checked
        Unavailable,   // the lock cannot be written (a read-only folder, a full disk): run without it
    };
    // Whether other machines reach the folder itself (a network file system), so that their locks count.
    enum class Medium { Detect, Local, Network };

    InstanceLock(Program program, const QString& programFolder, Medium medium = Medium::Detect,
                 QObject* parent = nullptr);
    ~InstanceLock() override;
    Q_DISABLE_COPY_MOVE(InstanceLock)

    // Tries once. A lock left behind by a crashed process of this machine, or an unreadable one, is
    // removed and taken. A lock of an earlier version held by a live process of this machine counts as
    // HeldHere; one of another machine, or of a process that ended, is left alone.
    State acquire();
    // For a lock held from another machine, when the user chooses to open the folder anyway. The other
    // machine's lock stays: only its owner removes it.
    bool takeOver();

    // Who holds the lock, after acquire() answered HeldHere or HeldElsewhere.
    QString holderHost() const { return holderHost_; }
    qint64 holderProcess() const { return holderProcess_; }
    QDateTime heldSince() const { return heldSince_; }

    QString lockFilePath() const;

    enum class Listening {
        Yes,
        NameTaken, // another process of this user listens already
        Failed,    // the socket cannot be made at all
    };
    // Listens under the folder's name.
    Listening listen();
    // From now on a later start's request to come forward emits raiseRequested(), and a handed job runs
    // through `runJob` (none: the program takes no jobs). Until then a later start hears "busy".
    void serve(std::function<WriterJobResult(const WriterJob&)> runJob = {});

    // A later start asks the folder's writer to come forward, handing it the start's launch token.
    static HolderAnswer askHolderToRaise(Program program, const QString& programFolder, int timeoutMs,
                                         const LaunchToken& token = {});
    // A command-line writer hands its job to the folder's writer and waits for the result.
    static HolderAnswer handJobToHolder(Program program, const QString& programFolder, const WriterJob& job,
                                        int timeoutMs);
    // An earlier version listened under a file name and answered nothing: asked to come forward all the
    // same. False when nobody listens there.
    bool askEarlierVersionToRaise() const;

    // A socket in a folder only this user can write (under XDG_RUNTIME_DIR, else a private folder of the
    // temporary folder), named from the program and the folder's canonical path, so two folders never share
    // a name. Empty when no such folder can be had.
    static QString serverName(Program program, const QString& programFolder);
    // The name earlier versions listened under, in the temporary folder.
    static QString earlierServerName(Program program, const QString& programFolder);
    // This machine's lock, e.g. ".quindara-portatil-3fa2c1.lock": the host name, and a mark of the
    // machine's id so that two machines called alike differ.
    static QString lockFileName(Program program);
    // This machine in a file name: the host name made safe ("portatil-3fa2c1"), and a mark of the machine's
    // id so that two machines called alike differ. Other files one machine keeps per folder use it too.
    static QString machineMark();
    // The single name earlier versions used on every machine.
    static QString earlierLockFileName(Program program);
    // NFS, SMB/CIFS, FUSE mounts (sshfs, rclone) and the like: other machines may hold locks there.
    static bool isNetworkFolder(const QString& folder);

signals:
    void raiseRequested(const common::LaunchToken& token);

private:
    void answer(QLocalSocket* socket);
    bool heldByEarlierVersionHere();
    bool heldFromAnotherMachine();

    Program program_;
    QString programFolder_;
    Medium medium_;
    QLockFile lock_;
    QLocalServer server_;
    bool serving_ = false;
    bool running_ = false;
    std::function<WriterJobResult(const WriterJob&)> runJob_;
    QString holderHost_;
    qint64 holderProcess_ = 0;
    QDateTime heldSince_;
};

} // namespace common
