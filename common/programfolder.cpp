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

namespace {

// Device names Windows refuses as file names, with or without an extension.
bool isReservedDeviceName(const QString& name) {
    const QString stem = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList plain = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                      QStringLiteral("NUL")};
    if (plain.contains(stem))
        return true;
    if (stem.size() == 4 && (stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"))))
        return stem.at(3) >= QLatin1Char('1') && stem.at(3) <= QLatin1Char('9');
    return false;
}

} // namespace

bool isSafeFileName(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String(".") || trimmed == QLatin1String(".."))
        return false;
    if (name.toUtf8().size() > kMaxFileNameBytes || isReservedDeviceName(name))
        return false;
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c))
            return false;
    }
    return true;
}

} // namespace common
