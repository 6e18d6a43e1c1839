// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calculator/core/displayformat.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace tallimo {

class Tape;

// Numbers found in a text copied from elsewhere (a bank statement, a spreadsheet column), as row
// texts the tape reads exactly ("-1234.50").
struct PastedNumbers {
    QStringList numbers;
    // Lines that held something, but no number.
    int linesWithoutNumber = 0;
};

// One number per line, or several separated by TAB or ";". A number may carry blanks, currency
// symbols or a three-letter currency code around it, a leading or trailing minus or parentheses for
// a negative, and grouping in threes; "." or "," is its decimal point, and a text that reads both
// ways ("1.234") is read as the other numbers of its column show, or else by the locale's separators.
// A tape the calculator copied (row number, operation, amount, the total line) gives its amounts only.
PastedNumbers readPastedNumbers(QStringView text, const Separators& separators);
// One field of such a text; nothing when it is not a number. A text that reads both ways is read with
// `columnDecimal` when given; `decimalSeen`, when given, receives the decimal mark the text shows beyond
// doubt.
std::optional<QString> readPastedNumber(QStringView field, const Separators& separators);
std::optional<QString> readPastedNumber(QStringView field, const Separators& separators,
                                        std::optional<QChar> columnDecimal,
                                        std::optional<QChar>* decimalSeen);

// A result as a spreadsheet takes it: the locale's decimal separator, no grouping.
QString plainNumber(const QString& numberText, const Separators& separators);
// The tape as TAB-separated columns, one row per line (number from 1, operation name, value), then
// the total; lines end with "\n".
QString tapeText(const Tape& tape, const QStringList& operationNames, const QString& total,
                 const Separators& separators);

} // namespace tallimo
