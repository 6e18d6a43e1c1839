// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QPlainTextEdit;

namespace common {

// Laying out a line costs more than its length, most of all a line with no place to break it, so a line
// longer than this is shown cut.
inline constexpr qsizetype kLongestShownLine = 10000;

// Shows `text` in `box`, not modified. A line longer than kLongestShownLine is shown cut, ending in "…",
// and the box is then read-only, so nothing typed there can replace the full text, which boxText() still
// gives. False when something was cut.
bool showTextWholeOrCut(QPlainTextEdit* box, const QString& text);

// The text `box` stands for: the full text of a box showing it cut, otherwise what the box holds.
QString boxText(const QPlainTextEdit* box);

} // namespace common
