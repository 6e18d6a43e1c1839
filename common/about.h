// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace common {

enum class Program;

// Facts the two about texts are made of.
QString projectName();
QString projectWebAddress();
QString licenceText();
QString copyrightYearText();
// The package's version, "1.0".
QString projectVersion();
// The version a program gives: the agenda the package's, the calculator its own ("1.2").
QString programVersion(Program program);

// "Carpeta de datos: " and the folder in use, shown with both programs' about texts.
QString dataFolderLine(const QString& dataFolder);

// A program's about text: its own lines, its version, then its data folder.
QString aboutText(const QStringList& lines, const QString& version, const QString& dataFolder);

} // namespace common
