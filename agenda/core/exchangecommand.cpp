// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/exchangecommand.h"

#include "agenda/core/exchange.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocale>
#include <QThread>

namespace quindara {

namespace {

using common::HolderAnswer;
using common::InstanceLock;

// How long an import waits for another one of the same folder to end.
constexpr int kWaitForWriterMs = 5 * 60 * 1000;

bool writesIntoAgenda(const common::CommandLineOptions& options) {
    return options.exchange == common::ExchangeKind::ImportIcs ||
           options.exchange == common::ExchangeKind::ImportVcf;
}

int refuse(QTextStream& err, const QString& why) {
    err << QStringLiteral("No se ha hecho nada: %1.\n").arg(why);
    err.flush();
    return int(ExchangeStatus::BadOptionOrFolder);
}

// A summary goes to standard output when everything was done, to standard error otherwise.
void tell(QTextStream& out, QTextStream& err, int exitCode, const QString& text) {
    QTextStream& to = exitCode == int(ExchangeStatus::Done) ? out : err;
    to << text;
    if (!text.endsWith(u'\n'))
        to << '\n';
    to.flush();
}

} // namespace

int runExchangeCommand(const common::CommandLineOptions& options, const QString& programFolder,
                       QTextStream& out, QTextStream& err) {
    const DataFolder data(programFolder);
    const QString& file = options.exchangeFile;
    ExchangeResult result;
    switch (options.exchange) {
    case common::ExchangeKind::ExportIcs:
        result = exportIcs(data, file, options.withNotes);
        break;
    case common::ExchangeKind::ImportIcs: {
        IcsReadOptions read;
        read.asHolidays = options.asHolidays;
        result = importIcs(data, file, read);
        break;
    }
    case common::ExchangeKind::ExportVcf:
        result = exportVcf(data, file, options.category.isEmpty() ? folders::allContacts : options.category);
        break;
    case common::ExchangeKind::ImportVcf:
        result = importVcf(data, file, options.category.isEmpty() ? kImportedCategory : options.category);
        break;
    }
    tell(out, err, result.exitCode(), result.summary());
    return result.exitCode();
}

int runAsFolderWriter(const QString& programFolder, const common::WriterJob& job,
                      const std::function<int()>& runHere, const QString& fromWindow, QTextStream& out,
                      QTextStream& err) {
    const QString folder = QDir::toNativeSeparators(programFolder);
    const QDeadlineTimer deadline(kWaitForWriterMs);
    HolderAnswer answer;
    for (;;) {
        answer = InstanceLock::handJobToHolder(common::Program::Agenda, programFolder, job,
                                               int(qMax<qint64>(1, deadline.remainingTime())));
        if (answer.kind == HolderAnswer::Kind::Done) {
            // A refusal says why and nothing else.
            const bool refused = answer.result.exitCode == int(ExchangeStatus::BadOptionOrFolder);
            tell(out, err, answer.result.exitCode,
                 refused
                     ? answer.result.output
                     : answer.result.output +
                           (answer.result.output.endsWith(u'\n') ? QString() : QStringLiteral("\n")) +
                           QStringLiteral("Lo ha hecho la agenda abierta con esta carpeta (proceso %1).\n")
                               .arg(answer.process));
            return answer.result.exitCode;
        }
        if (answer.kind == HolderAnswer::Kind::NoHolder) {
            // Nobody writes the folder on this machine: this process does, as a window would.
            InstanceLock lock(common::Program::Agenda, programFolder);
            if (lock.listen() != InstanceLock::Listening::NameTaken) {
                switch (lock.acquire()) {
                case InstanceLock::State::Acquired:
                case InstanceLock::State::Unavailable:
                    // As the window does at start: what a killed writer left is swept before the run, so
                    // that no sync tool carries it to other machines.
                    DataFolder(programFolder).removeLeftoverSaveFiles();
                    return runHere();
                case InstanceLock::State::HeldHere:
                    return refuse(err,
                                  QStringLiteral("la agenda ya está abierta con la carpeta de datos «%1» "
                                                 "(proceso %2); %3")
                                      .arg(folder)
                                      .arg(lock.holderProcess())
                                      .arg(fromWindow));
                case InstanceLock::State::HeldElsewhere:
                    return refuse(
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
    return refuse(err, answer.process > 0
                           ? QStringLiteral("otro proceso (%1) está escribiendo en la carpeta de "
                                            "datos «%2» y no responde")
                                 .arg(answer.process)
                                 .arg(folder)
                           : QStringLiteral("otro proceso está escribiendo en la carpeta de "
                                            "datos «%1» y no responde")
                                 .arg(folder));
}

int runExchangeCommandAsWriter(const common::CommandLineOptions& options, const QStringList& arguments,
                               const QString& programFolder, QTextStream& out, QTextStream& err) {
    if (!writesIntoAgenda(options))
        return runExchangeCommand(options, programFolder, out, err);
    return runAsFolderWriter(
        programFolder, common::WriterJob{arguments, QDir::currentPath(), {}},
        [&] { return runExchangeCommand(options, programFolder, out, err); },
        QStringLiteral("importe desde su ventana"), out, err);
}

common::WriterJobResult runHandedExchange(const QString& programFolder, const common::WriterJob& job) {
    common::CommandLineOptions options = common::CommandLine(common::Program::Agenda).read(job.arguments);
    if (options.action != common::CommandLineAction::Exchange || !writesIntoAgenda(options))
        return {int(ExchangeStatus::BadOptionOrFolder),
                QStringLiteral("No se ha hecho nada: la agenda abierta solo admite importaciones.\n")};
    // The file is named as typed where the command was given.
    options.exchangeFile = QDir(job.workingFolder).absoluteFilePath(options.exchangeFile);
    QString output;
    QTextStream out(&output);
    const int exitCode = runExchangeCommand(options, programFolder, out, out);
    out.flush();
    return {exitCode, output};
}

} // namespace quindara
