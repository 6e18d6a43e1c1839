#pragma once

#include <QDateTime>
#include <QString>

namespace common {

// "2011-10-1--23-5": year, month, day, hour, minute without leading zeros; names notes and saved logs.
QString timeStampName(const QDateTime& moment);

} // namespace common
