#pragma once

#include "common/datafolderchoice.h"

#include <QDateTime>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

namespace common {

// Keeps one running window per program and data folder: a lock file in the program's folder says who
// writes there, and a local server named after the folder lets a later start bring that window forward.
class InstanceLock final : public QObject {
    Q_OBJECT
public:
    enum class State {
        Acquired,      // this process is now the folder's only writer
        HeldHere,      // a live process on this machine holds it
        HeldElsewhere, // held from another machine: whether it still runs cannot be checked
        Unavailable,   // the lock cannot be written (a read-only folder): run without it
    };

    InstanceLock(Program program, const QString& programFolder, QObject* parent = nullptr);
    ~InstanceLock() override;
    Q_DISABLE_COPY_MOVE(InstanceLock)

    // Tries once. A lock left behind by a crashed process of this machine, or an unreadable one, is
    // removed and taken.
    State acquire();
    // For a lock held from another machine, when the user chooses to open the folder anyway.
    bool takeOver();

    // Who holds the lock, after acquire() answered HeldHere or HeldElsewhere.
    QString holderHost() const { return holderHost_; }
    qint64 holderProcess() const { return holderProcess_; }
    QDateTime heldSince() const { return heldSince_; }

    QString lockFilePath() const;

    // The holder listens; raiseRequested() is emitted when a later start on the same folder asks.
    bool listen();
    // A later start asks the holder to come forward; false when nobody answered within the time.
    bool askHolderToRaise(int timeoutMs) const;

    // Named from the program and the folder's canonical path, so two folders never share a name.
    static QString serverName(Program program, const QString& programFolder);
    static QString lockFileName(Program program);

signals:
    void raiseRequested();

private:
    void readHolder();

    Program program_;
    QString programFolder_;
    QLockFile lock_;
    QLocalServer server_;
    QString holderHost_;
    qint64 holderProcess_ = 0;
    QDateTime heldSince_;
};

} // namespace common
