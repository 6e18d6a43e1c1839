// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace common {

// The two programs that share one data folder. The calculator keeps its files in "<data folder>/tallimo".
enum class Program { Agenda, Calculator };

// Where the data folder came from, in the order it is looked for.
enum class FolderSource { Option, Environment, ProgramFolder, Home };

// Everything the choice depends on, gathered by the caller so the choice itself is a pure function.
struct FolderRequest {
    QString option;        // --folder as typed; empty when not given
    QString environment;   // QUINDARA_DIR; empty when unset
    QString programFolder; // the folder the running executable sits in
    QString homeFolder;
    QString workingFolder; // a relative --folder or QUINDARA_DIR is taken from here
};

struct FolderChoice {
    QString dataFolder;    // the agenda's data folder, absolute and clean
    QString programFolder; // the running program's own folder: the data folder, or its "tallimo" for the
                           // calculator
    FolderSource source = FolderSource::Home;
};

// The name of the folder under the home folder used when nothing else says where the data lives.
QString defaultFolderName();
// The calculator's folder inside a data folder.
QString calculatorFolderName();

// True when the folder already holds the agenda's data tree (its saints and day-note folders).
bool holdsAgendaTree(const QString& folder);

// --folder, then QUINDARA_DIR, then the portable folder the executable sits in (for the calculator, the
// agenda folder whose "tallimo" it sits in), then ~/Quindara.
FolderChoice chooseDataFolder(Program program, const FolderRequest& request);

// The installed shipped tree: "<prefix>/share/quindara" next to "<prefix>/bin"; empty when it is not there.
QString installedShareFolder(const QString& executableFolder);

// True when the program's part of the data folder has never been filled: the agenda's tree, or the
// calculator's configuration.
bool needsShippedContent(Program program, const QString& dataFolder);

// Copies the program's part of the shipped tree (all of it for the agenda, its "tallimo" for the calculator)
// into the data folder: every folder, and every file that is missing. A file that is there is never
// touched. Returns the paths that could not be created or copied.
QStringList copyMissingShippedContent(Program program, const QString& shareFolder, const QString& dataFolder);

} // namespace common
