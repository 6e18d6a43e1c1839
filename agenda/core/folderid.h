#pragma once

#include "agenda/core/datafolder.h"

#include <QString>

namespace quindara {

// A random identifier of the data folder, made once and kept in a hidden file of the folder, so that every
// machine sharing the folder gives the same identifiers to what it exports and two folders never do.
QString folderIdentifier(const DataFolder& data);

} // namespace quindara
