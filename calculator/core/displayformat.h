// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calculator/core/numbers.h"

#include <QLocale>
#include <QString>

namespace tallimo {

// The index of the format key last pressed.
enum class NumberFormat : quint8 {
    TwoDecimals = 0,         // 1.234,50
    Entry = 1,               // the raw texts
    TwoDecimalsCurrency = 2, // 1.234,50 €
    Whole = 3,               // 1.235
    WholeCurrency = 4,       // 1.235 €
};

// Separators of the user's number settings. Only the characters are taken: grouping always starts at
// the first thousand, whatever the locale's own grouping policy says.
struct Separators {
    QString decimal;
    QString group;
    static Separators of(const QLocale& locale);
};

// The value rounded to the mode's decimals (halves away from zero), digits grouped in threes, and for
// the currency modes a blank and the symbol (just the blank when the symbol is empty).
QString formatNumber(const Number& value, NumberFormat mode, const Separators& separators,
                     const QString& currencySymbol);
// A row or result text read by the reading rule and formatted; a number beyond the double range,
// which the calculator cannot hold, shows "ERROR".
QString formatText(const QString& text, NumberFormat mode, const Separators& separators,
                   const QString& currencySymbol);

} // namespace tallimo
