// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/tapehistory.h"

#include <algorithm>

namespace tallimo {

void TapeHistory::beginChange(int first, int count) {
    pending_ = Step{
        first, {tape_.rows(first, count), tape_.rowsToEvaluate(), tape_.keptRowsOutside(first, count)}, {}};
    pendingCount_ = count;
    pendingRowCount_ = tape_.rowCount();
}

void TapeHistory::endChange() {
    if (!pending_)
        return;
    Step step = std::move(*pending_);
    pending_.reset();
    const int count = pendingCount_ + tape_.rowCount() - pendingRowCount_;
    step.after = {tape_.rows(step.first, count), tape_.rowsToEvaluate(),
                  tape_.keptRowsOutside(step.first, count)};
    if (step.before.rows == step.after.rows && step.before.rowsToEvaluate == step.after.rowsToEvaluate &&
        step.before.kept == step.after.kept)
        return;
    undo_.push_back(std::move(step));
    if (undo_.size() > std::size_t(kSteps))
        undo_.pop_front();
    redo_.clear();
}

void TapeHistory::apply(const Side& from, const Side& to, int first) {
    tape_.replaceRows(first, int(from.rows.size()), to.rows);
    for (const auto& [row, content] : from.kept) {
        if (std::none_of(to.kept.begin(), to.kept.end(),
                         [row = row](const auto& kept) { return kept.first == row; }))
            tape_.releaseKeptRow(row);
    }
    tape_.restoreKeptRows(to.kept);
    tape_.setRowsToEvaluate(to.rowsToEvaluate);
}

bool TapeHistory::undo() {
    if (undo_.empty())
        return false;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    apply(step.after, step.before, step.first);
    redo_.push_back(std::move(step));
    return true;
}

bool TapeHistory::redo() {
    if (redo_.empty())
        return false;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    apply(step.before, step.after, step.first);
    undo_.push_back(std::move(step));
    return true;
}

} // namespace tallimo
