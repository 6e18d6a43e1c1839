// SPDX-License-Identifier: GPL-3.0-or-later
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
// Whole numbers up to this are multiplied out for a factorial on 64 bits (20! fits).
constexpr ScaledUnits kLargestScaledFactorial = 20;

// Divisions and roots: an operand of 0 shows "ERROR".
bool needsNonZeroOperand(int code) {
    return code == operation::Divide || code == operation::Root || code == operation::Remainder ||
           code == operation::WholeQuotient;
}

// The accumulator worked with a row's number by the row's operation, one of those that take one.
std::optional<Number> resultWithOperand(int code, const Number& acc, const Number& x) {
    switch (code) {
    case operation::Add:
        return sum(acc, x);
    case operation::Subtract:
        return difference(acc, x);
    case operation::Multiply:
        return product(acc, x);
    case operation::Power:
        return power(acc, x);
    case operation::Percent:
        return percent(acc, x);
    case operation::Divide:
        return quotient(acc, x);
    case operation::Root:
        return root(acc, x);
    case operation::Remainder:
        return wholeDivision(acc, x, WholeDivision::Remainder);
    default:
        return wholeDivision(acc, x, WholeDivision::Quotient);
    }
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
    target.typed = true;
    if (typedRows_.empty() || typedRows_.back() != row)
        typedRows_.push_back(row);
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
    rows_.push_back(Row{QString(), code, QString(), std::nullopt, std::nullopt, std::nullopt, false, false});
    const int added = currentRow();
    rowsToEvaluate_ = isOneOperand(code) ? added + 1 : added;
    return added;
}

void Tape::clear() {
    rows_.resize(1);
    // Row 0's format snapshot stays: only a format key rewrites it.
    rows_[0] = Row{QString(), 0, rows_[0].formatted, std::nullopt, std::nullopt, std::nullopt, false, false};
    rowsToEvaluate_ = 1;
    typedRows_.clear();
    pinned_.clear();
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

bool Tape::isKept(int row) const {
    const Row& target = rows_[std::size_t(row)];
    return isOneOperand(target.operation) && (target.typed || row >= reached_);
}

Tape::RowContent Tape::contentOf(int row) const {
    const Row& target = rows_[std::size_t(row)];
    return {textOf(target), target.operation, target.formatted, isKept(row)};
}

std::vector<Tape::RowContent> Tape::rows(int first, int count) const {
    std::vector<RowContent> contents;
    const int end = std::min(first + count, rowCount());
    for (int i = std::max(first, 0); i < end; ++i)
        contents.push_back(contentOf(i));
    return contents;
}

std::vector<std::pair<int, Tape::RowContent>> Tape::keptRowsOutside(int first, int count) const {
    std::vector<std::pair<int, RowContent>> kept;
    const auto add = [&](int row) {
        if ((row < first || row >= first + count) && isKept(row))
            kept.emplace_back(row, contentOf(row));
    };
    // Typed rows are the newest few; rows beyond where the evaluation stopped are all looked at.
    for (int row = rowCount() - 1; row >= 0 && row >= reached_; --row)
        add(row);
    for (const int row : typedRows_) {
        if (row < std::min(reached_, rowCount()))
            add(row);
    }
    std::sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return kept;
}

void Tape::releaseKeptRow(int row) {
    if (row >= rowCount())
        return;
    rows_[std::size_t(row)].typed = false;
    rows_[std::size_t(row)].pinned = false;
    changedFrom(row);
}

void Tape::restoreKeptRows(const std::vector<std::pair<int, RowContent>>& rows) {
    for (const auto& [index, content] : rows) {
        if (index >= rowCount())
            continue;
        Row& row = rows_[std::size_t(index)];
        textOf(row);
        row.text = content.text;
        row.value.reset();
        row.unwritten.reset();
        row.unwrittenScaled.reset();
        row.typed = content.kept;
        row.pinned = content.kept;
        if (content.kept) {
            pinned_.push_back(index);
            typedRows_.push_back(index);
        }
    }
}

void Tape::replaceRows(int first, int count, std::vector<RowContent> contents) {
    first = std::clamp(first, 0, rowCount());
    count = std::clamp(count, 0, rowCount() - first);
    const auto toRow = [](RowContent& content) {
        return Row{std::move(content.text),
                   content.operation,
                   std::move(content.formatted),
                   std::nullopt,
                   std::nullopt,
                   std::nullopt,
                   content.kept,
                   content.kept};
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
    for (int row = first; row < first + int(contents.size()) && row < rowCount(); ++row) {
        if (rows_[std::size_t(row)].pinned) {
            pinned_.push_back(row);
            typedRows_.push_back(row);
        }
    }
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

void Tape::rewriteOneOperandRow(Row& row, const Number& accumulator) {
    if (row.pinned)
        return;
    row.unwritten = accumulator;
    row.unwrittenScaled.reset();
    row.value.reset();
    row.typed = false;
}

void Tape::rewriteOneOperandRow(Row& row, const ScaledDecimal& accumulator) {
    if (row.pinned)
        return;
    row.unwrittenScaled = accumulator;
    row.unwritten.reset();
    row.value.reset();
    row.typed = false;
}

const ReadNumber& Tape::operandOf(Row& row) {
    if (!row.value)
        row.value = readNumber(textOf(row));
    return *row.value;
}

bool Tape::applyRowScaled(State& state, Row& row) {
    const int code = row.operation;
    if (isOneOperand(code)) {
        std::optional<ScaledDecimal> result;
        if (code == operation::SquareRoot) {
            result = exactSquareRoot(state.scaled);
        } else if (code == operation::Reciprocal) {
            // Zero shows "ERROR": left to the fractions.
            result = scaledQuotient(ScaledDecimal{1, 0}, state.scaled);
        } else {
            const ScaledDecimal whole = shortened(state.scaled);
            if (whole.scale == 0 && whole.units <= kLargestScaledFactorial) {
                ScaledUnits product = 1;
                for (ScaledUnits k = 2; k <= whole.units; ++k)
                    product *= k;
                result = ScaledDecimal{product, 0};
            }
        }
        if (!result)
            return false;
        rewriteOneOperandRow(row, state.scaled);
        state.scaled = *result;
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
        // Whole numbers that fit 32 bits round to themselves; anything else (halves, zero, out of range)
        // is left to the fractions.
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
        result = scaledProduct(*x, state.scaled, 2);
        break;
    case operation::Power: {
        const ScaledDecimal exponent = shortened(*x);
        if (exponent.scale != 0 || exponent.units < 0 || exponent.units > kLargestScaledExponent)
            return false;
        result = scaledPower(state.scaled, std::uint64_t(exponent.units));
        break;
    }
    default:
        // A zero divisor shows "ERROR": left to the fractions.
        result = scaledQuotient(state.scaled, *x);
        break;
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
        state.value = numberFrom(state.scaled);
        state.isScaled = false;
    }
    if (isOneOperand(row.operation))
        return applyOneOperandRow(state, row);
    // A code no key has leaves the accumulator alone.
    if (row.operation < 0 || row.operation >= kOperationCount)
        return true;
    return applyRowWithOperand(state, row);
}

bool Tape::applyRowWithOperand(State& state, Row& row) {
    const ReadNumber& x = operandOf(row);
    if (x.overflow)
        return false;
    // A zero divisor shows "ERROR" but the rows below are still worked through.
    if (needsNonZeroOperand(row.operation) && x.value.isZero()) {
        state.error = true;
        return true;
    }
    return takeResult(state, resultWithOperand(row.operation, *state.value, x.value));
}

bool Tape::applyOneOperandRow(State& state, Row& row) {
    const Number& acc = *state.value;
    rewriteOneOperandRow(row, acc);
    switch (row.operation) {
    case operation::SquareRoot:
        return takeResult(state, squareRoot(acc));
    case operation::Reciprocal:
        // A value inside the range never shows as 0: only 0 itself does, and shows "ERROR".
        if (acc.isZero()) {
            state.error = true;
            return true;
        }
        return takeResult(state, reciprocal(acc));
    default:
        return takeResult(state, factorial(acc));
    }
}

bool Tape::takeResult(State& state, std::optional<Number> result) const {
    if (!result)
        return false;
    // An exact decimal that fits goes back to the fast way.
    if (exactFastPath_ && result->isExact()) {
        if (const std::optional<ScaledDecimal> scaled = scaledFrom(result->fraction())) {
            state.scaled = *scaled;
            state.isScaled = true;
            state.value.reset();
            return true;
        }
    }
    state.value = std::move(result);
    return true;
}

QString Tape::recalculate() {
    const int count = currentRow() <= 0 ? 1 : std::clamp(rowsToEvaluate_, 0, rowCount());
    if (states_.size() < rows_.size())
        states_.resize(rows_.size());
    const int start = std::min(validStates_, count);
    State state = start > 0 ? states_[std::size_t(start - 1)] : State{};
    for (int i = start; i < count && !state.fault; ++i) {
        if (!applyRow(state, rows_[std::size_t(i)])) {
            state.fault = true;
            state.faultRow = i;
        }
        states_[std::size_t(i)] = state;
        validStates_ = i + 1;
    }
    reached_ = state.fault ? state.faultRow + 1 : count;
    for (const int row : pinned_) {
        if (row < rowCount())
            rows_[std::size_t(row)].pinned = false;
    }
    pinned_.clear();
    // Only one-operand rows can be typed over: a row made one later is written by the evaluation.
    std::erase_if(typedRows_, [this](int row) {
        return row >= rowCount() || !rows_[std::size_t(row)].typed ||
               !isOneOperand(rows_[std::size_t(row)].operation);
    });
    if (state.fault || state.error)
        return kError;
    return state.isScaled ? numberText(state.scaled) : numberText(*state.value);
}

Number Tape::result() const {
    const int count = currentRow() <= 0 ? 1 : std::clamp(rowsToEvaluate_, 0, rowCount());
    if (validStates_ < count || count == 0)
        return Number();
    const State& state = states_[std::size_t(count - 1)];
    if (state.fault || state.error)
        return Number();
    return state.isScaled ? numberFrom(state.scaled) : *state.value;
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
