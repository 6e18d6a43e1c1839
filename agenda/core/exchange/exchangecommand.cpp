// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/exchange/exchangecommand.h"

#include "agenda/core/exchange/exchange.h"
#include "agenda/core/formats/vcard.h"
#include "common/folderwriter.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QThread>

namespace quindara {

namespace {

bool writesIntoAgenda(const common::CommandLineOptions& options) {
    return options.exchange == common::ExchangeKind::ImportIcs ||
           options.exchange == common::ExchangeKind::ImportVcf;
}

void tell(QTextStream& out, QTextStream& err, int exitCode, const QString& text) {
    common::tellCommandResult(out, err, exitCode, text);
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

int runExchangeCommandAsWriter(const common::CommandLineOptions& options, const QStringList& arguments,
                               const QString& programFolder, QTextStream& out, QTextStream& err) {
    if (!writesIntoAgenda(options) || !QFileInfo(programFolder).isDir())
        return runExchangeCommand(options, programFolder, out, err);
    const std::optional<QByteArray> input = checkedHere(options, out, err);
    if (!input)
        return int(ExchangeStatus::Refused);
    return common::runAsFolderWriter(
        programFolder, DataFolder::savedFolders(),
        common::WriterJob{arguments, QDir::currentPath(), {}, digestOf(*input)},
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
