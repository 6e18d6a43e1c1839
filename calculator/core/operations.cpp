#include "calculator/core/operations.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace tallimo {

namespace {

// Digits a computed root may be off by before it is taken for the exact root it approximates.
constexpr int kSnapDigits = 30;
constexpr std::int64_t kSmallestWhole = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kLargestWhole = std::numeric_limits<std::int32_t>::max();

bool isWhole(const Decimal& value) {
    return trunc(value) == value;
}

Decimal wholePower(Decimal base, std::uint64_t exponent) {
    Decimal result = 1;
    while (exponent != 0) {
        if (exponent & 1U)
            result *= base;
        exponent >>= 1U;
        if (exponent != 0)
            base *= base;
    }
    return result;
}

// A root computed through logarithms lands a hair beside an exact root (8 root 3 gives 1.999...);
// take the rounded value when it is the exact root, so later whole-number keys see the right number.
Decimal snappedRoot(const Decimal& computed, const Decimal& radicand, std::uint64_t degree) {
    const Decimal candidate = decimalFrom(roundedToSignificant(decimalDigits(computed), kSnapDigits));
    if (candidate != computed && wholePower(candidate, degree) == radicand)
        return candidate;
    return computed;
}

} // namespace

std::optional<Decimal> inRange(Decimal value) {
    if (keepInRange(value) == RangeCheck::Overflows)
        return std::nullopt;
    return value;
}

std::optional<Decimal> power(const Decimal& base, const Decimal& exponent) {
    if (exponent == 0)
        return Decimal(1);
    if (base == 0) {
        if (exponent > 0)
            return Decimal(0);
        return std::nullopt;
    }
    const bool whole = isWhole(exponent);
    if (base < 0 && !whole)
        return std::nullopt;
    const Decimal magnitude = abs(base);
    if (magnitude == 1)
        return (base < 0 && fmod(exponent, Decimal(2)) != 0) ? Decimal(-1) : Decimal(1);
    // Size of the result from doubles first: it keeps enormous exponents from running long.
    const double scale = exponent.convert_to<double>() * std::log10(magnitude.convert_to<double>());
    if (scale > 310)
        return std::nullopt;
    if (scale < -330)
        return Decimal(0);
    Decimal result;
    const Decimal steps = abs(exponent);
    if (whole && steps < Decimal(std::numeric_limits<std::int64_t>::max())) {
        result = wholePower(base, steps.convert_to<std::uint64_t>());
        if (exponent < 0)
            result = 1 / result;
    } else {
        result = exp(exponent * log(magnitude));
    }
    return inRange(result);
}

std::optional<Decimal> root(const Decimal& radicand, const Decimal& degree) {
    const std::optional<Decimal> result = power(radicand, 1 / degree);
    if (!result || !isWhole(degree) || abs(degree) > 1000)
        return result;
    if (degree < 0)
        return result;
    return snappedRoot(*result, radicand, degree.convert_to<std::uint64_t>());
}

std::optional<Decimal> squareRoot(const Decimal& value) {
    if (value < 0)
        return std::nullopt;
    return snappedRoot(sqrt(value), value, 2);
}

std::optional<Decimal> factorial(const Decimal& value) {
    // 170! is the largest factorial inside the double range.
    if (value >= 171)
        return std::nullopt;
    Decimal result = 1;
    for (int k = 2; Decimal(k) <= value; ++k)
        result *= k;
    return result;
}

std::optional<Decimal> wholeDivision(const Decimal& dividend, const Decimal& divisor, WholeDivision part) {
    const Decimal a = roundedHalfEven(dividend);
    const Decimal b = roundedHalfEven(divisor);
    const auto fits = [](const Decimal& v) { return v >= kSmallestWhole && v <= kLargestWhole; };
    if (!fits(a) || !fits(b))
        return std::nullopt;
    const auto whole = a.convert_to<std::int64_t>();
    const auto by = b.convert_to<std::int64_t>();
    if (by == 0)
        return std::nullopt;
    if (part == WholeDivision::Remainder)
        return Decimal(whole % by);
    const std::int64_t quotient = whole / by;
    if (quotient > kLargestWhole)
        return std::nullopt; // -2147483648 divided by -1
    return Decimal(quotient);
}

} // namespace tallimo
