// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/operations.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tallimo {

namespace {

// The relative size of one rounding at the working precision (half a unit in the last place, doubled
// for safety).
const double kUnit = std::ldexp(1.0, -int(Real::kBits) + 1);
// A fraction whose numerator and denominator together grow past this many bits would slow every row
// after it: it is rounded to the working precision instead.
constexpr std::size_t kLargestFractionBits = 512;
// Exact whole powers up to this many bits are multiplied out; larger ones are rounded.
constexpr std::size_t kLargestPowerBits = 4096;
// Largest denominator of a fractional exponent tried for an exact root.
constexpr unsigned long kLargestExactRootDegree = 64;
constexpr long kSmallestWhole = std::numeric_limits<std::int32_t>::min();
constexpr long kLargestWhole = std::numeric_limits<std::int32_t>::max();

// A value as the middle of a ball: the true value lies within error x |middle| of it.
struct Ball {
    Real middle;
    double error = 0;
};

double rounding(int ternary) {
    return ternary != 0 ? kUnit : 0.0;
}

Ball ballOf(const Number& value) {
    if (!value.isExact())
        return {value.approximation(), value.relativeError()};
    Ball ball;
    ball.error = rounding(mpfr_set_q(ball.middle.get(), value.fraction().get_mpq_t(), MPFR_RNDN));
    return ball;
}

// The ball as a number: exact when nothing was rounded, 0 when the error reaches its size (all that
// is left of a cancellation), nothing when undefined.
std::optional<Number> numberOf(Ball ball) {
    if (mpfr_nan_p(ball.middle.get()))
        return std::nullopt;
    if (mpfr_zero_p(ball.middle.get()) || !(ball.error < 1))
        return Number();
    if (ball.error == 0 && mpfr_number_p(ball.middle.get())) {
        mpq_class exact;
        mpfr_get_q(exact.get_mpq_t(), ball.middle.get());
        return Number(std::move(exact));
    }
    return Number(std::move(ball.middle), ball.error);
}

// |x| / |y| as a double (infinite when beyond its range); y is not 0.
double ratio(mpfr_srcptr x, mpfr_srcptr y) {
    if (mpfr_zero_p(x))
        return 0;
    long xExponent = 0;
    long yExponent = 0;
    const double xMantissa = mpfr_get_d_2exp(&xExponent, x, MPFR_RNDN);
    const double yMantissa = mpfr_get_d_2exp(&yExponent, y, MPFR_RNDN);
    return std::ldexp(std::abs(xMantissa / yMantissa), int(std::clamp(xExponent - yExponent, -4000L, 4000L)));
}

// Error carried from an operand into a result, by the operand's share of it.
double carried(double error, mpfr_srcptr operand, mpfr_srcptr result) {
    return error == 0 ? 0.0 : error * ratio(operand, result);
}

Ball sumOf(const Ball& a, const Ball& b, bool subtract) {
    Ball r;
    const int ternary = subtract ? mpfr_sub(r.middle.get(), a.middle.get(), b.middle.get(), MPFR_RNDN)
                                 : mpfr_add(r.middle.get(), a.middle.get(), b.middle.get(), MPFR_RNDN);
    if (mpfr_zero_p(r.middle.get()))
        return r;
    r.error = carried(a.error, a.middle.get(), r.middle.get()) +
              carried(b.error, b.middle.get(), r.middle.get()) + rounding(ternary);
    return r;
}

Ball productOf(const Ball& a, const Ball& b) {
    Ball r;
    const int ternary = mpfr_mul(r.middle.get(), a.middle.get(), b.middle.get(), MPFR_RNDN);
    r.error = a.error + b.error + a.error * b.error + rounding(ternary);
    return r;
}

Ball quotientOf(const Ball& a, const Ball& b) {
    Ball r;
    const int ternary = mpfr_div(r.middle.get(), a.middle.get(), b.middle.get(), MPFR_RNDN);
    r.error = b.error < 1 ? (a.error + b.error) / (1 - b.error) + rounding(ternary)
                          : std::numeric_limits<double>::infinity();
    return r;
}

std::size_t bitsOf(const mpq_class& value) {
    return mpz_sizeinbase(value.get_num_mpz_t(), 2) + mpz_sizeinbase(value.get_den_mpz_t(), 2);
}

// An exact result, rounded to the working precision when it has grown too long to keep.
std::optional<Number> kept(mpq_class value) {
    if (bitsOf(value) <= kLargestFractionBits)
        return Number(std::move(value));
    return numberOf(ballOf(Number(std::move(value))));
}

bool isWhole(const Number& value) {
    return value.isExact() && value.fraction().get_den() == 1;
}

// The value, or for an approximation whose ball holds `boundary`, the boundary itself: a decision
// at a whole number or a half takes the simple number when the digits cannot tell them apart.
mpq_class resolved(const Number& value, const mpq_class& boundary) {
    if (value.isExact())
        return value.fraction();
    const mpq_class middle = value.middle();
    const mpq_class distance = abs(middle - boundary);
    if (distance <= mpq_class(value.relativeError()) * abs(middle))
        return boundary;
    return middle;
}

mpz_class floorOf(const mpq_class& value) {
    mpz_class below;
    mpz_fdiv_q(below.get_mpz_t(), value.get_num_mpz_t(), value.get_den_mpz_t());
    return below;
}

mpz_class nearestWhole(const mpq_class& value) {
    return floorOf(value + mpq_class(1, 2));
}

// log2 |value| to double precision; value is not 0.
double log2Of(const Number& value) {
    return approximateLog10(value) * std::log2(10.0);
}

// The exact root of a given degree of a fraction when there is one.
std::optional<mpq_class> exactRoot(const mpq_class& value, unsigned long degree) {
    if (sgn(value) < 0)
        return std::nullopt;
    mpz_class numerator;
    mpz_class denominator;
    if (mpz_root(numerator.get_mpz_t(), value.get_num_mpz_t(), degree) == 0 ||
        mpz_root(denominator.get_mpz_t(), value.get_den_mpz_t(), degree) == 0)
        return std::nullopt;
    return mpq_class(numerator, denominator);
}

std::optional<Number> wholePower(const Number& base, const mpz_class& exponent) {
    // The size of the result first: it keeps enormous exponents from running long.
    const double size = log2Of(base) * exponent.get_d();
    if (size > 1030)
        return std::nullopt;
    if (size < -1090)
        return Number();
    if (base.isExact() && mpz_fits_slong_p(exponent.get_mpz_t())) {
        const long n = exponent.get_si();
        const unsigned long steps = n < 0 ? 0UL - (unsigned long)n : (unsigned long)n;
        if (double(steps) * double(bitsOf(base.fraction())) <= double(kLargestPowerBits)) {
            mpz_class numerator;
            mpz_class denominator;
            mpz_pow_ui(numerator.get_mpz_t(), base.fraction().get_num_mpz_t(), steps);
            mpz_pow_ui(denominator.get_mpz_t(), base.fraction().get_den_mpz_t(), steps);
            mpq_class result(numerator, denominator);
            if (n < 0)
                result = 1 / result;
            return inRange(*kept(std::move(result)));
        }
    }
    const Ball b = ballOf(base);
    Ball r;
    const int ternary = mpfr_pow_z(r.middle.get(), b.middle.get(), exponent.get_mpz_t(), MPFR_RNDN);
    const double steps = std::abs(exponent.get_d());
    r.error = (b.error == 0 ? 0.0 : std::expm1(steps * std::log1p(b.error))) + rounding(ternary);
    const std::optional<Number> result = numberOf(std::move(r));
    return result ? inRange(*result) : std::nullopt;
}

} // namespace

std::optional<Number> inRange(Number value) {
    if (value.isZero())
        return value;
    if (value.isExact()) {
        const mpq_class& q = value.fraction();
        const auto difference =
            long(mpz_sizeinbase(q.get_num_mpz_t(), 2)) - long(mpz_sizeinbase(q.get_den_mpz_t(), 2));
        if (difference > -1000 && difference < 1000)
            return value;
        if (abs(q) > largestNumber())
            return std::nullopt;
        if (abs(q) < smallestNumber())
            return Number();
        return value;
    }
    mpfr_srcptr x = value.approximation().get();
    if (!mpfr_number_p(x))
        return std::nullopt;
    static const Real largest = [] {
        Real real;
        mpfr_set_q(real.get(), largestNumber().get_mpq_t(), MPFR_RNDN);
        return real;
    }();
    static const Real smallest = [] {
        Real real;
        mpfr_set_q(real.get(), smallestNumber().get_mpq_t(), MPFR_RNDN);
        return real;
    }();
    if (mpfr_cmpabs(x, largest.get()) > 0)
        return std::nullopt;
    if (mpfr_cmpabs(x, smallest.get()) < 0)
        return Number();
    return value;
}

std::optional<Number> sum(const Number& a, const Number& b) {
    if (a.isExact() && b.isExact())
        return inRange(*kept(a.fraction() + b.fraction()));
    const std::optional<Number> result = numberOf(sumOf(ballOf(a), ballOf(b), false));
    return result ? inRange(*result) : std::nullopt;
}

std::optional<Number> difference(const Number& a, const Number& b) {
    if (a.isExact() && b.isExact())
        return inRange(*kept(a.fraction() - b.fraction()));
    const std::optional<Number> result = numberOf(sumOf(ballOf(a), ballOf(b), true));
    return result ? inRange(*result) : std::nullopt;
}

std::optional<Number> product(const Number& a, const Number& b) {
    if (a.isExact() && b.isExact())
        return inRange(*kept(a.fraction() * b.fraction()));
    if (a.isZero() || b.isZero())
        return Number();
    const std::optional<Number> result = numberOf(productOf(ballOf(a), ballOf(b)));
    return result ? inRange(*result) : std::nullopt;
}

std::optional<Number> quotient(const Number& a, const Number& b) {
    if (a.isExact() && b.isExact())
        return inRange(*kept(a.fraction() / b.fraction()));
    if (a.isZero())
        return Number();
    const std::optional<Number> result = numberOf(quotientOf(ballOf(a), ballOf(b)));
    return result ? inRange(*result) : std::nullopt;
}

std::optional<Number> percent(const Number& acc, const Number& x) {
    // The product is checked on its own: near the top of the range it overflows before the division
    // by 100 would bring it back.
    const std::optional<Number> whole = product(x, acc);
    if (!whole)
        return std::nullopt;
    static const Number hundred(mpq_class(100));
    return quotient(*whole, hundred);
}

std::optional<Number> power(const Number& base, const Number& exponent) {
    if (exponent.isZero())
        return Number(mpq_class(1));
    if (base.isZero()) {
        if (exponent.sign() > 0)
            return Number();
        return std::nullopt;
    }
    if (isWhole(exponent)) {
        const mpz_class& n = exponent.fraction().get_num();
        if (base.isExact() && abs(base.fraction()) == 1)
            return Number(mpq_class(sgn(base.fraction()) < 0 && mpz_odd_p(n.get_mpz_t()) ? -1 : 1));
        return wholePower(base, n);
    }
    if (base.sign() < 0)
        return std::nullopt;
    if (base.isExact() && exponent.isExact()) {
        // p/q with a small q: exact when the base has an exact q-th root.
        const mpq_class& y = exponent.fraction();
        if (mpz_cmp_ui(y.get_den_mpz_t(), kLargestExactRootDegree) <= 0) {
            if (const std::optional<mpq_class> r = exactRoot(base.fraction(), mpz_get_ui(y.get_den_mpz_t())))
                return wholePower(Number(*r), y.get_num());
        }
    }
    const double size = log2Of(base) * exponent.middle().get_d();
    if (size > 1030)
        return std::nullopt;
    if (size < -1090)
        return Number();
    if (exponent.isExact()) {
        // p/q with a small q: the q-th root raised to p, many times quicker than a general power.
        const mpq_class& y = exponent.fraction();
        if (mpz_cmp_ui(y.get_den_mpz_t(), kLargestExactRootDegree) <= 0 &&
            mpz_fits_slong_p(y.get_num_mpz_t())) {
            const unsigned long q = mpz_get_ui(y.get_den_mpz_t());
            const long p = mpz_get_si(y.get_num_mpz_t());
            const Ball b = ballOf(base);
            Ball rootOfBase;
            const int rootTernary =
                q == 2 ? mpfr_sqrt(rootOfBase.middle.get(), b.middle.get(), MPFR_RNDN)
                       : mpfr_rootn_ui(rootOfBase.middle.get(), b.middle.get(), q, MPFR_RNDN);
            rootOfBase.error = b.error / double(q) + rounding(rootTernary);
            Ball r;
            const int ternary = mpfr_pow_si(r.middle.get(), rootOfBase.middle.get(), p, MPFR_RNDN);
            r.error = std::expm1(std::abs(double(p)) * std::log1p(rootOfBase.error)) + rounding(ternary);
            const std::optional<Number> result = numberOf(std::move(r));
            return result ? inRange(*result) : std::nullopt;
        }
    }
    const Ball b = ballOf(base);
    const Ball y = ballOf(exponent);
    Ball r;
    const int ternary = mpfr_pow(r.middle.get(), b.middle.get(), y.middle.get(), MPFR_RNDN);
    // exp(y ln b): the error of b moves it by |y| times its own, that of y by |y ln b| times its own.
    const double logBase = std::abs(log2Of(base) * std::log(2.0));
    const double exponentSize = std::abs(mpfr_get_d(y.middle.get(), MPFR_RNDN));
    const double spread = exponentSize * b.error + exponentSize * logBase * y.error;
    r.error = (spread == 0 ? 0.0 : std::expm1(spread)) + rounding(ternary);
    const std::optional<Number> result = numberOf(std::move(r));
    return result ? inRange(*result) : std::nullopt;
}

std::optional<Number> root(const Number& radicand, const Number& degree) {
    // 1 / degree is a number of its own and must fit the range like any other.
    const std::optional<Number> inverse = reciprocal(degree);
    if (!inverse)
        return std::nullopt;
    if (isWhole(degree) && radicand.sign() > 0 && mpz_fits_ulong_p(degree.fraction().get_num_mpz_t())) {
        const unsigned long n = mpz_get_ui(degree.fraction().get_num_mpz_t());
        if (n >= 2) {
            if (radicand.isExact()) {
                if (const std::optional<mpq_class> r = exactRoot(radicand.fraction(), n))
                    return Number(*r);
            }
            const Ball b = ballOf(radicand);
            Ball r;
            const int ternary = n == 2 ? mpfr_sqrt(r.middle.get(), b.middle.get(), MPFR_RNDN)
                                       : mpfr_rootn_ui(r.middle.get(), b.middle.get(), n, MPFR_RNDN);
            r.error = b.error / double(n) + rounding(ternary);
            const std::optional<Number> result = numberOf(std::move(r));
            return result ? inRange(*result) : std::nullopt;
        }
    }
    return power(radicand, *inverse);
}

std::optional<Number> squareRoot(const Number& value) {
    if (value.sign() < 0)
        return std::nullopt;
    if (value.isZero())
        return Number();
    return root(value, Number(mpq_class(2)));
}

std::optional<Number> reciprocal(const Number& value) {
    if (value.isExact())
        return inRange(*kept(1 / value.fraction()));
    static const Number one(mpq_class(1));
    return quotient(one, value);
}

std::optional<Number> factorial(const Number& value) {
    const mpq_class middle = value.middle();
    const mpq_class acc = resolved(value, mpq_class(nearestWhole(middle)));
    // 170! is the largest factorial inside the double range.
    if (acc >= 171)
        return std::nullopt;
    if (acc < 2)
        return Number(mpq_class(1));
    mpz_class result;
    mpz_fac_ui(result.get_mpz_t(), floorOf(acc).get_ui());
    return Number(mpq_class(result));
}

std::optional<Number> wholeDivision(const Number& dividend, const Number& divisor, WholeDivision part) {
    const auto rounded = [](const Number& value) {
        const mpq_class middle = value.middle();
        return roundedHalfEven(resolved(value, floorOf(middle) + mpq_class(1, 2)));
    };
    const mpz_class a = rounded(dividend);
    const mpz_class b = rounded(divisor);
    const auto fits = [](const mpz_class& v) { return v >= kSmallestWhole && v <= kLargestWhole; };
    if (!fits(a) || !fits(b) || b == 0)
        return std::nullopt;
    const long whole = a.get_si();
    const long by = b.get_si();
    if (part == WholeDivision::Remainder)
        return Number(mpq_class(whole % by));
    const long quotient = whole / by;
    if (quotient > kLargestWhole)
        return std::nullopt; // -2147483648 divided by -1
    return Number(mpq_class(quotient));
}

} // namespace tallimo
