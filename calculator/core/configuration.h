// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calculator/core/operations.h"

#include <QString>
#include <QStringList>

namespace tallimo {

class CalculatorFolder;

// What the three configuration files say. Missing files or lines leave empty texts; nothing here fails.
struct CalculatorConfiguration {
    // Name of each operation code for the operation log (13 entries; the last is never filled).
    QStringList operationNames;
    // Tooltip of each operation key: a key whose help line is missing repeats the last line read.
    QStringList helpTexts;
    // The last help line read.
    QString lastHelpText;
    // The first character of the currency file, or empty.
    QString currencySymbol;
};

CalculatorConfiguration readConfiguration(const CalculatorFolder& folder);

// The first character of a text; a line break or other control character counts as no symbol.
QString currencySymbolOf(const QString& text);

} // namespace tallimo
