#pragma once

#include <QString>
#include <QStringView>

#include <boost/multiprecision/cpp_dec_float.hpp>

#include <optional>
#include <string>

namespace tallimo {

// Decimal arithmetic, so 0.1 + 0.2 is 0.3 and money subtracts to the cent. Expression templates
// are off: they only pay off for long formulas and make plain code harder to read.
using Decimal =
    boost::multiprecision::number<boost::multiprecision::cpp_dec_float<34>, boost::multiprecision::et_off>;

// The calculator keeps the range of a double: beyond it a result overflows, below it a result is 0.
const Decimal& largestNumber();
const Decimal& smallestNumber();

enum class RangeCheck { Fits, Overflows };
// Flushes magnitudes below the smallest number to 0; reports magnitudes above the largest.
RangeCheck keepInRange(Decimal& value);

// An exact decimal as a whole number of units of 10^-scale, for the four rules and percent on long tapes:
// while a value has at most kScaledDigits significant digits the decimal type holds it exactly too, and
// so does every sum, difference and product of such values that has no more digits. Those results are
// then the same on both ways, and the integer way is many times faster.
__extension__ typedef __int128 ScaledUnits; // a GNU type: -Wpedantic wants it marked
struct ScaledDecimal {
    static constexpr int kScaledDigits = 34;
    static constexpr int kLargestScale = 300;
    ScaledUnits units = 0;
    int scale = 0;
};
// A row text read as a number: blanks, tabs and line feeds are skipped anywhere, then an optional
// sign, digits with at most one ".", an optional exponent ("E" or "D", optional sign, digits).
// Reading stops at the first character that does not fit; no digits read as 0.
struct ReadNumber {
    Decimal value;
    bool overflow = false;
    // The same value as a ScaledDecimal when it fits one.
    std::optional<ScaledDecimal> scaled = ScaledDecimal{};
};
ReadNumber readNumber(QStringView text);

// The significant digits of a value: value = 0.d1d2d3... x 10^exponent; empty digits mean zero.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};
DecimalDigits decimalDigits(const Decimal& value);
// Rounds to `count` significant digits, halves away from zero.
DecimalDigits roundedToSignificant(DecimalDigits digits, int count);
// Rounds to `decimals` digits after the point, halves away from zero.
DecimalDigits roundedToDecimals(DecimalDigits digits, int decimals);
// The value again; digits beyond the arithmetic's precision are dropped.
Decimal decimalFrom(const DecimalDigits& digits);

// The text a result is shown with: at most 15 significant digits, "." as decimal point, no grouping,
// scientific form ("1E+15", "1.5E-07") from 10^15 upwards and below 10^-4.
QString numberText(const Decimal& value);
// The value as numberText writes it. Roots and powers leave digits beyond those (1.999... for the
// square of the square root of 2); keys that jump at whole numbers or halves must see the number shown.
Decimal shownValue(const Decimal& value);

// 10^exponent, exact, for exponents from -400 to 400.
const Decimal& powerOfTen(int exponent);
// The exponent of the leading digit: 3 for 1234.5, -2 for 0.05. Not meaningful for 0.
int leadingExponent(const Decimal& value);
// True when the digits of |value| at positions first..last (1 is the leading digit) are all 0 or all 9,
// and also when the value is 0 or its digits cannot be read: only then can the value lie closer than
// 10^(1 - last) times itself to a number of first - 1 significant digits.
bool sameDigitsFrom(const Decimal& value, int first, int last);
// The value when it is a whole number from 1 to 99,999,999, read off its digits.
std::optional<std::uint32_t> smallWholeNumber(const Decimal& value);
// log10 of |value|, to double precision, read off the decimal's own digits.
double approximateLog10(const Decimal& value);

// The value as a ScaledDecimal, or nothing when it has more digits or a scale beyond the limits.
std::optional<ScaledDecimal> scaledFrom(const Decimal& value);
Decimal decimalFrom(const ScaledDecimal& value);
// Each gives nothing when the exact result would not fit: the caller then takes the decimal type.
std::optional<ScaledDecimal> scaledSum(const ScaledDecimal& a, const ScaledDecimal& b);
// a x b x 10^-extraScale (extraScale 2 for a percentage).
std::optional<ScaledDecimal> scaledProduct(const ScaledDecimal& a, const ScaledDecimal& b,
                                           int extraScale = 0);
// The same value with trailing zero digits taken off the units while the scale allows.
ScaledDecimal shortened(ScaledDecimal value);
// base^exponent, multiplied out as the decimal type's whole powers are (by squaring), or nothing when a
// product would not fit.
std::optional<ScaledDecimal> scaledPower(ScaledDecimal base, std::uint64_t exponent);
// The square root when it is exact (a square of a ScaledDecimal), else nothing; nothing for negatives.
std::optional<ScaledDecimal> exactSquareRoot(const ScaledDecimal& value);
// numberText of the value, straight from its digits.
QString numberText(const ScaledDecimal& value);
// True when |a| and |b| are the same number.
bool sameMagnitude(const ScaledDecimal& a, const ScaledDecimal& b);
// The decimal type's own reciprocal, the one its division multiplies by (not always the exact one).
Decimal reciprocalAsDivided(const Decimal& divisor);
// dividend / divisor, digit for digit as the decimal type divides, given reciprocalAsDivided(divisor):
// many divisions by one divisor then cost a multiplication each.
Decimal quotientBy(const Decimal& dividend, const Decimal& divisor, const Decimal& reciprocal);

// round(value), digit for digit: whole-number rounding with halves away from zero.
Decimal roundedHalfAway(const Decimal& value);
// Whole-number rounding with halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
Decimal roundedHalfEven(const Decimal& value);
// roundedHalfEven of the value, or of its shownValue, read off its digits: nothing from 10^10 on.
std::optional<std::int64_t> wholeHalfEven(const Decimal& value, bool ofShownValue);

} // namespace tallimo
