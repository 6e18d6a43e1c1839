// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tallimo {

class Tape;

// What the log shows: the raw texts, or the captions of the last format key.
enum class LogMode { Entry, Formatted };

// The printable operation log of a tape, lines joined by "\n" and without the final line end the
// writer adds. Every value, rows and total, in either mode, ends in column 26; `operationNames` are
// indexed by operation code, missing names are empty.
QString operationLogText(const Tape& tape, LogMode mode, const QString& total,
                         const QStringList& operationNames);

} // namespace tallimo
