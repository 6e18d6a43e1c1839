// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calculator/core/numbers.h"

#include <QString>

#include <optional>
#include <vector>

namespace tallimo {

// The calculation as a paper tape: rows of a typed number and an operation, evaluated from the top
// with no precedence. Row 0 always exists and always adds.
class Tape {
public:
    static inline const QString kError = QStringLiteral("ERROR");

    Tape();

    // Index of the newest row (0 when only the first row exists).
    int currentRow() const { return int(rows_.size()) - 1; }
    int rowCount() const { return int(rows_.size()); }
    // How many rows from the top the next evaluation uses.
    int rowsToEvaluate() const { return rowsToEvaluate_; }
    void setRowsToEvaluate(int count) { rowsToEvaluate_ = count; }
    // Every row, the newest included.
    void includeAllRows() { rowsToEvaluate_ = rowCount(); }

    const QString& text(int row) const { return textOf(rows_[std::size_t(row)]); }
    int operation(int row) const { return rows_[std::size_t(row)].operation; }
    void setText(int row, const QString& text);
    void setOperation(int row, int code);
    // The row's text read as a number; kept until the text changes.
    const ReadNumber& value(int row) const;

    // What the format keys last showed for a row; a snapshot that later edits leave alone.
    const QString& formatted(int row) const { return rows_[std::size_t(row)].formatted; }
    void setFormatted(int row, const QString& text) { rows_[std::size_t(row)].formatted = text; }

    // Edits of the newest row.
    void appendToCurrent(const QString& characters);
    // Adds "." unless the text has one; false when nothing changed.
    bool appendDecimalPoint();
    // "-" in front of a text without one, removed from a text that has one.
    void toggleSign();
    // False when the text was already empty.
    bool deleteLastCharacter();

    // A new empty row with the operation; leaves it out of the result until it gets a number,
    // except for one-operand operations, which act at once. Returns the new row's index.
    int addRow(int code);
    // Back to one empty row.
    void clear();
    // Removes the newest row; with only row 0 left, empties it instead.
    void removeLastRow();

    // What a row holds, for taking rows out and putting them back (undo).
    struct RowContent {
        QString text;
        int operation = 0;
        QString formatted;
        // A one-operand row whose text the next evaluation would not write: typed over since the last
        // one, or beyond the row where it stopped. Put back, it keeps that text through the next one.
        bool kept = false;
        bool operator==(const RowContent&) const = default;
    };
    // Rows first..first+count-1, as far as they exist.
    std::vector<RowContent> rows(int first, int count) const;
    // Puts `contents` in place of rows first..first+count-1 (count may reach past the last row).
    void replaceRows(int first, int count, std::vector<RowContent> contents);
    // The kept rows outside first..first+count-1, with their indexes; few, unless an evaluation stopped
    // high up a long tape.
    std::vector<std::pair<int, RowContent>> keptRowsOutside(int first, int count) const;
    // Puts such rows back in place.
    void restoreKeptRows(const std::vector<std::pair<int, RowContent>>& rows);
    // A row kept before is the evaluation's again: the next one writes it.
    void releaseKeptRow(int row);

    // Evaluates the first rowsToEvaluate() rows (just row 0 while it is alone) and returns the number
    // text of the result or "ERROR". One-operand rows get the value they acted on as their text.
    QString recalculate();

    // The exact result of the last evaluation (0 after "ERROR").
    Number result() const;

    // Bytes held for the rows and the kept evaluation states.
    std::size_t memoryBytes() const;

    // Exact decimals are worked out on scaled integers while they fit (the same values, far faster);
    // switched off only to check it against fractions alone.
    void setExactFastPath(bool on);

private:
    struct Row {
        // A one-operand row's text is written from the value it acted on when it is first asked for:
        // evaluating a long tape writes only the rows someone looks at.
        mutable QString text;
        int operation = 0;
        QString formatted;
        mutable std::optional<ReadNumber> value;
        mutable std::optional<Number> unwritten;
        mutable std::optional<ScaledDecimal> unwrittenScaled;
        // The text was set since the evaluation last wrote it.
        bool typed = false;
        // Put back by undo: the next evaluation leaves the text alone.
        bool pinned = false;
    };
    static const QString& textOf(const Row& row);
    // The accumulator after a row: `scaled` while `isScaled`, else `value`. `error` is shown as
    // "ERROR" but evaluation goes on; `fault` stops it, at `faultRow`.
    struct State {
        std::optional<Number> value;
        ScaledDecimal scaled;
        bool isScaled = true;
        bool error = false;
        bool fault = false;
        int faultRow = 0;
    };

    // Forgets the evaluation states from `row` on: they depended on the old row.
    void changedFrom(int row);
    bool isKept(int row) const;
    RowContent contentOf(int row) const;
    void rewriteOneOperandRow(Row& row, const Number& accumulator);
    void rewriteOneOperandRow(Row& row, const ScaledDecimal& accumulator);
    // The row's operation on the accumulator, on scaled integers while they hold it exactly; false when
    // the row stops the evaluation (a number out of range, a result undefined or out of range).
    bool applyRow(State& state, Row& row);
    // The same on fractions and rounded values, for an operation that takes the row's number.
    bool applyRowWithOperand(State& state, Row& row);
    // The same for square root, reciprocal or factorial, which write the value they act on into the row.
    bool applyOneOperandRow(State& state, Row& row);
    // The accumulator becomes `result`, back on scaled integers when it is an exact decimal that fits;
    // false when there is none.
    bool takeResult(State& state, std::optional<Number> result) const;
    // The row on scaled integers; false when it is not one for them or its result is not exact there.
    bool applyRowScaled(State& state, Row& row);
    const ReadNumber& operandOf(Row& row);

    std::vector<Row> rows_;
    // Rows the last evaluation went through: it stopped at a fault, or at the rows to evaluate.
    int reached_ = 0;
    std::vector<int> pinned_;
    // Rows whose text was set since the evaluation last wrote it, newest last (may hold stale entries).
    std::vector<int> typedRows_;
    int rowsToEvaluate_ = 1;
    // states_[i] holds the state after row i for every i < validStates_; a key press at the bottom of
    // a long tape then evaluates only the rows it changed.
    std::vector<State> states_;
    int validStates_ = 0;
    bool exactFastPath_ = true;
};

} // namespace tallimo
