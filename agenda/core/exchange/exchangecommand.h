// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/folderwriter.h"

#include "common/commandline.h"
#include "common/instancelock.h"

#include <QStringList>
#include <QTextStream>

#include <functional>

namespace quindara {

// The file exchange asked on the command line (--export-ics, --import-ics, --export-vcf, --import-vcf),
// on the agenda under `programFolder`. Writes the Spanish summary to `out` when all was done, to `err`
// otherwise, and returns its exit code: 0 done, 1 file refused, 2 wrong category or folder (or the folder
// busy), 3 some files could not be written.
int runExchangeCommand(const common::CommandLineOptions& options, const QString& programFolder,
                       QTextStream& out, QTextStream& err);

// The same as the folder's only writer. An import is handed to the agenda window that has the folder open,
// which runs it and sends back its summary; with none, it waits for another command-line import of the
// folder and then runs here, holding the folder as a window does. An export writes nothing in the folder
// and runs at once. `arguments` is the command line as typed, the program first.
int runExchangeCommandAsWriter(const common::CommandLineOptions& options, const QStringList& arguments,
                               const QString& programFolder, QTextStream& out, QTextStream& err);

// Runs, in the open agenda window, an import a command line handed over.
common::WriterJobResult runHandedExchange(const QString& programFolder, const common::WriterJob& job);

} // namespace quindara
