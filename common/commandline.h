// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/datafolderchoice.h"

#include <QCommandLineParser>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace common {

// What the command line asks for. Every action but OpenWindow is answered on the terminal, before any
// window or QApplication exists.
// Search, the file exchange, sync, reminders and --day are the agenda's only: its main() runs them (a sync or
// --day may be handed to the open window), since this library knows nothing of the agenda.
enum class CommandLineAction {
    OpenWindow,
    ShowHelp,
    ShowVersion,
    Refuse,
    Search,
    Exchange,
    Sync,
    SyncSetup,
    Remind
};

// Which file the agenda imports or exports from the command line (CommandLineAction::Exchange).
enum class ExchangeKind { ExportIcs, ImportIcs, ExportVcf, ImportVcf };

struct CommandLineOptions {
    CommandLineAction action = CommandLineAction::OpenWindow;
    QString folder;     // --folder as typed; empty when not given
    QString error;      // why the command line was refused, in Spanish
    QString searchText; // --search as typed (the agenda only)
    // The agenda's --export-ics, --import-ics, --export-vcf and --import-vcf.
    ExchangeKind exchange = ExchangeKind::ExportIcs;
    QString exchangeFile;
    bool withNotes = false;  // --with-notes
    bool asHolidays = false; // --as-holidays
    QString category;        // --category; empty when not given
    // The agenda's --sync-setup URL --user NAME (with --with-notes: day notes too).
    QString syncServer;
    QString syncUser;
    bool again = false; // --again, with --remind
    QDate day;          // --day: the day the window opens on (the agenda only); invalid when not given
    QDate today;        // --today, hidden: the day taken for today (tests); invalid when not given
};

// The options both programs understand. New options are declared in the constructor and read in read(),
// so each program gets them without touching its main().
class CommandLine {
public:
    explicit CommandLine(Program program);

    // `arguments` as main() received them, the program's path first. Needs no QCoreApplication.
    CommandLineOptions read(const QStringList& arguments);

    // Spanish when Qt's Spanish translation is installed (the headings "Uso:" and "Opciones:" are Qt's).
    QString helpText() const;
    QString versionText() const;

private:
    // Reads the exchange options into `options`; the reason in Spanish when they do not fit together.
    QString readExchange(CommandLineOptions& options) const;
    // The same for the server sync options.
    QString readSync(CommandLineOptions& options) const;
    // The same for --remind, --again, --day and --today.
    QString readRemind(CommandLineOptions& options) const;

    Program program_;
    QCommandLineParser parser_;
    QCommandLineOption help_;
    QCommandLineOption version_;
    QCommandLineOption folder_;
    QCommandLineOption search_;
    // The agenda's file exchange; the calculator does not declare them, so it refuses them.
    QList<QCommandLineOption> exchangeFiles_;
    QCommandLineOption withNotes_;
    QCommandLineOption asHolidays_;
    QCommandLineOption category_;
    QCommandLineOption sync_;
    QCommandLineOption syncSetup_;
    QCommandLineOption user_;
    QCommandLineOption remind_;
    QCommandLineOption again_;
    QCommandLineOption day_;
    QCommandLineOption today_;
};

// The executable's name for each program, as installed.
QString executableName(Program program);
// The desktop entry and AppStream id, without ".desktop".
QString desktopFileName(Program program);

} // namespace common
