#include "common/programfolder.h"

#include <QDir>

namespace common {

QString programPath(const QString& programFolder, const QString& relative) {
    return QDir(programFolder).filePath(relative);
}

bool ensureFolders(const QString& programFolder, const QStringList& relativeFolders) {
    bool allThere = true;
    const QDir root(programFolder);
    for (const QString& folder : relativeFolders) {
        if (!root.mkpath(folder))
            allThere = false;
    }
    return allThere;
}

bool isSafeFileName(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String(".") || trimmed == QLatin1String(".."))
        return false;
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c))
            return false;
    }
    return true;
}

} // namespace common
