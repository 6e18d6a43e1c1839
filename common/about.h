#pragma once

#include <QString>
#include <QStringList>

#include "common/datafolderchoice.h"

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

// The five captions of the calculator's about panel, Label5(0) to Label5(4): name and version, what it is,
// the project's web address, the licence, the year. Each fits its one-line label.
QStringList calculatorAboutLines();

// The agenda's about caption, Label5(2): its lines joined by "\n".
QStringList agendaAboutLines();
QString agendaAboutText();

// The whole about text of one program, its data folder last: the agenda's lines, or the calculator's.
QString aboutText(Program program, const QString& dataFolder);

} // namespace common
