// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/exchangecommand.h"

#include "agenda/core/exchange.h"
#include "agenda/core/vcard.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
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

QByteArray digestOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

IcsReadOptions readOptions(const common::CommandLineOptions& options) {
    IcsReadOptions read;
    read.asHolidays = options.asHolidays;
    return read;
}

ExchangeResult refusedImport(const common::CommandLineOptions& options, const QString& why) {
    ExchangeResult result;
    result.action = options.exchange == common::ExchangeKind::ImportIcs ? ExchangeResult::Action::ImportIcs
                                                                        : ExchangeResult::Action::ImportVcf;
    result.file = options.exchangeFile;
    result.status = ExchangeStatus::Refused;
    result.problem = why;
    return result;
}

// An import's file read and parsed whole in this process, before any other sees it: a file the readers
// refuse, or one that would bring them down, ends here and never reaches the open window. Returns the
// bytes checked, or none once the refusal is told.
std::optional<QByteArray> checkedHere(const common::CommandLineOptions& options, QTextStream& out,
                                      QTextStream& err) {
    ExchangeResult result = refusedImport(options, QString());
    result.status = ExchangeStatus::Done;
    std::optional<QByteArray> bytes = readImportFile(options.exchangeFile, result);
    if (bytes) {
        const QString refusal = options.exchange == common::ExchangeKind::ImportIcs
                                    ? readIcs(*bytes, readOptions(options)).refusal
                                    : readVCards(*bytes).refusal;
        if (refusal.isEmpty())
            return bytes;
        result = refusedImport(options, refusal);
    }
    tell(out, err, result.exitCode(), result.summary());
    return std::nullopt;
}

// The exchange asked; an import reads `input`, its file's bytes read already, when given.
int runExchange(const common::CommandLineOptions& options, const QString& programFolder, QTextStream& out,
                QTextStream& err, const std::optional<QByteArray>& input) {
    const DataFolder data(programFolder);
    const QString& file = options.exchangeFile;
    ExchangeResult result;
    switch (options.exchange) {
    case common::ExchangeKind::ExportIcs:
        result = exportIcs(data, file, options.withNotes);
        break;
    case common::ExchangeKind::ImportIcs:
        result = input ? importIcsBytes(data, *input, file, readOptions(options))
                       : importIcs(data, file, readOptions(options));
        break;
    case common::ExchangeKind::ExportVcf:
        result = exportVcf(data, file, options.category.isEmpty() ? folders::allContacts : options.category);
        break;
    case common::ExchangeKind::ImportVcf: {
        const QString category = options.category.isEmpty() ? kImportedCategory : options.category;
        result = input ? importVcfBytes(data, *input, file, category) : importVcf(data, file, category);
        break;
    }
    }
    tell(out, err, result.exitCode(), result.summary());
    return result.exitCode();
}

} // namespace

int runExchangeCommand(const common::CommandLineOptions& options, const QString& programFolder,
                       QTextStream& out, QTextStream& err) {
    return runExchange(options, programFolder, out, err, std::nullopt);
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
    if (!writesIntoAgenda(options) || !QFileInfo(programFolder).isDir())
        return runExchangeCommand(options, programFolder, out, err);
    const std::optional<QByteArray> input = checkedHere(options, out, err);
    if (!input)
        return int(ExchangeStatus::Refused);
    return runAsFolderWriter(
        programFolder, common::WriterJob{arguments, QDir::currentPath(), {}, digestOf(*input)},
        [&] { return runExchange(options, programFolder, out, err, input); },
        QStringLiteral("importe desde su ventana"), out, err);
}

common::WriterJobResult runHandedExchange(const QString& programFolder, const common::WriterJob& job) {
    common::CommandLineOptions options = common::CommandLine(common::Program::Agenda).read(job.arguments);
    if (options.action != common::CommandLineAction::Exchange || !writesIntoAgenda(options))
        return {int(ExchangeStatus::BadOptionOrFolder),
                QStringLiteral("No se ha hecho nada: la agenda abierta solo admite importaciones.\n")};
    // The file is named as typed where the command was given.
    options.exchangeFile = QDir(job.workingFolder).absoluteFilePath(options.exchangeFile);
    // Only the bytes the command checked in its own process are read here: a file that could bring the
    // reader down ends that process, never the window.
    ExchangeResult read = refusedImport(options, QString());
    std::optional<QByteArray> input = readImportFile(options.exchangeFile, read);
    if (input && digestOf(*input) != job.inputDigest) {
        input.reset();
        read = refusedImport(options, job.inputDigest.isEmpty()
                                          ? QStringLiteral("la orden no lo ha comprobado antes de pasarlo a "
                                                           "la agenda abierta (¿otra versión del programa?)")
                                          : QStringLiteral("ha cambiado desde que la orden lo comprobó; "
                                                           "vuelva a importarlo"));
    }
    if (!input)
        return {read.exitCode(), read.summary() + u'\n'};
    QString output;
    QTextStream out(&output);
    const int exitCode = runExchange(options, programFolder, out, out, input);
    out.flush();
    return {exitCode, output};
}

} // namespace quindara
