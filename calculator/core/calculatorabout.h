// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace tallimo {

// The five captions of the calculator's about panel, Label5(0) to Label5(4): name and version, what it is,
// the project's web address, the licence, the year. Each fits its one-line label.
QStringList aboutLines();
// The windows' title, "TALLIMO" and the calculator's version, which --version and F1 give too.
QString calculatorTitle();

} // namespace tallimo
