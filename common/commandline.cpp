#include "common/commandline.h"

#include "common/about.h"

namespace common {

namespace {

QString programSummary(Program program) {
    return program == Program::Agenda
               ? QStringLiteral(
                     "Agenda personal: calendario, notas del día, recordatorios, santoral y direcciones.")
               : QStringLiteral("Calculadora de cinta de papel.");
}

QString folderHelp(Program program) {
    const QString order =
        QStringLiteral("Sin esta opción se usa QUINDARA_DIR, la carpeta del programa si ya tiene "
                       "los datos de la agenda, o ~/Quindara.");
    return program == Program::Agenda
               ? QStringLiteral("Carpeta de datos de la agenda. ") + order
               : QStringLiteral("Carpeta de datos de la agenda; la calculadora usa su subcarpeta tallimo. ") +
                     order;
}

} // namespace

QString executableName(Program program) {
    return program == Program::Agenda ? QStringLiteral("quindara") : QStringLiteral("tallimo");
}

QString desktopFileName(Program program) {
    return program == Program::Agenda ? QStringLiteral("org.example.quindara.Quindara")
                                      : QStringLiteral("org.example.quindara.Tallimo");
}

CommandLine::CommandLine(Program program)
    : program_(program),
      help_({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Muestra esta ayuda y termina.")),
      version_({QStringLiteral("v"), QStringLiteral("version")},
               QStringLiteral("Muestra la versión y termina.")),
      folder_(QStringLiteral("folder"), folderHelp(program), QStringLiteral("carpeta")),
      search_(
          QStringLiteral("search"),
          QStringLiteral("Busca TEXTO en las notas, fiestas, recordatorios, contactos y notas del bloc, y "
                         "escribe los resultados."),
          QStringLiteral("TEXTO")) {
    parser_.setApplicationDescription(programSummary(program));
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOption(help_);
    parser_.addOption(version_);
    parser_.addOption(folder_);
    // The calculator does not know the option, so it refuses it as unknown.
    if (program == Program::Agenda)
        parser_.addOption(search_);
}

CommandLineOptions CommandLine::read(const QStringList& arguments) {
    CommandLineOptions options;
    const bool parsed = parser_.parse(arguments);
    if (parsed && parser_.isSet(help_)) {
        options.action = CommandLineAction::ShowHelp;
        return options;
    }
    if (parsed && parser_.isSet(version_)) {
        options.action = CommandLineAction::ShowVersion;
        return options;
    }
    // Qt's own error text is built before any translation can be installed, so the reasons are ours.
    if (!parser_.unknownOptionNames().isEmpty()) {
        const QString name = parser_.unknownOptionNames().constFirst();
        options.error = QStringLiteral("Opción desconocida: %1%2")
                            .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
    } else if (!parsed) {
        const bool searchLast =
            arguments.size() > 1 && arguments.constLast().endsWith(QStringLiteral("-search"));
        options.error = searchLast && program_ == Program::Agenda
                            ? QStringLiteral("La opción --search necesita un texto.")
                            : QStringLiteral("La opción --folder necesita una carpeta.");
    } else if (!parser_.positionalArguments().isEmpty()) {
        options.error =
            QStringLiteral("Argumento no esperado: %1").arg(parser_.positionalArguments().constFirst());
    } else if (parser_.isSet(folder_) && parser_.value(folder_).trimmed().isEmpty()) {
        options.error = QStringLiteral("La opción --folder necesita una carpeta.");
    } else if (program_ == Program::Agenda && parser_.isSet(search_) &&
               parser_.value(search_).trimmed().isEmpty()) {
        options.error = QStringLiteral("La opción --search necesita un texto.");
    }
    if (!options.error.isEmpty()) {
        options.action = CommandLineAction::Refuse;
        return options;
    }
    options.folder = parser_.value(folder_);
    if (program_ == Program::Agenda && parser_.isSet(search_)) {
        options.action = CommandLineAction::Search;
        options.searchText = parser_.value(search_);
    }
    return options;
}

QString CommandLine::helpText() const {
    return parser_.helpText();
}

QString CommandLine::versionText() const {
    return QStringLiteral("%1 %2\n%3\n%4\n")
        .arg(executableName(program_), projectVersion(), licenceText(), copyrightYearText());
}

} // namespace common
