// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calculator/core/tape.h"

#include <deque>
#include <optional>
#include <vector>

namespace tallimo {

// Undo and redo of the tape's changes. Every change replaces a run of rows (a digit: the newest row;
// an operation key: none, by a new one; "C": all of them, by one empty row), so a step keeps only
// that run before and after it, never the whole tape; and the few one-operand rows outside it whose
// texts no evaluation gives back (typed over, or below a row that failed).
class TapeHistory {
public:
    static constexpr int kSteps = 100;

    explicit TapeHistory(Tape& tape) : tape_(tape) {}

    // Rows first..first+count-1 are about to change; rows the change adds or removes at the end of
    // the tape count as part of the run.
    void beginChange(int first, int count);
    // Records the change begun last, unless it changed nothing; a new change forgets the redo steps.
    void endChange();

    // False when there is nothing to undo or redo. Both restore the rows to evaluate as well.
    bool undo();
    bool redo();
    bool canUndo() const { return !undo_.empty(); }
    int undoSteps() const { return int(undo_.size()); }
    bool canRedo() const { return !redo_.empty(); }

private:
    struct Side {
        std::vector<Tape::RowContent> rows;
        int rowsToEvaluate = 1;
        // One-operand rows outside the run that an evaluation would not write back as they were.
        std::vector<std::pair<int, Tape::RowContent>> kept;
    };
    struct Step {
        int first = 0;
        Side before;
        Side after;
    };
    void apply(const Side& from, const Side& to, int first);

    Tape& tape_;
    std::optional<Step> pending_;
    int pendingCount_ = 0;
    int pendingRowCount_ = 0;
    std::deque<Step> undo_;
    std::vector<Step> redo_;
};

} // namespace tallimo
