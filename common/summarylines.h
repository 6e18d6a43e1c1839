// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace common {

// Adds "title (n):" and the items, indented, to the lines of a summary; nothing when there are none.
inline void appendListed(QStringList& lines, const QString& title, const QStringList& items) {
    if (items.isEmpty())
        return;
    lines.append(QStringLiteral("%1 (%2):").arg(title).arg(items.size()));
    for (const QString& item : items)
        lines.append(QStringLiteral("  ") + item);
}

} // namespace common
