#pragma once

#include "common/commandline.h"

#include <QTextStream>

namespace quindara {

// The file exchange asked on the command line (--export-ics, --import-ics, --export-vcf, --import-vcf),
// on the agenda under `programFolder`. Writes the Spanish summary to `out` and returns its exit code:
// 0 done, 1 file refused, 2 wrong category or folder, 3 some files could not be written.
int runExchangeCommand(const common::CommandLineOptions& options, const QString& programFolder,
                       QTextStream& out);

} // namespace quindara
