// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace common {

// Facts the two about texts are made of.
QString projectName();
QString projectWebAddress();
QString licenceText();
QString copyrightYearText();
// The package's version, "1.0".
QString projectVersion();

// "Carpeta de datos: " and the folder in use, shown with both programs' about texts.
QString dataFolderLine(const QString& dataFolder);

// A program's about text: its own lines, the version, then its data folder.
QString aboutText(const QStringList& lines, const QString& dataFolder);

} // namespace common
