// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <gmpxx.h>
#include <mpfr.h>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace tallimo {

// An MPFR number of the working precision, owned.
class Real {
public:
    static constexpr mpfr_prec_t kBits = 192; // about 57 significant digits
    Real();
    Real(const Real& other);
    Real(Real&& other) noexcept;
    Real& operator=(const Real& other);
    Real& operator=(Real&& other) noexcept;
    ~Real();
    mpfr_ptr get() { return value_; }
    mpfr_srcptr get() const { return value_; }

private:
    mpfr_t value_;
};

// A calculator value. Exact (a fraction in lowest terms) while every operation has an exact answer;
// after a root, a non-whole power or a fraction grown too long, a Real with a bound on its relative
// error, so that what is left of a cancellation can be told from a number.
class Number {
public:
    Number() = default; // exact 0
    explicit Number(mpq_class exact) : value_(std::move(exact)) {}
    Number(Real approximation, double relativeError);

    bool isExact() const { return std::holds_alternative<mpq_class>(value_); }
    // Only for exact values.
    const mpq_class& fraction() const { return std::get<mpq_class>(value_); }
    // The value itself, or the middle of the approximation, as a fraction.
    mpq_class middle() const;
    // Only for approximations.
    const Real& approximation() const { return std::get<Approximation>(value_).value; }
    // 0 for exact values.
    double relativeError() const;
    int sign() const;
    bool isZero() const { return sign() == 0; }
    bool operator==(const Number& other) const;

private:
    struct Approximation {
        Real value;
        double error = 0;
    };
    std::variant<mpq_class, Approximation> value_;
};

// The calculator keeps the range of a double: beyond it a result overflows, below it a result is 0.
const mpq_class& largestNumber();
const mpq_class& smallestNumber();

// An exact decimal as a whole number of units of 10^-scale: money and typed numbers fit one, and the
// four rules on them are many times faster on integers than on fractions.
__extension__ typedef __int128 ScaledUnits; // a GNU type: -Wpedantic wants it marked
struct ScaledDecimal {
    static constexpr int kScaledDigits = 34;
    static constexpr int kLargestScale = 300;
    ScaledUnits units = 0;
    int scale = 0;
};
// A row text read as a number: blanks, tabs and line feeds are skipped anywhere, then an optional
// sign, digits with at most one ".", an optional exponent ("E" or "D", optional sign, digits).
// Reading stops at the first character that does not fit; no digits read as 0. Every digit counts.
struct ReadNumber {
    Number value;
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
// A fraction rounded to `count` significant digits, halves away from zero (cut instead when `cut`).
DecimalDigits roundedToSignificant(const mpq_class& value, int count, bool cut = false);
// A fraction rounded to `decimals` digits after the point, halves away from zero.
DecimalDigits roundedToDecimals(const mpq_class& value, int decimals);
mpq_class fractionFrom(const DecimalDigits& digits);

// The text a result is shown with: at most 15 significant digits, "." as decimal point, no grouping,
// scientific form ("1E+15", "1.5E-07") from 10^15 upwards and below 10^-4. An approximation shows
// only the digits its error leaves right.
QString numberText(const Number& value);
QString numberText(const ScaledDecimal& value);

// The exponent of the leading digit: 3 for 1234.5, -2 for 0.05. Not meaningful for 0.
int leadingExponent(const Number& value);
// log10 of |value|, to double precision.
double approximateLog10(const Number& value);

// The value as a ScaledDecimal, or nothing when it is no decimal of at most kScaledDigits digits.
std::optional<ScaledDecimal> scaledFrom(const mpq_class& value);
Number numberFrom(const ScaledDecimal& value);
mpq_class fractionFrom(const ScaledDecimal& value);
// Each gives nothing when the exact result would not fit: the caller then takes fractions.
std::optional<ScaledDecimal> scaledSum(const ScaledDecimal& a, const ScaledDecimal& b);
// a x b x 10^-extraScale (extraScale 2 for a percentage).
std::optional<ScaledDecimal> scaledProduct(const ScaledDecimal& a, const ScaledDecimal& b,
                                           int extraScale = 0);
// a / b when the quotient is a decimal that fits; nothing for b = 0.
std::optional<ScaledDecimal> scaledQuotient(const ScaledDecimal& a, const ScaledDecimal& b);
// The same value with trailing zero digits taken off the units while the scale allows.
ScaledDecimal shortened(ScaledDecimal value);
std::optional<ScaledDecimal> scaledPower(ScaledDecimal base, std::uint64_t exponent);
// The square root when it is exact (a square of a ScaledDecimal), else nothing; nothing for negatives.
std::optional<ScaledDecimal> exactSquareRoot(const ScaledDecimal& value);

// Whole-number rounding with halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
mpz_class roundedHalfEven(const mpq_class& value);
Number roundedHalfEven(const Number& value);

} // namespace tallimo
