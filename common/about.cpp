// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/about.h"

#include "common/datafolderchoice.h"

namespace common {

QString projectName() {
    return QStringLiteral("Quindara");
}

// A reserved example domain until the project has a public address.
QString projectWebAddress() {
    return QStringLiteral("https://quindara.example.org");
}

QString licenceText() {
    return QStringLiteral("Licencia GPL-3.0 o posterior");
}

QString copyrightYearText() {
    return QStringLiteral("© 2026 Proyecto Quindara");
}

QString projectVersion() {
    return QStringLiteral(QUINDARA_VERSION);
}

QString programVersion(Program program) {
    return program == Program::Calculator ? QStringLiteral(QUINDARA_TALLIMO_VERSION) : projectVersion();
}

QString dataFolderLine(const QString& dataFolder) {
    return QStringLiteral("Carpeta de datos: %1").arg(dataFolder);
}

QString aboutText(const QStringList& lines, const QString& version, const QString& dataFolder) {
    const QString versionLine = QStringLiteral("Versión %1").arg(version);
    return (lines + QStringList{versionLine, QString(), dataFolderLine(dataFolder)}).join(QLatin1Char('\n'));
}

} // namespace common
