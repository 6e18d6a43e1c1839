// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/syncsetup/synccommand.h"

#include "agenda/core/dav/davdiscovery.h"
#include "agenda/core/dav/logging.h"
#include "agenda/core/syncsetup/davaccount.h"
#include "agenda/core/syncsetup/syncsetup.h"
#include "common/folderwriter.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include <termios.h>
#include <unistd.h>

namespace quindara {

namespace {

// A refusal is said once, on standard error; the user reads it there, so it is not logged as well.
int refuse(QTextStream& err, const QString& why) {
    return common::refuseCommand(err, why);
}

bool onTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

// Echo is off on the terminal while this lives. Made before the prompt is shown, so that nothing typed once
// it shows is echoed.
class HiddenTyping {
public:
    HiddenTyping() : hidden_(tcgetattr(STDIN_FILENO, &saved_) == 0) {
        if (!hidden_)
            return;
        termios quiet = saved_;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~HiddenTyping() {
        if (hidden_)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    Q_DISABLE_COPY_MOVE(HiddenTyping)

private:
    termios saved_{};
    bool hidden_;
};

// One line typed on the terminal.
QString typedLine() {
    std::string line;
    std::getline(std::cin, line);
    return QString::fromLocal8Bit(line.c_str());
}

// From the environment, else asked without echo; empty when there is no terminal to ask on.
QString passwordFor(const QString& user, const QUrl& server, QTextStream& out) {
    if (qEnvironmentVariableIsSet("QUINDARA_DAV_PASSWORD"))
        return qEnvironmentVariable("QUINDARA_DAV_PASSWORD");
    if (!onTerminal())
        return {};
    QString password;
    {
        const HiddenTyping hidden;
        out << QStringLiteral("Contraseña de «%1» en %2: ").arg(user, server.toDisplayString());
        out.flush();
        password = typedLine();
    }
    out << '\n';
    out.flush();
    return password;
}

bool confirmed(const QString& question, QTextStream& out) {
    if (!onTerminal())
        return false;
    out << question << QStringLiteral(" (s/n): ");
    out.flush();
    return typedLine().trimmed().startsWith(u's', Qt::CaseInsensitive);
}

int exitCodeOf(const DavError& error) {
    SyncResult result;
    result.error = error;
    return result.exitCode();
}

// The server of --sync-setup; invalid when it is no address of one.
QUrl setUpServer(const common::CommandLineOptions& options) {
    const QUrl server = QUrl::fromUserInput(options.syncServer);
    return server.isValid() && (server.scheme() == u"https" || server.scheme() == u"http") ? server : QUrl();
}

int refuseServer(const common::CommandLineOptions& options, QTextStream& err) {
    return refuse(err, QStringLiteral("«%1» no es la dirección de un servidor").arg(options.syncServer));
}

int tellNotSaved(const DavError& error, QTextStream& err) {
    err << QStringLiteral("No se ha guardado la cuenta: %1.\n").arg(error.text);
    if (!error.fingerprint.isEmpty())
        err << QStringLiteral("Huella SHA-256 del certificado: %1\n").arg(error.fingerprint);
    err.flush();
    return exitCodeOf(error);
}

int setUp(const common::CommandLineOptions& options, const DataFolder& data, const QString& password,
          QTextStream& out, QTextStream& err) {
    const QUrl server = setUpServer(options);
    if (server.isEmpty())
        return refuseServer(options, err);
    const DavDiscovery found = discoverCollections(server, options.syncUser, password);
    if (found.error.kind != DavErrorKind::None)
        return tellNotSaved(found.error, err);
    SyncAccount account;
    account.id = syncAccountId(server, options.syncUser);
    account.server = server;
    account.user = options.syncUser;
    account.withNotes = options.withNotes;
    // No calendar or address book yet: one named "Quindara" is made, but only once the account naming it
    // is saved, so that a folder that cannot take the account (a full disk) leaves the server as it was.
    const bool makeCalendar = found.calendars.isEmpty() && found.calendarHome.isValid();
    const bool makeBook = found.addressBooks.isEmpty() && found.addressBookHome.isValid();
    const DavCollection calendar =
        makeCalendar ? quindaraCollection(found.calendarHome, false) : found.calendars.value(0);
    const DavCollection book =
        makeBook ? quindaraCollection(found.addressBookHome, true) : found.addressBooks.value(0);
    account.calendar = calendar.url;
    account.calendarName = calendar.name;
    account.addressBook = book.url;
    account.addressBookName = book.name;
    std::optional<SyncAccount> earlier;
    for (const SyncAccount& kept : readSyncAccounts(data)) {
        if (kept.id == account.id)
            earlier = kept;
    }
    if (const common::Status saved = saveSyncAccount(data, account); !saved)
        return refuse(err, QStringLiteral("no se ha podido guardar la cuenta: %1").arg(saved.error()));
    DavError error;
    if (makeCalendar)
        createQuindaraCollection(server, found.calendarHome, false, options.syncUser, password, {}, error);
    if (error.kind == DavErrorKind::None && makeBook)
        createQuindaraCollection(server, found.addressBookHome, true, options.syncUser, password, {}, error);
    if (error.kind != DavErrorKind::None) {
        // The folder keeps the account it had before, or none.
        const common::Status undone =
            earlier ? saveSyncAccount(data, *earlier) : removeSyncAccount(data, account);
        if (!undone)
            qCWarning(lcDav) << "account" << account.id << "not put back:" << undone.error();
        return tellNotSaved(error, err);
    }
    out << QStringLiteral("Cuenta guardada: «%1» en %2.\n").arg(account.user, server.toDisplayString());
    out << QStringLiteral("Calendario: %1\n")
               .arg(calendar.url.isEmpty() ? QStringLiteral("ninguno")
                                           : QStringLiteral("«%1»").arg(calendar.name));
    out << QStringLiteral("Direcciones: %1\n")
               .arg(book.url.isEmpty() ? QStringLiteral("ninguna") : QStringLiteral("«%1»").arg(book.name));
    out.flush();
    return 0;
}

int refuseWithoutAccount(QTextStream& err) {
    return refuse(err, QStringLiteral("no hay ninguna cuenta de servidor en esta carpeta; guárdela antes con "
                                      "--sync-setup URL --user NOMBRE"));
}

// Runs every account with its password; on a terminal (`mayAsk`) an emptied side is asked about there.
int syncAll(const QList<SyncAccount>& accounts, const QMap<QString, QString>& passwords, bool mayAsk,
            const HandedSyncRun& run, QTextStream& out, QTextStream& err) {
    int exitCode = 0;
    for (const SyncAccount& account : accounts) {
        const QString password = passwords.value(account.id);
        SyncOptions options;
        SyncResult result = run(account, password, options);
        if (!result.emptySideQuestion.isEmpty() && mayAsk && confirmed(result.emptySideQuestion, err)) {
            options.emptySideConfirmed = true;
            result = run(account, password, options);
        }
        // A run that failed is told on standard error, a finished one on standard output.
        QTextStream& told = result.exitCode() == 0 ? out : err;
        told << QStringLiteral("Cuenta «%1» en %2:\n").arg(account.user, account.server.toDisplayString());
        told << result.summary();
        told.flush();
        if (exitCode == 0)
            exitCode = result.exitCode();
    }
    return exitCode;
}

common::CommandLineOptions optionsOf(const common::WriterJob& job) {
    return common::CommandLine(common::Program::Agenda).read(job.arguments);
}

} // namespace

int runSyncCommandAsWriter(const common::CommandLineOptions& options, const QStringList& arguments,
                           const QString& programFolder, QTextStream& out, QTextStream& err) {
    const DataFolder data(programFolder);
    if (!QFileInfo(programFolder).isDir())
        return refuse(err, QStringLiteral("la carpeta de datos «%1» no existe")
                               .arg(QDir::toNativeSeparators(programFolder)));
    // The passwords go with the job when the open agenda runs it.
    common::WriterJob job{arguments, QDir::currentPath(), {}, {}};
    if (options.action == common::CommandLineAction::SyncSetup) {
        const QUrl server = setUpServer(options);
        if (server.isEmpty())
            return refuseServer(options, err);
        const QString password = passwordFor(options.syncUser, server, err);
        job.secrets.insert(syncAccountId(server, options.syncUser), password);
        return common::runAsFolderWriter(
            programFolder, DataFolder::savedFolders(), job,
            [&] { return setUp(options, data, password, out, err); },
            QStringLiteral("guarde la cuenta en su página «Sincronizar»"), out, err);
    }
    const QList<SyncAccount> accounts = readSyncAccounts(data);
    if (accounts.isEmpty())
        return refuseWithoutAccount(err);
    for (const SyncAccount& account : accounts)
        job.secrets.insert(account.id, passwordFor(account.user, account.server, err));
    const HandedSyncRun here = [&data](const SyncAccount& account, const QString& password,
                                       const SyncOptions& syncOptions) {
        return runSync(data, account, password, syncOptions);
    };
    return common::runAsFolderWriter(
        programFolder, DataFolder::savedFolders(), job,
        [&] { return syncAll(accounts, job.secrets, true, here, out, err); },
        QStringLiteral("sincronice desde su página «Sincronizar»"), out, err);
}

bool isSyncJob(const common::WriterJob& job) {
    const common::CommandLineAction action = optionsOf(job).action;
    return action == common::CommandLineAction::Sync || action == common::CommandLineAction::SyncSetup;
}

common::WriterJobResult runHandedSync(const QString& programFolder, const common::WriterJob& job,
                                      const HandedSyncRun& run) {
    const common::CommandLineOptions options = optionsOf(job);
    const DataFolder data(programFolder);
    QString output;
    QTextStream out(&output);
    int exitCode = 2; // a wrong option or folder
    if (options.action == common::CommandLineAction::SyncSetup) {
        const QUrl server = setUpServer(options);
        exitCode =
            server.isEmpty()
                ? refuseServer(options, out)
                : setUp(options, data, job.secrets.value(syncAccountId(server, options.syncUser)), out, out);
    } else if (options.action == common::CommandLineAction::Sync) {
        const QList<SyncAccount> accounts = readSyncAccounts(data);
        exitCode = accounts.isEmpty() ? refuseWithoutAccount(out)
                                      : syncAll(accounts, job.secrets, false, run, out, out);
    } else {
        exitCode = refuse(out, QStringLiteral("la agenda abierta no admite esta orden"));
    }
    out.flush();
    return {exitCode, output};
}

} // namespace quindara
