// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// How long a window test waits for something that comes after a delay (a debounce, a watched folder), given
// for an ordinary build. A slower build (the sanitizers) sets QUINDARA_TEST_TIME_FACTOR to stretch every
// such wait alike.
inline int scaledMs(int milliseconds) {
    bool ok = false;
    const int factor = qEnvironmentVariableIntValue("QUINDARA_TEST_TIME_FACTOR", &ok);
    return ok && factor > 1 ? milliseconds * factor : milliseconds;
}
