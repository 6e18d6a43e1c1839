#include "calculator/core/tape.h"

#include "calculator/core/operations.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>

namespace tallimo {

namespace {

// The whole-number keys work on 32-bit whole numbers.
constexpr ScaledUnits kSmallestWhole = std::numeric_limits<std::int32_t>::min();
constexpr ScaledUnits kLargestWhole = std::numeric_limits<std::int32_t>::max();
// Whole exponents up to this are multiplied out on scaled integers; beyond, the digits never fit anyway.
constexpr ScaledUnits kLargestScaledExponent = 128;
// A value whose leading digit lies between 10^-299 and 10^299 shows as a non-zero number that reads back
// inside the range.
constexpr int kWellInsideExponent = 300;

const Decimal& hundred() {
    static const Decimal value(100);
    return value;
}

// The reciprocal the decimal type's division by 100 multiplies by.
const Decimal& reciprocalOfHundred() {
    static const Decimal reciprocal = reciprocalAsDivided(hundred());
    return reciprocal;
}

} // namespace

Tape::Tape() : rows_(1) {}

void Tape::changedFrom(int row) {
    validStates_ = std::min(validStates_, row);
}

void Tape::setText(int row, const QString& text) {
    Row& target = rows_[std::size_t(row)];
    if (textOf(target) == text)
        return;
    target.text = text;
    target.value.reset();
    target.divisor.reset();
    changedFrom(row);
}

void Tape::setOperation(int row, int code) {
    Row& target = rows_[std::size_t(row)];
    if (target.operation == code)
        return;
    target.operation = code;
    changedFrom(row);
}

const ReadNumber& Tape::value(int row) const {
    const Row& target = rows_[std::size_t(row)];
    if (!target.value)
        target.value = readNumber(textOf(target));
    return *target.value;
}

void Tape::appendToCurrent(const QString& characters) {
    setText(currentRow(), text(currentRow()) + characters);
}

bool Tape::appendDecimalPoint() {
    if (text(currentRow()).contains(u'.'))
        return false;
    appendToCurrent(QStringLiteral("."));
    return true;
}

void Tape::toggleSign() {
    const QString& current = text(currentRow());
    setText(currentRow(), current.startsWith(u'-') ? current.mid(1) : u'-' + current);
}

bool Tape::deleteLastCharacter() {
    const QString& current = text(currentRow());
    if (current.isEmpty())
        return false;
    setText(currentRow(), current.chopped(1));
    return true;
}

int Tape::addRow(int code) {
    rows_.push_back(Row{QString(), code, QString(), std::nullopt, nullptr, std::nullopt, std::nullopt});
    const int added = currentRow();
    rowsToEvaluate_ = isOneOperand(code) ? added + 1 : added;
    return added;
}

void Tape::clear() {
    rows_.resize(1);
    // Row 0's format snapshot stays: only a format key rewrites it.
    rows_[0] = Row{QString(), 0, rows_[0].formatted, std::nullopt, nullptr, std::nullopt, std::nullopt};
    rowsToEvaluate_ = 1;
    changedFrom(0);
    states_.clear();
    states_.shrink_to_fit();
}

void Tape::removeLastRow() {
    if (currentRow() == 0) {
        setText(0, QString());
        return;
    }
    rows_.pop_back();
    changedFrom(rowCount());
    states_.resize(std::min(states_.size(), rows_.size()));
}

std::vector<Tape::RowContent> Tape::rows(int first, int count) const {
    std::vector<RowContent> contents;
    const int end = std::min(first + count, rowCount());
    for (int i = std::max(first, 0); i < end; ++i) {
        const Row& row = rows_[std::size_t(i)];
        contents.push_back({textOf(row), row.operation, row.formatted});
    }
    return contents;
}

void Tape::replaceRows(int first, int count, std::vector<RowContent> contents) {
    first = std::clamp(first, 0, rowCount());
    count = std::clamp(count, 0, rowCount() - first);
    const auto toRow = [](RowContent& content) {
        return Row{std::move(content.text),
                   content.operation,
                   std::move(content.formatted),
                   std::nullopt,
                   nullptr,
                   std::nullopt,
                   std::nullopt};
    };
    const auto at = rows_.begin() + first;
    if (std::size_t(count) == contents.size()) {
        // In place: a change of one row high up a long tape moves nothing.
        std::transform(contents.begin(), contents.end(), at, toRow);
    } else {
        rows_.erase(at, at + count);
        std::vector<Row> added;
        added.reserve(contents.size());
        std::transform(contents.begin(), contents.end(), std::back_inserter(added), toRow);
        rows_.insert(rows_.begin() + first, std::make_move_iterator(added.begin()),
                     std::make_move_iterator(added.end()));
    }
    if (rows_.empty())
        rows_.resize(1);
    rows_[0].operation = operation::Add;
    changedFrom(first);
    states_.resize(std::min(states_.size(), rows_.size()));
}

const QString& Tape::textOf(const Row& row) {
    if (row.unwrittenScaled) {
        row.text = numberText(*row.unwrittenScaled);
        row.unwrittenScaled.reset();
    } else if (row.unwritten) {
        row.text = numberText(*row.unwritten);
        row.unwritten.reset();
    }
    return row.text;
}

void Tape::rewriteOneOperandRow(Row& row, const Decimal& accumulator) {
    row.unwritten = accumulator;
    row.unwrittenScaled.reset();
    row.value.reset();
    row.divisor.reset();
}

void Tape::rewriteOneOperandRow(Row& row, const ScaledDecimal& accumulator) {
    row.unwrittenScaled = accumulator;
    row.unwritten.reset();
    row.value.reset();
    row.divisor.reset();
}

const ReadNumber& Tape::operandOf(Row& row) {
    if (!row.value)
        row.value = readNumber(textOf(row));
    return *row.value;
}

const Tape::Divisor* Tape::divisorOf(Row& row) {
    const ReadNumber& x = operandOf(row);
    if (x.overflow || x.value.sign() == 0)
        return nullptr;
    if (!row.divisor) {
        auto divisor = std::make_shared<Divisor>();
        divisor->reciprocal = reciprocalAsDivided(x.value);
        divisor->scaledReciprocal = scaledFrom(divisor->reciprocal);
        row.divisor = std::move(divisor);
    }
    return row.divisor.get();
}

bool Tape::applyRowScaled(State& state, Row& row) {
    const int code = row.operation;
    if (code == operation::SquareRoot) {
        // An exact root is the one the decimal type's root snaps to; any other stays with that type.
        const std::optional<ScaledDecimal> root = exactSquareRoot(state.scaled);
        if (!root)
            return false;
        rewriteOneOperandRow(row, state.scaled);
        state.scaled = *root;
        return true;
    }
    if (code != operation::Add && code != operation::Subtract && code != operation::Multiply &&
        code != operation::Percent && code != operation::Divide && code != operation::Power &&
        code != operation::Remainder && code != operation::WholeQuotient)
        return false;
    const std::optional<ScaledDecimal>& x = operandOf(row).scaled;
    if (!x)
        return false;
    if (code == operation::Remainder || code == operation::WholeQuotient) {
        // Whole numbers that show in full (below 10^15) and fit 32 bits are what the decimal way rounds
        // the two values to; anything else (halves, zero, out of range) is left to it.
        const ScaledDecimal a = shortened(state.scaled);
        const ScaledDecimal b = shortened(*x);
        if (a.scale != 0 || b.scale != 0 || b.units == 0 || a.units < kSmallestWhole ||
            a.units > kLargestWhole || b.units < kSmallestWhole || b.units > kLargestWhole)
            return false;
        const auto whole = std::int64_t(a.units);
        const auto by = std::int64_t(b.units);
        const std::int64_t quotient = whole / by;
        if (code == operation::WholeQuotient && quotient > kLargestWhole)
            return false;
        state.scaled = ScaledDecimal{code == operation::Remainder ? whole % by : quotient, 0};
        return true;
    }
    std::optional<ScaledDecimal> result;
    switch (code) {
    case operation::Add:
        result = scaledSum(state.scaled, *x);
        break;
    case operation::Subtract:
        result = scaledSum(state.scaled, ScaledDecimal{-x->units, x->scale});
        break;
    case operation::Multiply:
        result = scaledProduct(state.scaled, *x);
        break;
    case operation::Percent:
        // The decimal way multiplies, then divides by 100 exactly: both exact while the digits fit.
        result = scaledProduct(*x, state.scaled, 2);
        break;
    case operation::Power: {
        // Small whole exponents are multiplied out on the decimal way too, exactly while the digits fit.
        const ScaledDecimal exponent = shortened(*x);
        if (exponent.scale != 0 || exponent.units < 0 || exponent.units > kLargestScaledExponent)
            return false;
        result = scaledPower(state.scaled, std::uint64_t(exponent.units));
        break;
    }
    default: {
        // Zero divisors show "ERROR" on the decimal way. Other divisions multiply by the decimal type's
        // reciprocal, which is exact only for some divisors; a divisor of the same magnitude gives 1.
        const Divisor* divisor = x->units == 0 ? nullptr : divisorOf(row);
        if (divisor == nullptr || !divisor->scaledReciprocal)
            return false;
        if (sameMagnitude(state.scaled, *x))
            result = ScaledDecimal{(state.scaled.units < 0) != (x->units < 0) ? -1 : 1, 0};
        else
            result = scaledProduct(state.scaled, *divisor->scaledReciprocal);
        break;
    }
    }
    if (!result)
        return false;
    state.scaled = *result;
    return true;
}

bool Tape::applyRow(State& state, Row& row) {
    if (state.isScaled) {
        if (exactFastPath_ && applyRowScaled(state, row))
            return true;
        state.accumulator = decimalFrom(state.scaled);
        state.isScaled = false;
    }
    Decimal& acc = state.accumulator;
    const auto operand = [&row]() -> const ReadNumber& {
        if (!row.value)
            row.value = readNumber(textOf(row));
        return *row.value;
    };
    const auto take = [&acc](const std::optional<Decimal>& result) {
        if (result)
            acc = *result;
        return result.has_value();
    };
    // A whole-number result small enough for 64 bits goes back to the fast way.
    const auto takeWhole = [&](const std::optional<Decimal>& result) {
        if (!take(result))
            return false;
        if (exactFastPath_ && (acc.sign() == 0 || leadingExponent(acc) < 18)) {
            state.scaled = ScaledDecimal{acc.convert_to<std::int64_t>(), 0};
            state.isScaled = true;
        }
        return true;
    };
    switch (row.operation) {
    case operation::Add:
    case operation::Subtract:
    case operation::Multiply:
    case operation::Power:
    case operation::Percent: {
        const ReadNumber& x = operand();
        if (x.overflow)
            return false;
        switch (row.operation) {
        case operation::Add:
            return take(inRange(acc + x.value));
        case operation::Subtract:
            return take(inRange(acc - x.value));
        case operation::Multiply:
            return take(inRange(acc * x.value));
        case operation::Power:
            return take(power(acc, x.value));
        default: {
            // The product is checked on its own: near the top of the range it overflows before the
            // division by 100 would bring it back.
            const std::optional<Decimal> product = inRange(x.value * acc);
            if (product && exactFastPath_)
                return take(inRange(quotientBy(*product, hundred(), reciprocalOfHundred())));
            return product && take(inRange(*product / 100));
        }
        }
    }
    case operation::Divide:
    case operation::Root:
    case operation::Remainder:
    case operation::WholeQuotient: {
        const ReadNumber& x = operand();
        if (x.overflow)
            return false;
        // A zero divisor shows "ERROR" but the rows below are still worked through.
        if (x.value.sign() == 0) {
            state.error = true;
            return true;
        }
        switch (row.operation) {
        case operation::Divide:
            if (exactFastPath_) {
                if (const Divisor* divisor = divisorOf(row))
                    return take(inRange(quotientBy(acc, x.value, divisor->reciprocal)));
            }
            return take(inRange(acc / x.value));
        case operation::Root:
            return take(root(acc, x.value));
        case operation::Remainder:
            return takeWhole(wholeDivisionOfShown(acc, x.value, WholeDivision::Remainder));
        default:
            return takeWhole(wholeDivisionOfShown(acc, x.value, WholeDivision::Quotient));
        }
    }
    case operation::SquareRoot:
        rewriteOneOperandRow(row, acc);
        return take(squareRoot(acc));
    case operation::Reciprocal: {
        rewriteOneOperandRow(row, acc);
        // The shown number decides: zero shows "ERROR", too large stops. Well inside the range it is
        // neither, and reading the text back is left for whoever asks for the row's number.
        const bool wellInside = acc.sign() != 0 && std::abs(leadingExponent(acc)) < kWellInsideExponent;
        if (!wellInside || !exactFastPath_) {
            const ReadNumber& shown = operand();
            if (shown.overflow)
                return false;
            if (shown.value.sign() == 0) {
                state.error = true;
                return true;
            }
        }
        return take(inRange(1 / acc));
    }
    case operation::Factorial:
        rewriteOneOperandRow(row, acc);
        return takeWhole(factorial(shownValue(acc)));
    default:
        return true;
    }
}

QString Tape::recalculate() {
    const int count = currentRow() <= 0 ? 1 : std::clamp(rowsToEvaluate_, 0, rowCount());
    if (states_.size() < rows_.size())
        states_.resize(rows_.size());
    const int start = std::min(validStates_, count);
    State state = start > 0 ? states_[std::size_t(start - 1)] : State{};
    for (int i = start; i < count && !state.fault; ++i) {
        if (!applyRow(state, rows_[std::size_t(i)]))
            state.fault = true;
        states_[std::size_t(i)] = state;
        validStates_ = i + 1;
    }
    if (state.fault || state.error)
        return kError;
    return numberText(state.isScaled ? decimalFrom(state.scaled) : state.accumulator);
}

Decimal Tape::result() const {
    const int count = currentRow() <= 0 ? 1 : std::clamp(rowsToEvaluate_, 0, rowCount());
    if (validStates_ < count || count == 0)
        return 0;
    const State& state = states_[std::size_t(count - 1)];
    if (state.fault || state.error)
        return 0;
    return state.isScaled ? decimalFrom(state.scaled) : state.accumulator;
}

void Tape::setExactFastPath(bool on) {
    exactFastPath_ = on;
    changedFrom(0);
}

std::size_t Tape::memoryBytes() const {
    std::size_t bytes = sizeof(*this) + rows_.capacity() * sizeof(Row) + states_.capacity() * sizeof(State);
    for (const Row& row : rows_)
        bytes += std::size_t(row.text.capacity() + row.formatted.capacity()) * sizeof(QChar);
    return bytes;
}

} // namespace tallimo
