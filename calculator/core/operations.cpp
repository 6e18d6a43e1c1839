#include "calculator/core/operations.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tallimo {

namespace {

// Digits a computed root may be off by before it is taken for the exact root it approximates.
constexpr int kSnapDigits = 30;
// A computed root is correct to far more digits than these (the arithmetic carries 64); when the digits
// after the first kSnapDigits are not all 0 or all 9 up to here, it is no exact root's near miss.
constexpr int kLastSnapCheckedDigit = kSnapDigits + 12;
// Whole exponents up to this size are multiplied out exactly; the decimal type's own range is far
// wider than the double range, so no intermediate product can overflow it.
constexpr int kLargestMultipliedExponent = 1024;
constexpr std::int64_t kSmallestWhole = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kLargestWhole = std::numeric_limits<std::int32_t>::max();

bool isWhole(const Decimal& value) {
    return trunc(value) == value;
}

// By squaring. The decimal type multiplies by 1 without changing a digit, so the first factor is taken
// as it is rather than multiplied into 1.
Decimal wholePower(Decimal base, std::uint64_t exponent) {
    std::optional<Decimal> result;
    while (exponent != 0) {
        if (exponent & 1U) {
            if (result)
                *result *= base;
            else
                result = base;
        }
        exponent >>= 1U;
        if (exponent != 0)
            base *= base;
    }
    return result ? *std::move(result) : Decimal(1);
}

// A root computed by iteration can land a hair beside an exact root (1.999... for the cube root of 8);
// take the rounded value when it is the exact root, so later whole-number keys see the right number.
Decimal snappedRoot(const Decimal& computed, const Decimal& radicand, std::uint64_t degree) {
    if (computed.sign() == 0 || !sameDigitsFrom(computed, kSnapDigits + 1, kLastSnapCheckedDigit))
        return computed;
    const int shift = kSnapDigits - 1 - leadingExponent(computed);
    if (std::abs(shift) > 400)
        return computed;
    const Decimal candidate = roundedHalfAway(computed * powerOfTen(shift)) * powerOfTen(-shift);
    if (candidate != computed && wholePower(candidate, degree) == radicand)
        return candidate;
    return computed;
}

// The decimal type's reciprocal of a small whole degree, worked out once: a long tape takes the same
// root on many rows, and each root divides by its degree several times.
const Decimal& reciprocalOfDegree(std::uint64_t degree) {
    constexpr std::uint64_t kKept = 32;
    static const std::array<Decimal, kKept + 1> kept = [] {
        std::array<Decimal, kKept + 1> table;
        for (std::uint64_t n = 1; n <= kKept; ++n)
            table[n] = reciprocalAsDivided(Decimal(n));
        return table;
    }();
    thread_local Decimal other;
    if (degree <= kKept)
        return kept[degree];
    other = reciprocalAsDivided(Decimal(degree));
    return other;
}

// The positive n-th root of a positive value: Newton's steps from the double estimate, each doubling
// the correct digits, so far cheaper than a power through logarithms.
Decimal wholeRoot(const Decimal& radicand, std::uint64_t degree) {
    const double logRoot = approximateLog10(radicand) / double(degree);
    const double whole = std::floor(logRoot);
    Decimal root = Decimal(std::pow(10.0, logRoot - whole)) * powerOfTen(int(whole));
    const Decimal n(degree);
    const Decimal& inverse = reciprocalOfDegree(degree);
    for (int step = 0; step < 3; ++step) {
        // root x (n - 1), by the one-limb multiplication that gives the same digits as the full one.
        Decimal sum = root;
        sum.backend().mul_unsigned_long_long(degree - 1);
        sum += radicand / wholePower(root, degree - 1);
        root = quotientBy(sum, n, inverse);
    }
    return snappedRoot(root, radicand, degree);
}

} // namespace

std::optional<Decimal> inRange(Decimal value) {
    if (keepInRange(value) == RangeCheck::Overflows)
        return std::nullopt;
    return value;
}

std::optional<Decimal> power(const Decimal& base, const Decimal& exponent) {
    if (exponent.sign() == 0)
        return Decimal(1);
    if (base.sign() == 0) {
        if (exponent.sign() > 0)
            return Decimal(0);
        return std::nullopt;
    }
    // The usual small whole exponents, multiplied out at once as below.
    if (const std::optional<std::uint32_t> small = smallWholeNumber(exponent);
        small && *small <= kLargestMultipliedExponent)
        return inRange(wholePower(base, *small));
    const bool whole = isWhole(exponent);
    if (base.sign() < 0 && !whole)
        return std::nullopt;
    const Decimal steps = abs(exponent);
    if (whole && steps <= kLargestMultipliedExponent) {
        const Decimal result = wholePower(base, steps.convert_to<std::uint64_t>());
        return inRange(exponent < 0 ? 1 / result : result);
    }
    const Decimal magnitude = abs(base);
    if (magnitude == 1)
        return (base < 0 && fmod(exponent, Decimal(2)) != 0) ? Decimal(-1) : Decimal(1);
    // The size of the result first (log10 of it): it keeps enormous exponents from running long.
    const double sign = exponent < 0 ? -1.0 : 1.0;
    const double size = sign * std::pow(10.0, approximateLog10(exponent)) * approximateLog10(magnitude);
    if (size > 310)
        return std::nullopt;
    if (size < -330)
        return Decimal(0);
    if (whole && steps < Decimal(std::numeric_limits<std::int64_t>::max())) {
        const Decimal result = wholePower(base, steps.convert_to<std::uint64_t>());
        return inRange(exponent < 0 ? 1 / result : result);
    }
    return inRange(exp(exponent * log(magnitude)));
}

std::optional<Decimal> root(const Decimal& radicand, const Decimal& degree) {
    // The usual degrees, 2 to 32, decided at once: the same steps as below, without the checks that
    // cannot fail for them.
    if (const std::optional<std::uint32_t> small = smallWholeNumber(degree);
        small && *small >= 2 && *small <= 32) {
        if (radicand.sign() > 0)
            return inRange(wholeRoot(radicand, *small));
        return power(radicand, reciprocalOfDegree(*small));
    }
    // 1 / degree is a number of its own and must fit the range like any other.
    const bool smallWhole = degree >= 1 && degree <= 32 && isWhole(degree);
    // 1 / degree for a small whole degree is its kept reciprocal (1 times it, digit for digit).
    const std::optional<Decimal> inverse = inRange(
        smallWhole ? (degree == 1 ? Decimal(1) : reciprocalOfDegree(degree.convert_to<std::uint64_t>()))
                   : 1 / degree);
    if (!inverse)
        return std::nullopt;
    const Decimal& exponent = *inverse;
    if (radicand > 0 && isWhole(degree) && degree >= 2 && degree <= kLargestMultipliedExponent &&
        !isWhole(exponent))
        return inRange(wholeRoot(radicand, degree.convert_to<std::uint64_t>()));
    return power(radicand, exponent);
}

std::optional<Decimal> squareRoot(const Decimal& value) {
    if (value.sign() < 0)
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

namespace {

std::optional<Decimal> wholeDivisionOf(std::int64_t whole, std::int64_t by, WholeDivision part) {
    const auto fits = [](std::int64_t v) { return v >= kSmallestWhole && v <= kLargestWhole; };
    if (!fits(whole) || !fits(by) || by == 0)
        return std::nullopt;
    if (part == WholeDivision::Remainder)
        return Decimal(whole % by);
    const std::int64_t quotient = whole / by;
    if (quotient > kLargestWhole)
        return std::nullopt; // -2147483648 divided by -1
    return Decimal(quotient);
}

// The two values rounded half to even as 32-bit whole numbers, divided.
std::optional<Decimal> wholeDivision(const Decimal& dividend, const Decimal& divisor, WholeDivision part) {
    const Decimal a = roundedHalfEven(dividend);
    const Decimal b = roundedHalfEven(divisor);
    const auto fits = [](const Decimal& v) { return v >= kSmallestWhole && v <= kLargestWhole; };
    if (!fits(a) || !fits(b))
        return std::nullopt;
    return wholeDivisionOf(a.convert_to<std::int64_t>(), b.convert_to<std::int64_t>(), part);
}

} // namespace

std::optional<Decimal> wholeDivisionOfShown(const Decimal& dividend, const Decimal& divisor,
                                            WholeDivision part) {
    // Read off the digits while both are below 10^10; beyond, neither is a 32-bit whole number and the
    // decimal way says so.
    const std::optional<std::int64_t> whole = wholeHalfEven(dividend, true);
    const std::optional<std::int64_t> by = wholeHalfEven(divisor, false);
    if (whole && by)
        return wholeDivisionOf(*whole, *by, part);
    return wholeDivision(shownValue(dividend), divisor, part);
}

} // namespace tallimo
