// SPDX-License-Identifier: GPL-3.0-or-later
// The folder's one writer for a command line that writes it (an import, a sync): the open window when there
// is one, else this process, holding the folder as a window does.
#include "common/folderwriter.h"

#include "common/leftoversavefiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocale>
#include <QThread>

namespace common {

namespace {

// How long a command waits for another writer of the same folder to end.
constexpr int kWaitForWriterMs = 5 * 60 * 1000;
constexpr int kWrongOptionOrFolder = 2;

} // namespace

int refuseCommand(QTextStream& err, const QString& why) {
    err << QStringLiteral("No se ha hecho nada: %1.\n").arg(why);
    err.flush();
    return kWrongOptionOrFolder;
}

void tellCommandResult(QTextStream& out, QTextStream& err, int exitCode, const QString& text) {
    QTextStream& to = exitCode == 0 ? out : err;
    to << text;
    if (!text.endsWith(u'\n'))
        to << '\n';
    to.flush();
}

int runAsFolderWriter(const QString& programFolder, const QStringList& savedFolders, const WriterJob& job,
                      const std::function<int()>& runHere, const QString& fromWindow, QTextStream& out,
                      QTextStream& err) {
    const QString folder = QDir::toNativeSeparators(programFolder);
    const QDeadlineTimer deadline(kWaitForWriterMs);
    HolderAnswer answer;
    for (;;) {
        answer = InstanceLock::handJobToHolder(Program::Agenda, programFolder, job,
                                               int(qMax<qint64>(1, deadline.remainingTime())));
        if (answer.kind == HolderAnswer::Kind::Done) {
            // A refusal says why and nothing else.
            const bool refused = answer.result.exitCode == kWrongOptionOrFolder;
            tellCommandResult(
                out, err, answer.result.exitCode,
                refused ? answer.result.output
                        : answer.result.output +
                              (answer.result.output.endsWith(u'\n') ? QString() : QStringLiteral("\n")) +
                              QStringLiteral("Lo ha hecho la agenda abierta con esta carpeta (proceso %1).\n")
                                  .arg(answer.process));
            return answer.result.exitCode;
        }
        if (answer.kind == HolderAnswer::Kind::NoHolder) {
            // Nobody writes the folder on this machine: this process does, as a window would.
            InstanceLock lock(Program::Agenda, programFolder);
            if (lock.listen() != InstanceLock::Listening::NameTaken) {
                switch (lock.acquire()) {
                case InstanceLock::State::Acquired:
                case InstanceLock::State::Unavailable:
                    // As the window does at start: what a killed writer left is swept before the run, so
                    // that no sync tool carries it to other machines.
                    removeLeftoverSaveFiles(programFolder, savedFolders);
                    return runHere();
                case InstanceLock::State::HeldHere:
                    return refuseCommand(
                        err, QStringLiteral("la agenda ya está abierta con la carpeta de datos «%1» "
                                            "(proceso %2); %3")
                                 .arg(folder)
                                 .arg(lock.holderProcess())
                                 .arg(fromWindow));
                case InstanceLock::State::HeldElsewhere:
                    return refuseCommand(
                        err,
                        QStringLiteral("la carpeta de datos «%1» está abierta en el equipo «%2» "
                                       "desde el %3")
                            .arg(folder, lock.holderHost(),
                                 QLocale(QLocale::Spanish)
                                     .toString(lock.heldSince(), QStringLiteral("d/M/yyyy 'a las' H:mm"))));
                }
            }
        }
        if (answer.kind == HolderAnswer::Kind::NoAnswer || deadline.hasExpired())
            break;
        // Busy, or it just ended: ask again.
        QThread::msleep(100);
    }
    return refuseCommand(err, answer.process > 0
                                  ? QStringLiteral("otro proceso (%1) está escribiendo en la carpeta de "
                                                   "datos «%2» y no responde")
                                        .arg(answer.process)
                                        .arg(folder)
                                  : QStringLiteral("otro proceso está escribiendo en la carpeta de "
                                                   "datos «%1» y no responde")
                                        .arg(folder));
}

} // namespace common
