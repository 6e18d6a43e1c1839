// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/displayformat.h"

#include "calculator/core/tape.h"

namespace tallimo {

namespace {

int decimalsOf(NumberFormat mode) {
    return mode == NumberFormat::TwoDecimals || mode == NumberFormat::TwoDecimalsCurrency ? 2 : 0;
}

bool hasCurrency(NumberFormat mode) {
    return mode == NumberFormat::TwoDecimalsCurrency || mode == NumberFormat::WholeCurrency;
}

QString grouped(const QString& wholeDigits, const QString& separator) {
    QString text;
    text.reserve(wholeDigits.size() + wholeDigits.size() / 3 * separator.size());
    for (qsizetype k = 0; k < wholeDigits.size(); ++k) {
        if (k > 0 && (wholeDigits.size() - k) % 3 == 0)
            text += separator;
        text += wholeDigits[k];
    }
    return text;
}

} // namespace

Separators Separators::of(const QLocale& locale) {
    return {locale.decimalPoint(), locale.groupSeparator()};
}

QString formatNumber(const Number& value, NumberFormat mode, const Separators& separators,
                     const QString& currencySymbol) {
    const int decimals = decimalsOf(mode);
    const DecimalDigits digits = roundedToDecimals(value.middle(), decimals);
    const QString all = QString::fromLatin1(digits.digits.data(), qsizetype(digits.digits.size()));
    // Every digit placed: `whole` before the point, `fraction` after it.
    QString whole;
    QString fraction;
    if (digits.exponent > 0) {
        whole = all.left(digits.exponent).leftJustified(digits.exponent, u'0');
        fraction = all.mid(digits.exponent);
    } else {
        fraction = QString(-digits.exponent, u'0') + all;
    }
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    fraction = fraction.leftJustified(decimals, u'0');

    QString text = digits.negative ? QStringLiteral("-") : QString();
    text += grouped(whole, separators.group);
    if (decimals > 0)
        text += separators.decimal + fraction;
    if (hasCurrency(mode))
        text += u' ' + currencySymbol;
    return text;
}

QString formatText(const QString& text, NumberFormat mode, const Separators& separators,
                   const QString& currencySymbol) {
    const ReadNumber number = readNumber(text);
    if (number.overflow)
        return Tape::kError;
    return formatNumber(number.value, mode, separators, currencySymbol);
}

} // namespace tallimo
