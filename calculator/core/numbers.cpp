// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/numbers.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tallimo {

namespace {

constexpr int kShownDigits = 15;
constexpr int kFirstScientificExponent = 15;
constexpr int kLastFixedSmallExponent = -4;

bool isSkipped(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Walks a text the way the reading rule sees it: blanks, tabs and line feeds do not exist.
class Reader {
public:
    explicit Reader(QStringView text) : text_(text) {}
    QChar peek() {
        while (position_ < text_.size() && isSkipped(text_[position_]))
            ++position_;
        return position_ < text_.size() ? text_[position_] : QChar();
    }
    void advance() { ++position_; }
    qsizetype position() const { return position_; }
    void rewind(qsizetype position) { position_ = position; }

private:
    QStringView text_;
    qsizetype position_ = 0;
};

// Reads an exponent after "E" or "D"; nothing when no digit follows.
std::optional<int> readExponent(Reader& reader) {
    const qsizetype start = reader.position();
    reader.advance();
    bool negative = false;
    if (reader.peek() == u'+' || reader.peek() == u'-') {
        negative = reader.peek() == u'-';
        reader.advance();
    }
    if (!isDigit(reader.peek())) {
        reader.rewind(start);
        return std::nullopt;
    }
    int exponent = 0;
    for (QChar c = reader.peek(); isDigit(c); c = reader.peek()) {
        // Far beyond the double range either way; stop counting before int overflows.
        exponent = std::min(exponent * 10 + (c.unicode() - u'0'), 1'000'000);
        reader.advance();
    }
    return negative ? -exponent : exponent;
}

void dropTrailingZeros(DecimalDigits& digits) {
    while (!digits.digits.empty() && digits.digits.back() == '0')
        digits.digits.pop_back();
    if (digits.digits.empty()) {
        digits.negative = false;
        digits.exponent = 0;
    }
}

QString scientificText(const DecimalDigits& digits) {
    QString text;
    if (digits.negative)
        text += u'-';
    text += QChar(u'0' + (digits.digits[0] - '0'));
    if (digits.digits.size() > 1)
        text += u'.' + QString::fromLatin1(digits.digits.data() + 1, qsizetype(digits.digits.size() - 1));
    const int exponent = digits.exponent - 1;
    text += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
    text += QStringLiteral("%1").arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
    return text;
}

QString fixedText(const DecimalDigits& digits) {
    // Put together as bytes and turned into text once: one-operand rows of a long tape write many.
    const std::string& all = digits.digits;
    const auto point = std::size_t(std::max(digits.exponent, 0));
    std::string text = digits.negative ? "-" : "";
    if (digits.exponent <= 0)
        text.append("0.").append(std::size_t(-digits.exponent), '0').append(all);
    else if (all.size() <= point)
        text.append(all).append(point - all.size(), '0');
    else
        text.append(all, 0, point).append(1, '.').append(all, point);
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

mpz_class powerOfTen(unsigned long exponent) {
    mpz_class power;
    mpz_ui_pow_ui(power.get_mpz_t(), 10, exponent);
    return power;
}

// round(|value| x 10^scale), halves away from zero, or cut towards zero.
mpz_class scaledWhole(const mpq_class& value, int scale, bool cut) {
    mpz_class numerator = abs(value.get_num());
    mpz_class denominator = value.get_den();
    if (scale >= 0)
        numerator *= powerOfTen((unsigned long)scale);
    else
        denominator *= powerOfTen((unsigned long)-scale);
    mpz_class quotient;
    mpz_class remainder;
    mpz_tdiv_qr(quotient.get_mpz_t(), remainder.get_mpz_t(), numerator.get_mpz_t(), denominator.get_mpz_t());
    if (!cut && 2 * remainder >= denominator)
        ++quotient;
    return quotient;
}

DecimalDigits digitsOf(bool negative, const mpz_class& whole, int scale) {
    DecimalDigits digits;
    if (whole == 0)
        return digits;
    digits.negative = negative;
    digits.digits = whole.get_str();
    digits.exponent = int(digits.digits.size()) - scale;
    dropTrailingZeros(digits);
    return digits;
}

QString shownText(const DecimalDigits& digits) {
    if (digits.digits.empty())
        return QStringLiteral("0");
    const int scientificExponent = digits.exponent - 1;
    if (scientificExponent >= kFirstScientificExponent || scientificExponent < kLastFixedSmallExponent)
        return scientificText(digits);
    return fixedText(digits);
}

using Units = ScaledUnits;
__extension__ typedef unsigned __int128 UnsignedUnits; // a GNU type: -Wpedantic wants it marked

constexpr Units kScaledLimit = [] {
    Units limit = 1;
    for (int k = 0; k < ScaledDecimal::kScaledDigits; ++k)
        limit *= 10;
    return limit;
}();

// 10^k for k from 0 to 38, the largest power of ten a signed 128-bit integer holds.
constexpr int kLargestUnitsPower = 38;
constexpr std::array<Units, kLargestUnitsPower + 1> kUnitsPowers = [] {
    std::array<Units, kLargestUnitsPower + 1> powers{};
    powers[0] = 1;
    for (int k = 1; k <= kLargestUnitsPower; ++k)
        powers[std::size_t(k)] = powers[std::size_t(k - 1)] * 10;
    return powers;
}();

bool fits(Units units) {
    return units < kScaledLimit && units > -kScaledLimit;
}

// units x 10^k, or nothing on overflow.
std::optional<Units> timesPowerOfTen(Units units, int k) {
    if (k > kLargestUnitsPower)
        return units == 0 ? std::optional<Units>(0) : std::nullopt;
    Units result = 0;
    if (__builtin_mul_overflow(units, kUnitsPowers[std::size_t(k)], &result))
        return std::nullopt;
    return result;
}

std::optional<ScaledDecimal> checked(ScaledDecimal value) {
    if (!fits(value.units) || value.scale > ScaledDecimal::kLargestScale) {
        value = shortened(value);
        if (!fits(value.units) || value.scale > ScaledDecimal::kLargestScale)
            return std::nullopt;
    }
    return value;
}

// `units` x 10^-scale with its sign; a negative scale is taken into the units.
std::optional<ScaledDecimal> withSign(bool negative, Units units, int scale) {
    if (scale < 0) {
        const std::optional<Units> whole = timesPowerOfTen(units, -scale);
        if (!whole)
            return std::nullopt;
        units = *whole;
        scale = 0;
    }
    return checked({negative ? -units : units, scale});
}

// The value 0.digits x 10^exponent as a ScaledDecimal, when it fits one.
std::optional<ScaledDecimal> scaledFromDigits(bool negative, const std::string& digits, int exponent) {
    if (digits.size() > std::size_t(ScaledDecimal::kScaledDigits))
        return std::nullopt;
    Units units = 0;
    for (const char digit : digits)
        units = units * 10 + (digit - '0');
    // 0.digits x 10^exponent = units x 10^(exponent - size)
    return withSign(negative, units, int(digits.size()) - exponent);
}

mpz_class mpzFrom(Units units) {
    const bool negative = units < 0;
    UnsignedUnits magnitude = negative ? UnsignedUnits(-(units + 1)) + 1 : UnsignedUnits(units);
    mpz_class result;
    mpz_import(result.get_mpz_t(), 2, -1, sizeof(std::uint64_t), 0, 0,
               std::array<std::uint64_t, 2>{std::uint64_t(magnitude), std::uint64_t(magnitude >> 64)}.data());
    return negative ? mpz_class(-result) : result;
}

} // namespace

Real::Real() {
    mpfr_init2(value_, kBits);
    mpfr_set_zero(value_, 1);
}

Real::Real(const Real& other) {
    mpfr_init2(value_, kBits);
    mpfr_set(value_, other.value_, MPFR_RNDN);
}

Real::Real(Real&& other) noexcept {
    mpfr_init2(value_, kBits);
    mpfr_swap(value_, other.value_);
}

Real& Real::operator=(const Real& other) {
    if (this != &other)
        mpfr_set(value_, other.value_, MPFR_RNDN);
    return *this;
}

Real& Real::operator=(Real&& other) noexcept {
    mpfr_swap(value_, other.value_);
    return *this;
}

Real::~Real() {
    mpfr_clear(value_);
}

Number::Number(Real approximation, double relativeError)
    : value_(Approximation{std::move(approximation), relativeError}) {}

mpq_class Number::middle() const {
    if (isExact())
        return fraction();
    mpq_class value;
    mpfr_get_q(value.get_mpq_t(), approximation().get());
    return value;
}

double Number::relativeError() const {
    return isExact() ? 0.0 : std::get<Approximation>(value_).error;
}

int Number::sign() const {
    if (isExact())
        return sgn(fraction());
    return mpfr_sgn(approximation().get());
}

bool Number::operator==(const Number& other) const {
    if (isExact() != other.isExact())
        return false;
    if (isExact())
        return fraction() == other.fraction();
    return mpfr_equal_p(approximation().get(), other.approximation().get()) != 0 &&
           relativeError() == other.relativeError();
}

const mpq_class& largestNumber() {
    static const mpq_class largest(DBL_MAX);
    return largest;
}

const mpq_class& smallestNumber() {
    static const mpq_class smallest(std::numeric_limits<double>::denorm_min());
    return smallest;
}

ReadNumber readNumber(QStringView text) {
    Reader reader(text);
    bool negative = false;
    if (reader.peek() == u'+' || reader.peek() == u'-') {
        negative = reader.peek() == u'-';
        reader.advance();
    }
    std::string mantissa; // significant digits: value = 0.mantissa x 10^exponent
    int exponent = 0;
    bool anyDigit = false;
    bool afterPoint = false;
    for (QChar c = reader.peek();; c = reader.peek()) {
        if (isDigit(c)) {
            anyDigit = true;
            const char digit = char(c.unicode());
            if (mantissa.empty() && digit == '0') {
                if (afterPoint)
                    --exponent;
            } else {
                mantissa += digit;
                if (!afterPoint)
                    ++exponent;
            }
        } else if (c == u'.' && !afterPoint) {
            afterPoint = true;
        } else {
            break;
        }
        reader.advance();
    }
    ReadNumber result;
    if (!anyDigit)
        return result;
    const QChar marker = reader.peek();
    if (marker == u'E' || marker == u'e' || marker == u'D' || marker == u'd') {
        if (const auto extra = readExponent(reader))
            exponent = std::clamp(exponent + *extra, -2'000'000, 2'000'000);
    }
    if (mantissa.empty())
        return result;
    // Decide the far ends from the exponent alone, before building anything.
    if (exponent - 1 > 308) {
        result.overflow = true;
        result.scaled.reset();
        return result;
    }
    if (exponent - 1 < -325)
        return result;
    mpq_class value = fractionFrom(DecimalDigits{negative, mantissa, exponent});
    if (abs(value) > largestNumber()) {
        result.overflow = true;
        result.scaled.reset();
        return result;
    }
    if (abs(value) < smallestNumber())
        return result;
    result.value = Number(std::move(value));
    result.scaled = result.overflow ? std::nullopt : scaledFromDigits(negative, mantissa, exponent);
    return result;
}

DecimalDigits roundedToSignificant(const mpq_class& value, int count, bool cut) {
    if (sgn(value) == 0)
        return {};
    // The exponent of the leading digit, from the sizes and then checked on the cut digits.
    int lead =
        int(mpz_sizeinbase(value.get_num_mpz_t(), 10)) - int(mpz_sizeinbase(value.get_den_mpz_t(), 10));
    const mpz_class top = powerOfTen((unsigned long)count);
    for (;;) {
        const mpz_class whole = scaledWhole(value, count - 1 - lead, true);
        if (whole >= top)
            ++lead;
        else if (whole * 10 < top)
            --lead;
        else
            break;
    }
    const int scale = count - 1 - lead;
    return digitsOf(sgn(value) < 0, scaledWhole(value, scale, cut), scale);
}

DecimalDigits roundedToDecimals(const mpq_class& value, int decimals) {
    return digitsOf(sgn(value) < 0, scaledWhole(value, decimals, false), decimals);
}

mpq_class fractionFrom(const DecimalDigits& digits) {
    if (digits.digits.empty())
        return 0;
    mpq_class value(mpz_class(digits.digits, 10));
    const int scale = digits.exponent - int(digits.digits.size());
    if (scale >= 0)
        value *= powerOfTen((unsigned long)scale);
    else
        value /= powerOfTen((unsigned long)-scale);
    value.canonicalize();
    return digits.negative ? mpq_class(-value) : value;
}

QString numberText(const Number& value) {
    int count = kShownDigits;
    // An approximation shows only the digits its error leaves right.
    if (const double error = value.relativeError(); error > 1e-16)
        count = std::clamp(int(-std::log10(error)) - 1, 1, kShownDigits);
    const mpq_class middle = value.middle();
    DecimalDigits digits = roundedToSignificant(middle, count);
    // Rounding up can carry a value at the top of the range beyond it ("1.79769313486232E+308"), and
    // that text would read back as an overflow: there the digits are cut instead.
    if (digits.exponent >= 309 && abs(fractionFrom(digits)) > largestNumber())
        digits = roundedToSignificant(middle, count, true);
    return shownText(digits);
}

QString numberText(const ScaledDecimal& value) {
    // Below 10^34: far from the top of the range, and every digit is exact.
    DecimalDigits digits;
    Units magnitude = value.units < 0 ? -value.units : value.units;
    for (; magnitude != 0; magnitude /= 10)
        digits.digits += char('0' + int(magnitude % 10));
    std::reverse(digits.digits.begin(), digits.digits.end());
    digits.negative = value.units < 0;
    digits.exponent = int(digits.digits.size()) - value.scale;
    dropTrailingZeros(digits);
    if (digits.digits.size() > std::size_t(kShownDigits)) {
        // Halves away from zero, on digits that are all there is.
        const bool up = digits.digits[std::size_t(kShownDigits)] >= '5';
        digits.digits.resize(std::size_t(kShownDigits));
        if (up) {
            int k = kShownDigits - 1;
            while (k >= 0 && digits.digits[std::size_t(k)] == '9')
                digits.digits[std::size_t(k--)] = '0';
            if (k >= 0) {
                ++digits.digits[std::size_t(k)];
            } else {
                digits.digits.insert(digits.digits.begin(), '1');
                ++digits.exponent;
            }
        }
        dropTrailingZeros(digits);
    }
    return shownText(digits);
}

int leadingExponent(const Number& value) {
    if (value.isZero())
        return 0;
    return roundedToSignificant(value.middle(), 1, true).exponent - 1;
}

double approximateLog10(const Number& value) {
    if (value.isZero())
        return -HUGE_VAL;
    long exponent = 0;
    double mantissa = 0;
    if (value.isExact()) {
        const double numerator = mpz_get_d_2exp(&exponent, value.fraction().get_num_mpz_t());
        long denominatorExponent = 0;
        const double denominator = mpz_get_d_2exp(&denominatorExponent, value.fraction().get_den_mpz_t());
        mantissa = numerator / denominator;
        exponent -= denominatorExponent;
    } else {
        mantissa = mpfr_get_d_2exp(&exponent, value.approximation().get(), MPFR_RNDN);
    }
    return std::log10(std::abs(mantissa)) + double(exponent) * std::log10(2.0);
}

std::optional<ScaledDecimal> scaledFrom(const mpq_class& value) {
    // Only a denominator of twos and fives makes a decimal; small ones are all that can fit.
    const mpz_class& denominator = value.get_den();
    if (mpz_sizeinbase(denominator.get_mpz_t(), 2) > 64 || mpz_sizeinbase(value.get_num_mpz_t(), 2) > 120)
        return std::nullopt;
    std::uint64_t rest = mpz_get_ui(denominator.get_mpz_t());
    int twos = 0;
    int fives = 0;
    for (; rest % 2 == 0; rest /= 2)
        ++twos;
    for (; rest % 5 == 0; rest /= 5)
        ++fives;
    if (rest != 1)
        return std::nullopt;
    const int scale = std::max(twos, fives);
    mpz_class units = value.get_num();
    for (int k = twos; k < scale; ++k)
        units *= 2;
    for (int k = fives; k < scale; ++k)
        units *= 5;
    if (mpz_sizeinbase(units.get_mpz_t(), 2) > 120)
        return std::nullopt;
    std::array<std::uint64_t, 2> words{};
    mpz_export(words.data(), nullptr, -1, sizeof(std::uint64_t), 0, 0, units.get_mpz_t());
    const Units magnitude = Units((UnsignedUnits(words[1]) << 64) | words[0]);
    return checked({sgn(units) < 0 ? -magnitude : magnitude, scale});
}

mpq_class fractionFrom(const ScaledDecimal& value) {
    mpq_class result(mpzFrom(value.units), powerOfTen((unsigned long)value.scale));
    result.canonicalize();
    return result;
}

Number numberFrom(const ScaledDecimal& value) {
    return Number(fractionFrom(value));
}

std::optional<ScaledDecimal> scaledSum(const ScaledDecimal& a, const ScaledDecimal& b) {
    const int scale = std::max(a.scale, b.scale);
    const std::optional<Units> left = timesPowerOfTen(a.units, scale - a.scale);
    const std::optional<Units> right = timesPowerOfTen(b.units, scale - b.scale);
    Units sum = 0;
    if (!left || !right || __builtin_add_overflow(*left, *right, &sum))
        return std::nullopt;
    return checked({sum, scale});
}

std::optional<ScaledDecimal> scaledProduct(const ScaledDecimal& a, const ScaledDecimal& b, int extraScale) {
    Units product = 0;
    if (__builtin_mul_overflow(a.units, b.units, &product)) {
        // Trailing zeros may be all that does not fit.
        const ScaledDecimal x = shortened(a);
        const ScaledDecimal y = shortened(b);
        if (__builtin_mul_overflow(x.units, y.units, &product))
            return std::nullopt;
        return checked({product, x.scale + y.scale + extraScale});
    }
    return checked({product, a.scale + b.scale + extraScale});
}

std::optional<ScaledDecimal> scaledQuotient(const ScaledDecimal& a, const ScaledDecimal& b) {
    if (b.units == 0)
        return std::nullopt;
    // b's units are 2^twos x 5^fives x rest: the quotient is a decimal when rest divides a's units, and
    // 1 / (2^twos x 5^fives) = 2^(m - twos) x 5^(m - fives) / 10^m with m the larger count.
    const bool negative = (a.units < 0) != (b.units < 0);
    const UnsignedUnits top = a.units < 0 ? UnsignedUnits(-a.units) : UnsignedUnits(a.units);
    UnsignedUnits bottom = b.units < 0 ? UnsignedUnits(-b.units) : UnsignedUnits(b.units);
    if (bottom >> 64 != 0)
        return std::nullopt;
    auto rest = std::uint64_t(bottom);
    const int twos = __builtin_ctzll(rest);
    rest >>= twos;
    int fives = 0;
    for (; rest % 5 == 0; rest /= 5)
        ++fives;
    if (rest != 1 && top % rest != 0)
        return std::nullopt;
    auto units = Units(top / rest);
    const int m = std::max(twos, fives);
    for (int k = twos; k < m; ++k) {
        if (__builtin_mul_overflow(units, Units(2), &units))
            return std::nullopt;
    }
    for (int k = fives; k < m; ++k) {
        if (__builtin_mul_overflow(units, Units(5), &units))
            return std::nullopt;
    }
    return withSign(negative, units, a.scale - b.scale + m);
}

ScaledDecimal shortened(ScaledDecimal value) {
    while (value.scale > 0 && value.units % 10 == 0) {
        value.units /= 10;
        --value.scale;
    }
    return value;
}

std::optional<ScaledDecimal> scaledPower(ScaledDecimal base, std::uint64_t exponent) {
    ScaledDecimal result{1, 0};
    while (exponent != 0) {
        if (exponent & 1U) {
            const std::optional<ScaledDecimal> product = scaledProduct(result, base);
            if (!product)
                return std::nullopt;
            result = *product;
        }
        exponent >>= 1U;
        if (exponent != 0) {
            const std::optional<ScaledDecimal> square = scaledProduct(base, base);
            if (!square)
                return std::nullopt;
            base = *square;
        }
    }
    return result;
}

std::optional<ScaledDecimal> exactSquareRoot(const ScaledDecimal& value) {
    if (value.units < 0)
        return std::nullopt;
    ScaledDecimal even = shortened(value);
    if (even.scale % 2 != 0) {
        const std::optional<Units> units = timesPowerOfTen(even.units, 1);
        if (!units)
            return std::nullopt;
        even = {*units, even.scale + 1};
    }
    // Below 10^35, so the root fits 64 bits; the estimate is off by at most one or two.
    const auto square = static_cast<UnsignedUnits>(even.units);
    auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(square)));
    while (root > 0 && static_cast<UnsignedUnits>(root) * root > square)
        --root;
    while (static_cast<UnsignedUnits>(root + 1) * (root + 1) <= square)
        ++root;
    if (static_cast<UnsignedUnits>(root) * root != square)
        return std::nullopt;
    return ScaledDecimal{Units(root), even.scale / 2};
}

mpz_class roundedHalfEven(const mpq_class& value) {
    mpz_class below;
    mpz_fdiv_q(below.get_mpz_t(), value.get_num_mpz_t(), value.get_den_mpz_t());
    const mpq_class fraction = value - below;
    const int half = cmp(fraction, mpq_class(1, 2));
    if (half > 0 || (half == 0 && mpz_odd_p(below.get_mpz_t())))
        ++below;
    return below;
}

Number roundedHalfEven(const Number& value) {
    return Number(mpq_class(roundedHalfEven(value.middle())));
}

} // namespace tallimo
