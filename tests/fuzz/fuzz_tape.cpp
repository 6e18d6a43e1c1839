// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/numbers.h"
#include "calculator/core/operations.h"
#include "calculator/core/tape.h"
#include "fuzzcheck.h"

#include <QStringList>

using namespace tallimo;

namespace {

// The result shown is "ERROR" or a number inside the calculator's range that reads back unchanged.
void checkResult(const QString& result) {
    if (result == Tape::kError)
        return;
    const ReadNumber read = readNumber(result);
    FUZZ_CHECK(!read.overflow);
    FUZZ_CHECK(abs(read.value.middle()) <= largestNumber());
    FUZZ_CHECK(numberText(read.value) == result);
}

// The same rows typed into a new tape give the same result: the kept evaluation states never go stale.
void checkAgainstFreshTape(const Tape& tape, const QString& result) {
    Tape fresh;
    fresh.setText(0, tape.text(0));
    for (int row = 1; row < tape.rowCount(); ++row) {
        fresh.addRow(tape.operation(row));
        fresh.setText(row, tape.text(row));
    }
    fresh.setRowsToEvaluate(tape.rowsToEvaluate());
    FUZZ_CHECK(fresh.recalculate() == result);
}

} // namespace

// Each byte is one key of the calculator, applied to the tape the way the window does.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 160)
        return 0;
    Tape tape;
    QStringList results;
    for (std::size_t i = 0; i < size; ++i) {
        const int key = data[i];
        bool evaluate = true;
        if (key < 100) {
            tape.appendToCurrent(QString::number(key % 10));
            tape.includeAllRows();
        } else if (key < 110) {
            tape.appendDecimalPoint();
            evaluate = false;
        } else if (key < 120) {
            tape.toggleSign();
            tape.includeAllRows();
        } else if (key < 130) {
            evaluate = tape.deleteLastCharacter();
            tape.includeAllRows();
        } else if (key < 140) {
            tape.includeAllRows();
        } else if (key < 200) {
            tape.addRow((key - 140) % kOperationCount);
        } else if (key < 205) {
            results.append(tape.recalculate());
            tape.clear();
            evaluate = false;
        } else if (key < 215) {
            if (tape.currentRow() == 0)
                tape.setText(0, QString());
            else
                tape.removeLastRow();
            tape.includeAllRows();
        } else if (key < 240) {
            // The palette changes the operation of a row above.
            const int row = 1 + (key - 215) % 5;
            if (row <= tape.currentRow()) {
                tape.setOperation(row, (key - 215) % kOperationCount);
                tape.includeAllRows();
            }
        } else if (!results.isEmpty()) {
            // A result picked from the list of earlier results.
            tape.setText(tape.currentRow(), results.at((key - 240) % results.size()));
            tape.includeAllRows();
        }
        if (!evaluate)
            continue;
        const QString result = tape.recalculate();
        checkResult(result);
        checkAgainstFreshTape(tape, result);
    }
    return 0;
}
