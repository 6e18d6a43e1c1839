#pragma once

#include <QString>

#include <optional>

namespace quindara {

// Writes and removes a scratch file in `folder`; the platform's description of the failure, or nothing
// when the folder can be written. Nothing already in the folder is touched.
std::optional<QString> writeTestFailure(const QString& folder);
// The start-up message for a folder that cannot be written.
QString writeTestMessage(const QString& failure);

} // namespace quindara
