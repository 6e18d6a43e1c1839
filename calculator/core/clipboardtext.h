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
// ways ("1.234") is read by the locale's separators.
PastedNumbers readPastedNumbers(QStringView text, const Separators& separators);
// One field of such a text; nothing when it is not a number.
std::optional<QString> readPastedNumber(QStringView field, const Separators& separators);

// A result as a spreadsheet takes it: the locale's decimal separator, no grouping.
QString plainNumber(const QString& numberText, const Separators& separators);
// The tape as TAB-separated columns, one row per line (number from 1, operation name, value), then
// the total; lines end with "\n".
QString tapeText(const Tape& tape, const QStringList& operationNames, const QString& total,
                 const Separators& separators);

} // namespace tallimo
