// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace quindara {

// The agenda's about text, line by line: what it is, the project's web address, the licence, the year.
QStringList aboutLines();

} // namespace quindara
