#pragma once

#include "agenda/core/storedtext.h"
#include "common/desktopservices.h"

#include <QString>

#include <optional>

namespace quindara {

// Asks the user what to do with an edit of `what` ("el día 5 de ENERO de 2011") whose file `other` was
// changed elsewhere since it was loaded. Returns the text to store, or nothing when the other version is
// kept as it is.
std::optional<QString> askAboutOutsideChange(common::DesktopServices& desktop, const QString& what,
                                             const QString& mine, const StoredText& other);

} // namespace quindara
