#include "calculator/core/numbers.h"

#include <boost/core/nvp.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <type_traits>

namespace tallimo {

namespace {

// Digits kept when reading a text; more than the arithmetic carries, so nothing typed is lost to it.
constexpr int kKeptDigits = 40;
// Powers of ten needed to build any number inside the double range from its digits.
constexpr int kLargestPower = 400;
// Significant digits asked from the decimal type when taking a value apart.
constexpr int kDigitsOut = 44;
constexpr int kShownDigits = 15;
constexpr int kFirstScientificExponent = 15;
constexpr int kLastFixedSmallExponent = -4;
// Limbs of eight decimal digits the decimal type keeps (it works with more digits than it promises).
constexpr int kDecimalLimbs = Decimal::backend_type::cpp_dec_float_total_digits10 / 8;
static_assert(kDecimalLimbs * 8 == Decimal::backend_type::cpp_dec_float_total_digits10);

const std::array<Decimal, 2 * kLargestPower + 1>& powersOfTen() {
    static const auto table = [] {
        std::array<Decimal, 2 * kLargestPower + 1> powers;
        powers[kLargestPower] = 1;
        const Decimal ten = 10;
        const Decimal tenth("0.1");
        for (int k = 1; k <= kLargestPower; ++k) {
            powers[kLargestPower + k] = powers[kLargestPower + k - 1] * ten;
            powers[kLargestPower - k] = powers[kLargestPower - k + 1] * tenth;
        }
        return powers;
    }();
    return table;
}

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

Decimal fromDigits(const std::string& digits) {
    Decimal value = 0;
    std::size_t done = 0;
    while (done < digits.size()) {
        const std::size_t length = std::min<std::size_t>(18, digits.size() - done);
        std::uint64_t chunk = 0;
        for (std::size_t k = 0; k < length; ++k)
            chunk = chunk * 10 + std::uint64_t(digits[done + k] - '0');
        value = value * powerOfTen(int(length)) + Decimal(chunk);
        done += length;
    }
    return value;
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

} // namespace

const Decimal& powerOfTen(int exponent) {
    return powersOfTen()[std::size_t(kLargestPower + exponent)];
}

int leadingExponent(const Decimal& value) {
    return int(value.backend().order());
}

double approximateLog10(const Decimal& value) {
    double mantissa = 0;
    int exponent = 0;
    value.backend().extract_parts(mantissa, exponent);
    return std::log10(std::abs(mantissa)) + exponent;
}

const Decimal& largestNumber() {
    static const Decimal largest("1.7976931348623157e308");
    return largest;
}

const Decimal& smallestNumber() {
    static const Decimal smallest("4.9406564584124654e-324");
    return smallest;
}

RangeCheck keepInRange(Decimal& value) {
    // Leading digits between 10^-300 and 10^300 lie well inside the range, and need no comparisons.
    if (value.sign() != 0 && boost::multiprecision::isfinite(value) && std::abs(leadingExponent(value)) < 300)
        return RangeCheck::Fits;
    const Decimal magnitude = abs(value);
    if (magnitude > largestNumber())
        return RangeCheck::Overflows;
    if (magnitude < smallestNumber())
        value = 0;
    return RangeCheck::Fits;
}

namespace {

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

// The value 0.digits x 10^exponent as a ScaledDecimal, when it fits one.
std::optional<ScaledDecimal> scaledFromDigits(bool negative, const std::string& digits, int exponent) {
    if (digits.size() > std::size_t(ScaledDecimal::kScaledDigits))
        return std::nullopt;
    Units units = 0;
    for (const char digit : digits)
        units = units * 10 + (digit - '0');
    // 0.digits x 10^exponent = units x 10^(exponent - size)
    int scale = int(digits.size()) - exponent;
    if (scale < 0) {
        const std::optional<Units> whole = timesPowerOfTen(units, -scale);
        if (!whole)
            return std::nullopt;
        units = *whole;
        scale = 0;
    }
    return checked({negative ? -units : units, scale});
}

} // namespace

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
                if (mantissa.size() < std::size_t(kKeptDigits))
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
    result.value = fromDigits(mantissa) * powerOfTen(exponent - int(mantissa.size()));
    if (negative)
        result.value = -result.value;
    result.overflow = keepInRange(result.value) == RangeCheck::Overflows;
    if (result.overflow)
        result.value = 0;
    result.scaled = result.overflow ? std::nullopt : scaledFromDigits(negative, mantissa, exponent);
    return result;
}

namespace {

// The decimal type's own parts: limbs of eight decimal digits, the most significant first (value =
// limb0.limb1limb2... x 10^exponent) and the sign.
struct DecimalParts {
    std::array<std::uint32_t, kDecimalLimbs> limbs{};
    int exponent = 0;
    bool negative = false;
    int limbsRead = 0;
    // Limbs that take part in arithmetic; any beyond are left over from earlier values.
    int precision = 0;
};

// Reads the parts through the type's serialisation hook, its only public way to them; each field
// arrives under its name.
class PartsReader {
public:
    explicit PartsReader(DecimalParts& parts) : parts_(parts) {}
    // The fields' names differ in their first letters ("digit", "exponent", "sign", "class-type",
    // "precision"): that letter tells them apart without comparing whole names on every read.
    template <typename T> PartsReader& operator&(const boost::serialization::nvp<T>& field) {
        const char initial = field.name()[0];
        if constexpr (std::is_same_v<T, std::uint32_t>) {
            if (initial == 'd' && parts_.limbsRead < kDecimalLimbs)
                parts_.limbs[std::size_t(parts_.limbsRead++)] = field.const_value();
        } else if constexpr (std::is_same_v<T, bool>) {
            parts_.negative = field.const_value();
        } else if constexpr (std::is_integral_v<T>) {
            if (initial == 'e')
                parts_.exponent = int(field.const_value());
            else if (initial == 'p')
                parts_.precision = int(field.const_value());
        }
        return *this;
    }

private:
    DecimalParts& parts_;
};

DecimalParts partsOf(const Decimal& value) {
    DecimalParts parts;
    PartsReader reader(parts);
    // The hook only reads the fields here; it is not const because archives may also write them.
    const_cast<Decimal&>(value).backend().serialize(reader, 0U);
    return parts;
}

// The digits as the type's own text with kDigitsOut digits after the point gives them (its str() in
// scientific form), without building that text through a string stream: the first kDigitsOut + 1 digits
// of the limbs, rounded on the next digit, halves to even only when nothing follows.
std::optional<DecimalDigits> digitsFromParts(const DecimalParts& parts) {
    if (parts.limbsRead != kDecimalLimbs || parts.limbs[0] == 0)
        return std::nullopt;
    constexpr int kWanted = kDigitsOut + 1;
    constexpr int kLimbsUsed = std::min(kWanted / 8 + 2, kDecimalLimbs);
    char text[8 * kLimbsUsed];
    int length = 0;
    char lead[8];
    int leadLength = 0;
    for (std::uint32_t limb = parts.limbs[0]; limb != 0; limb /= 10)
        lead[leadLength++] = char('0' + limb % 10);
    while (leadLength > 0)
        text[length++] = lead[--leadLength];
    int exponent = parts.exponent + length - 1;
    for (int k = 1; k < kLimbsUsed; ++k) {
        std::uint32_t limb = parts.limbs[std::size_t(k)];
        for (int d = 7; d >= 0; --d) {
            text[length + d] = char('0' + limb % 10);
            limb /= 10;
        }
        length += 8;
    }
    const int next = text[kWanted] - '0';
    bool up = next >= 5;
    if (next == 5 && (text[kWanted - 1] - '0') % 2 == 0) {
        bool restZero = std::all_of(text + kWanted + 1, text + length, [](char c) { return c == '0'; });
        for (int k = kLimbsUsed; k < kDecimalLimbs && restZero; ++k)
            restZero = parts.limbs[std::size_t(k)] == 0;
        if (restZero)
            up = false;
    }
    if (up) {
        int at = kWanted - 1;
        while (at > 0 && text[at] == '9')
            text[at--] = '0';
        if (at == 0 && text[0] == '9') {
            text[0] = '1';
            ++exponent;
        } else {
            ++text[at];
        }
    }
    DecimalDigits result;
    result.negative = parts.negative;
    result.digits.assign(text, std::size_t(kWanted));
    result.exponent = exponent + 1;
    dropTrailingZeros(result);
    return result;
}

constexpr std::array<std::uint32_t, 9> kLimbPowers = {1,       10,        100,        1'000,      10'000,
                                                      100'000, 1'000'000, 10'000'000, 100'000'000};

int digitCount(std::uint32_t limb) {
    int count = 1;
    while (count < 8 && limb >= kLimbPowers[std::size_t(count)])
        ++count;
    return count;
}

} // namespace

bool sameDigitsFrom(const Decimal& value, int first, int last) {
    const DecimalParts parts = partsOf(value);
    if (parts.limbsRead != kDecimalLimbs || parts.limbs[0] == 0 || parts.precision != kDecimalLimbs)
        return true;
    const int leadDigits = digitCount(parts.limbs[0]);
    // The digit at a position counted from 1 at the leading digit; 0 past the last limb.
    const auto digitAt = [&](int position) -> std::uint32_t {
        if (position <= leadDigits)
            return parts.limbs[0] / kLimbPowers[std::size_t(leadDigits - position)] % 10;
        const int offset = position - leadDigits - 1;
        const int limb = 1 + offset / 8;
        if (limb >= kDecimalLimbs)
            return 0;
        return parts.limbs[std::size_t(limb)] / kLimbPowers[std::size_t(7 - offset % 8)] % 10;
    };
    const std::uint32_t digit = digitAt(first);
    if (digit != 0 && digit != 9)
        return false;
    for (int position = first + 1; position <= last; ++position) {
        if (digitAt(position) != digit)
            return false;
    }
    return true;
}

std::optional<std::uint32_t> smallWholeNumber(const Decimal& value) {
    if (value.sign() <= 0 || !boost::multiprecision::isfinite(value))
        return std::nullopt;
    // One limb at exponent 0 is a whole number below 10^8; every other limb must be 0 for the value
    // to compare equal to it.
    const DecimalParts parts = partsOf(value);
    if (parts.limbsRead != kDecimalLimbs || parts.exponent != 0 ||
        std::any_of(parts.limbs.begin() + 1, parts.limbs.end(), [](std::uint32_t limb) { return limb != 0; }))
        return std::nullopt;
    return parts.limbs[0];
}

std::optional<std::int64_t> wholeHalfEven(const Decimal& value, bool ofShownValue) {
    if (value.sign() == 0)
        return 0;
    if (!boost::multiprecision::isfinite(value))
        return std::nullopt;
    const DecimalParts parts = partsOf(value);
    if (parts.limbsRead != kDecimalLimbs || parts.limbs[0] == 0 || parts.precision != kDecimalLimbs)
        return std::nullopt;
    const int leadDigits = digitCount(parts.limbs[0]);
    const int lead = parts.exponent + leadDigits - 1;
    // Below 0.1 every rounding gives 0 (shown values too: 15 digits rounded up reach 0.1 at most);
    // from 10^10 on the number is no 32-bit whole number, and is left to the decimal way.
    if (lead < -1)
        return 0;
    if (lead >= 10)
        return std::nullopt;
    const int sign = parts.negative ? -1 : 1;
    // Halves go to the even neighbour: q + r / unit rounded, 0 <= r < unit, with r compared to the half.
    const auto halfEven = [sign](std::uint64_t q, int comparedToHalf) {
        if (comparedToHalf > 0 || (comparedToHalf == 0 && q % 2 != 0))
            ++q;
        return sign * std::int64_t(q);
    };
    if (ofShownValue) {
        // The first 16 digits: 15 shown, rounded half up on the 16th (as the shown text rounds, away
        // from zero), so the shown value is shown x 10^(lead - 14) with 14 - lead from 5 to 15.
        const UnsignedUnits leading = UnsignedUnits(parts.limbs[0]) * 10'000'000'000'000'000U +
                                      UnsignedUnits(parts.limbs[1]) * 100'000'000U + parts.limbs[2];
        const auto sixteen = std::uint64_t(leading / UnsignedUnits(kLimbPowers[std::size_t(leadDigits)]));
        const std::uint64_t shown = sixteen / 10 + (sixteen % 10 >= 5 ? 1 : 0);
        std::uint64_t unit = 1;
        for (int k = 0; k < 14 - lead; ++k)
            unit *= 10;
        const std::uint64_t r = shown % unit;
        return halfEven(shown / unit, 2 * r > unit ? 1 : (2 * r < unit ? -1 : 0));
    }
    // A negative value's fraction is worked out from the whole number below it; when that number has
    // a limb more (below -1 for -0.7, -100000000 for -99999999.7), the decimal way drops the last limb
    // of the value first, and the rounding is left to it.
    if (parts.negative && (parts.exponent < 0 || (parts.exponent == 0 && parts.limbs[0] == 99'999'999U)))
        return std::nullopt;
    // The whole part from the limbs at exponents 8 and 0, the fraction from the limbs below.
    std::uint64_t whole = 0;
    int limb = 0;
    for (int exponent = parts.exponent; exponent >= 0; exponent -= 8, ++limb)
        whole = whole * 100'000'000U + parts.limbs[std::size_t(limb)];
    int comparedToHalf = 0;
    if (parts.limbs[std::size_t(limb)] != 50'000'000U) {
        comparedToHalf = parts.limbs[std::size_t(limb)] > 50'000'000U ? 1 : -1;
    } else {
        comparedToHalf = std::any_of(parts.limbs.begin() + limb + 1, parts.limbs.end(),
                                     [](std::uint32_t rest) { return rest != 0; })
                             ? 1
                             : 0;
    }
    return halfEven(whole, comparedToHalf);
}

DecimalDigits decimalDigits(const Decimal& value) {
    DecimalDigits result;
    if (value == 0)
        return result;
    if (boost::multiprecision::isfinite(value)) {
        if (std::optional<DecimalDigits> fast = digitsFromParts(partsOf(value)))
            return *std::move(fast);
    }
    const std::string text = value.str(kDigitsOut, std::ios_base::scientific);
    std::size_t position = 0;
    if (text[position] == '-') {
        result.negative = true;
        ++position;
    }
    const std::size_t marker = text.find_first_of("eE", position);
    for (std::size_t k = position; k < marker; ++k)
        if (text[k] != '.')
            result.digits += text[k];
    result.exponent = std::stoi(text.substr(marker + 1)) + 1;
    dropTrailingZeros(result);
    return result;
}

DecimalDigits roundedToSignificant(DecimalDigits digits, int count) {
    if (count < 0 || digits.digits.size() <= std::size_t(count))
        return digits;
    const bool up = digits.digits[std::size_t(count)] >= '5';
    digits.digits.resize(std::size_t(count));
    if (up) {
        int k = count - 1;
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
    return digits;
}

DecimalDigits roundedToDecimals(DecimalDigits digits, int decimals) {
    if (digits.digits.empty())
        return digits;
    const int kept = digits.exponent + decimals;
    if (kept > 0)
        return roundedToSignificant(std::move(digits), kept);
    if (kept == 0 && digits.digits[0] >= '5') {
        digits.digits = "1";
        ++digits.exponent;
        return digits;
    }
    return {};
}

Decimal decimalFrom(const DecimalDigits& digits) {
    if (digits.digits.empty())
        return 0;
    const std::string kept = digits.digits.substr(0, std::size_t(kKeptDigits));
    const int scale = digits.exponent - int(kept.size());
    const Decimal scaleFactor =
        std::abs(scale) <= kLargestPower ? powerOfTen(scale) : pow(Decimal(10), Decimal(scale));
    const Decimal value = fromDigits(kept) * scaleFactor;
    return digits.negative ? -value : value;
}

namespace {

QString shownText(const DecimalDigits& digits) {
    if (digits.digits.empty())
        return QStringLiteral("0");
    const int scientificExponent = digits.exponent - 1;
    if (scientificExponent >= kFirstScientificExponent || scientificExponent < kLastFixedSmallExponent)
        return scientificText(digits);
    return fixedText(digits);
}

} // namespace

QString numberText(const Decimal& value) {
    DecimalDigits digits = roundedToSignificant(decimalDigits(value), kShownDigits);
    // Rounding up can carry a value at the top of the range beyond it ("1.79769313486232E+308"), and
    // that text would read back as an overflow: there the digits are cut instead.
    if (digits.exponent >= 309 && abs(decimalFrom(digits)) > largestNumber()) {
        digits = decimalDigits(value);
        digits.digits.resize(std::min(digits.digits.size(), std::size_t(kShownDigits)));
        dropTrailingZeros(digits);
    }
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
    return shownText(roundedToSignificant(std::move(digits), kShownDigits));
}

Decimal roundedHalfAway(const Decimal& value) {
    if (value.sign() == 0 || !boost::multiprecision::isfinite(value))
        return value;
    // The decimal type's round() converts the half from a float on every call, the costly part of it.
    static const Decimal half("0.5");
    return value.sign() < 0 ? ceil(value - half) : floor(value + half);
}

Decimal shownValue(const Decimal& value) {
    if (value == 0)
        return value;
    // Scaled to a whole number of 15 digits, rounded halves away from zero as numberText does.
    const int shift = kShownDigits - 1 - leadingExponent(value);
    if (std::abs(shift) > kLargestPower)
        return value;
    return roundedHalfAway(value * powerOfTen(shift)) * powerOfTen(-shift);
}

std::optional<ScaledDecimal> scaledFrom(const Decimal& value) {
    const DecimalDigits digits = decimalDigits(value);
    return scaledFromDigits(digits.negative, digits.digits, digits.exponent);
}

Decimal decimalFrom(const ScaledDecimal& value) {
    const Units magnitude = value.units < 0 ? -value.units : value.units;
    constexpr Units kChunk = 1'000'000'000'000'000'000;
    // Below 10^34, so the high part has at most 16 digits.
    Decimal result = Decimal(std::uint64_t(magnitude / kChunk)) * powerOfTen(18) +
                     Decimal(std::uint64_t(magnitude % kChunk));
    if (value.scale > 0)
        result *= powerOfTen(-value.scale);
    return value.units < 0 ? -result : result;
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

bool sameMagnitude(const ScaledDecimal& a, const ScaledDecimal& b) {
    // Without trailing zeros (down to whole units) each value has one spelling.
    const ScaledDecimal x = shortened(a);
    const ScaledDecimal y = shortened(b);
    return x.scale == y.scale && (x.units == y.units || x.units == -y.units);
}

Decimal reciprocalAsDivided(const Decimal& divisor) {
    Decimal reciprocal = divisor;
    reciprocal.backend().calculate_inv();
    return reciprocal;
}

Decimal quotientBy(const Decimal& dividend, const Decimal& divisor, const Decimal& reciprocal) {
    // The decimal type's division: a divisor of the same magnitude gives exactly one, anything else is
    // multiplied by the reciprocal.
    if (abs(dividend) == abs(divisor))
        return (dividend < 0) != (divisor < 0) ? Decimal(-1) : Decimal(1);
    return dividend * reciprocal;
}

Decimal roundedHalfEven(const Decimal& value) {
    const Decimal below = floor(value);
    const Decimal fraction = value - below;
    static const Decimal half("0.5");
    if (fraction > half)
        return below + 1;
    if (fraction < half)
        return below;
    return fmod(below, Decimal(2)) == 0 ? below : below + 1;
}

} // namespace tallimo
