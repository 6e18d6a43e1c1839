#include "common/about.h"

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

QString dataFolderLine(const QString& dataFolder) {
    return QStringLiteral("Carpeta de datos: %1").arg(dataFolder);
}

QStringList calculatorAboutLines() {
    return {
        QStringLiteral("TALLIMO 1.2"), QStringLiteral("Calculadora de cinta de papel"),
        projectWebAddress(),           licenceText(),
        copyrightYearText(),
    };
}

QStringList agendaAboutLines() {
    return {
        QStringLiteral("QUINDARA, agenda personal"),
        projectWebAddress(),
        licenceText(),
        copyrightYearText(),
    };
}

QString agendaAboutText() {
    return agendaAboutLines().join(QLatin1Char('\n'));
}

QString aboutText(Program program, const QString& dataFolder) {
    QStringList lines = program == Program::Agenda ? agendaAboutLines() : calculatorAboutLines();
    lines.append(QString());
    lines.append(dataFolderLine(dataFolder));
    return lines.join(QLatin1Char('\n'));
}

} // namespace common
