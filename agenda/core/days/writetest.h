// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/result.h"

#include <QString>

namespace quindara {

// Writes and removes a scratch file in `folder`; a failure carries the platform's description. Nothing
// already in the folder is touched.
common::Status writeTest(const QString& folder);
// The start-up message for a folder that cannot be written.
QString writeTestMessage(const QString& failure);

} // namespace quindara
