// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTextStream>

namespace quindara {

enum SearchCommandStatus { kSearchFound = 0, kSearchNothingFound = 1, kSearchBadFolder = 2 };

// The search from the command line: every result of `query` in the agenda under `dataFolder`, one per
// line as "ISO date or kind<TAB>where<TAB>excerpt", newest first as the search page lists them (what comes
// back every year at its day of `shownYear`), in UTF-8, control characters shown as "^[". Returns 0 when
// something was found, 1 when nothing was, 2 when the folder is not an agenda's (then a line in Spanish goes
// to the standard error, and nothing to `out`).
int runSearchCommand(const QString& dataFolder, const QString& query, int shownYear, QTextStream& out);

} // namespace quindara
