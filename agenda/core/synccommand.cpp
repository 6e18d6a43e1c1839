// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/synccommand.h"

#include "agenda/core/davsync.h"
#include "common/instancelock.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>
#include <iostream>
#include <string>

#include <termios.h>
#include <unistd.h>

namespace quindara {

namespace {

constexpr int kWrongOptionOrFolder = 2;

// A refusal is said once, on standard error; the user reads it there, so it is not logged as well.
int refuse(QTextStream& err, const QString& why) {
    err << QStringLiteral("No se ha hecho nada: %1.\n").arg(why);
    err.flush();
    return kWrongOptionOrFolder;
}

bool onTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

// One line typed on the terminal, shown or not as it is typed.
QString typedLine(bool echo) {
    termios saved{};
    const bool hide = !echo && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (hide) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    std::getline(std::cin, line);
    if (hide)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    return QString::fromLocal8Bit(line.c_str());
}

// From the environment, else asked without echo; empty when there is no terminal to ask on.
QString passwordFor(const QString& user, const QUrl& server, QTextStream& out) {
    if (qEnvironmentVariableIsSet("QUINDARA_DAV_PASSWORD"))
        return qEnvironmentVariable("QUINDARA_DAV_PASSWORD");
    if (!onTerminal())
        return {};
    out << QStringLiteral("Contraseña de «%1» en %2: ").arg(user, server.toDisplayString());
    out.flush();
    const QString password = typedLine(false);
    out << '\n';
    out.flush();
    return password;
}

bool confirmed(const QString& question, QTextStream& out) {
    if (!onTerminal())
        return false;
    out << question << QStringLiteral(" (s/n): ");
    out.flush();
    return typedLine(true).trimmed().startsWith(u's', Qt::CaseInsensitive);
}

int exitCodeOf(const DavError& error) {
    SyncResult result;
    result.error = error;
    return result.exitCode();
}

int setUp(const common::CommandLineOptions& options, const DataFolder& data, QTextStream& out,
          QTextStream& err) {
    const QUrl server = QUrl::fromUserInput(options.syncServer);
    if (!server.isValid() || (server.scheme() != u"https" && server.scheme() != u"http"))
        return refuse(err, QStringLiteral("«%1» no es la dirección de un servidor").arg(options.syncServer));
    const QString password = passwordFor(options.syncUser, server, err);
    DavDiscovery found = discoverCollections(server, options.syncUser, password);
    DavError error = found.error;
    SyncAccount account;
    account.id = syncAccountId(server, options.syncUser);
    account.server = server;
    account.user = options.syncUser;
    account.withNotes = options.withNotes;
    if (error.kind == DavErrorKind::None) {
        // No calendar or address book yet: one named "Quindara" is made.
        if (found.calendars.isEmpty() && found.calendarHome.isValid())
            found.calendars.append(createQuindaraCollection(server, found.calendarHome, false,
                                                            options.syncUser, password, {}, error));
        if (error.kind == DavErrorKind::None && found.addressBooks.isEmpty() &&
            found.addressBookHome.isValid())
            found.addressBooks.append(createQuindaraCollection(server, found.addressBookHome, true,
                                                               options.syncUser, password, {}, error));
    }
    if (error.kind != DavErrorKind::None) {
        err << QStringLiteral("No se ha guardado la cuenta: %1.\n").arg(error.text);
        if (!error.fingerprint.isEmpty())
            err << QStringLiteral("Huella SHA-256 del certificado: %1\n").arg(error.fingerprint);
        err.flush();
        return exitCodeOf(error);
    }
    const DavCollection calendar = found.calendars.value(0);
    const DavCollection book = found.addressBooks.value(0);
    account.calendar = calendar.url;
    account.calendarName = calendar.name;
    account.addressBook = book.url;
    account.addressBookName = book.name;
    if (const common::Status saved = saveSyncAccount(data, account); !saved)
        return refuse(err, QStringLiteral("no se ha podido guardar la cuenta: %1").arg(saved.error()));
    out << QStringLiteral("Cuenta guardada: «%1» en %2.\n").arg(account.user, server.toDisplayString());
    out << QStringLiteral("Calendario: %1\n")
               .arg(calendar.url.isEmpty() ? QStringLiteral("ninguno")
                                           : QStringLiteral("«%1»").arg(calendar.name));
    out << QStringLiteral("Direcciones: %1\n")
               .arg(book.url.isEmpty() ? QStringLiteral("ninguna") : QStringLiteral("«%1»").arg(book.name));
    out.flush();
    return 0;
}

int syncAll(const DataFolder& data, QTextStream& out, QTextStream& err) {
    const QList<SyncAccount> accounts = readSyncAccounts(data);
    if (accounts.isEmpty())
        return refuse(err,
                      QStringLiteral("no hay ninguna cuenta de servidor en esta carpeta; guárdela antes con "
                                     "--sync-setup URL --user NOMBRE"));
    int exitCode = 0;
    for (const SyncAccount& account : accounts) {
        const QString password = passwordFor(account.user, account.server, err);
        SyncOptions options;
        SyncResult result = runSync(data, account, password, options);
        if (!result.emptySideQuestion.isEmpty() && confirmed(result.emptySideQuestion, err)) {
            options.emptySideConfirmed = true;
            result = runSync(data, account, password, options);
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

} // namespace

int runSyncCommandAsWriter(const common::CommandLineOptions& options, const QString& programFolder,
                           QTextStream& out, QTextStream& err) {
    const DataFolder data(programFolder);
    const QString folder = QDir::toNativeSeparators(programFolder);
    if (!QFileInfo(programFolder).isDir())
        return refuse(err, QStringLiteral("la carpeta de datos «%1» no existe").arg(folder));
    if (options.action == common::CommandLineAction::SyncSetup)
        return setUp(options, data, out, err);
    common::InstanceLock lock(common::Program::Agenda, programFolder);
    if (lock.listen() == common::InstanceLock::Listening::NameTaken)
        return refuse(err, QStringLiteral("la agenda u otra orden está usando la carpeta de datos «%1»; "
                                          "sincronice cuando termine")
                               .arg(folder));
    switch (lock.acquire()) {
    case common::InstanceLock::State::Acquired:
    case common::InstanceLock::State::Unavailable:
        break;
    case common::InstanceLock::State::HeldHere:
        return refuse(err,
                      QStringLiteral("la agenda ya está abierta con la carpeta de datos «%1» (proceso %2)")
                          .arg(folder)
                          .arg(lock.holderProcess()));
    case common::InstanceLock::State::HeldElsewhere:
        return refuse(err,
                      QStringLiteral("la carpeta de datos «%1» está abierta en el equipo «%2» desde el %3")
                          .arg(folder, lock.holderHost(),
                               QLocale(QLocale::Spanish)
                                   .toString(lock.heldSince(), QStringLiteral("d/M/yyyy 'a las' H:mm"))));
    }
    return syncAll(data, out, err);
}

} // namespace quindara
