// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/instancelock.h"

class QWidget;

namespace common {

// Brings a program's window forward at a later start's request. The launcher's token of that start lets
// the window manager give the window the focus, and ends the launcher's busy feedback for it.
void bringForward(QWidget& window, const LaunchToken& token);

} // namespace common
