#pragma once

#include <QString>
#include <QStringList>

namespace common {

// Facts the two about texts are made of.
QString projectName();
QString projectWebAddress();
QString licenceText();
QString copyrightYearText();

// The five captions of the calculator's about panel, Label5(0) to Label5(4): name and version, what it is,
// the project's web address, the licence, the year. Each fits its one-line label.
QStringList calculatorAboutLines();

// The agenda's about caption, Label5(2): its lines joined by "\n".
QStringList agendaAboutLines();
QString agendaAboutText();

} // namespace common
