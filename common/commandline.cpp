// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/commandline.h"

#include "common/about.h"

#include <QCoreApplication>

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
    return program == Program::Agenda ? QStringLiteral("org.example.quindara.quindara")
                                      : QStringLiteral("org.example.quindara.tallimo");
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
          QStringLiteral("TEXTO")),
      exchangeFiles_{
          {QStringLiteral("export-ics"),
           QStringLiteral("Exporta las fiestas y los recordatorios a un calendario (.ics) y termina."),
           QStringLiteral("archivo")},
          {QStringLiteral("import-ics"),
           QStringLiteral("Añade a la agenda los días de un calendario (.ics) y termina."),
           QStringLiteral("archivo")},
          {QStringLiteral("export-vcf"),
           QStringLiteral("Exporta los contactos de la agenda de direcciones (.vcf) y termina."),
           QStringLiteral("archivo")},
          {QStringLiteral("import-vcf"),
           QStringLiteral("Añade a la agenda de direcciones los contactos de un archivo .vcf y termina."),
           QStringLiteral("archivo")}},
      withNotes_(QStringLiteral("with-notes"),
                 QStringLiteral("Con --export-ics: incluye las notas de los días.")),
      asHolidays_(
          QStringLiteral("as-holidays"),
          QStringLiteral("Con --import-ics: los días que se repiten cada año se guardan como fiestas.")),
      category_(
          QStringLiteral("category"),
          QStringLiteral("Con --export-vcf: la categoría que se exporta (Todos si no se indica). Con "
                         "--import-vcf: la categoría que recibe los contactos (Importados si no se indica)."),
          QStringLiteral("nombre")),
      sync_(QStringLiteral("sync"),
            QStringLiteral(
                "Sincroniza la agenda con las cuentas de servidor (CalDAV/CardDAV) configuradas y termina. "
                "La contraseña se toma de QUINDARA_DAV_PASSWORD o se pregunta.")),
      syncSetup_(
          QStringLiteral("sync-setup"),
          QStringLiteral("Busca los calendarios y las direcciones del usuario en el servidor URL y guarda "
                         "la cuenta para --sync (con --user; con --with-notes, también las notas)."),
          QStringLiteral("URL")),
      user_(QStringLiteral("user"), QStringLiteral("Con --sync-setup: el usuario del servidor."),
            QStringLiteral("nombre")),
      remind_(
          QStringLiteral("remind"),
          QStringLiteral("Muestra como notificación del escritorio la fiesta, los recordatorios y las horas "
                         "de la nota de hoy (y lo de mañana), una vez al día, y termina.")),
      again_(QStringLiteral("again"),
             QStringLiteral("Con --remind: muestra los avisos de hoy aunque ya se hayan mostrado.")),
      day_(QStringLiteral("day"), QStringLiteral("Abre la agenda en el día FECHA (AAAA-MM-DD)."),
           QStringLiteral("FECHA")),
      today_(QStringLiteral("today"), QStringLiteral("El día que se toma por hoy (pruebas)."),
             QStringLiteral("FECHA")) {
    today_.setFlags(QCommandLineOption::HiddenFromHelp);
    parser_.setApplicationDescription(programSummary(program));
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOption(help_);
    parser_.addOption(version_);
    parser_.addOption(folder_);
    // The calculator does not know the option, so it refuses it as unknown.
    if (program == Program::Agenda)
        parser_.addOption(search_);
    if (program == Program::Agenda) {
        for (const QCommandLineOption& option : exchangeFiles_)
            parser_.addOption(option);
        parser_.addOption(withNotes_);
        parser_.addOption(asHolidays_);
        parser_.addOption(category_);
        parser_.addOption(sync_);
        parser_.addOption(syncSetup_);
        parser_.addOption(user_);
        parser_.addOption(remind_);
        parser_.addOption(again_);
        parser_.addOption(day_);
        parser_.addOption(today_);
    }
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
    } else if (!parsed && arguments.size() > 1 && arguments.constLast().startsWith(QLatin1Char('-')) &&
               !arguments.constLast().contains(QStringLiteral("folder"))) {
        options.error = QStringLiteral("La opción %1 necesita un valor.").arg(arguments.constLast());
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
    if (options.error.isEmpty() && program_ == Program::Agenda)
        options.error = readSync(options);
    if (options.error.isEmpty() && program_ == Program::Agenda)
        options.error = readRemind(options);
    if (options.error.isEmpty() && program_ == Program::Agenda &&
        options.action == CommandLineAction::OpenWindow)
        options.error = readExchange(options);
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

QString CommandLine::readExchange(CommandLineOptions& options) const {
    QStringList given;
    for (int kind = 0; kind < exchangeFiles_.size(); ++kind) {
        if (!parser_.isSet(exchangeFiles_[kind]))
            continue;
        given.append(QStringLiteral("--") + exchangeFiles_[kind].names().constFirst());
        options.exchange = static_cast<ExchangeKind>(kind);
        options.exchangeFile = parser_.value(exchangeFiles_[kind]);
    }
    const auto optionName = [this](ExchangeKind kind) {
        return QStringLiteral("--") + exchangeFiles_[int(kind)].names().constFirst();
    };
    // A modifier that belongs to other options than the one given.
    const auto misplaced = [&](const QCommandLineOption& option, ExchangeKind first, ExchangeKind second) {
        if (!parser_.isSet(option) ||
            (!given.isEmpty() && (options.exchange == first || options.exchange == second)))
            return QString();
        return QStringLiteral("La opción --%1 solo sirve con %2.")
            .arg(option.names().constFirst(),
                 first == second ? optionName(first)
                                 : optionName(first) + QStringLiteral(" o ") + optionName(second));
    };
    if (given.size() > 1)
        return QStringLiteral("Solo se puede usar una de las opciones %1 a la vez.")
            .arg(given.join(QStringLiteral(", ")));
    if (!given.isEmpty() && options.exchangeFile.trimmed().isEmpty())
        return QStringLiteral("La opción %1 necesita un archivo.").arg(given.constFirst());
    for (const QString& problem :
         {parser_.isSet(syncSetup_) ? QString()
                                    : misplaced(withNotes_, ExchangeKind::ExportIcs, ExchangeKind::ExportIcs),
          misplaced(asHolidays_, ExchangeKind::ImportIcs, ExchangeKind::ImportIcs),
          misplaced(category_, ExchangeKind::ExportVcf, ExchangeKind::ImportVcf)})
        if (!problem.isEmpty())
            return problem;
    if (parser_.isSet(category_) && parser_.value(category_).trimmed().isEmpty())
        return QStringLiteral("La opción --category necesita un nombre.");
    if (given.isEmpty())
        return QString();
    options.action = CommandLineAction::Exchange;
    options.withNotes = parser_.isSet(withNotes_);
    options.asHolidays = parser_.isSet(asHolidays_);
    options.category = parser_.value(category_).trimmed();
    return QString();
}

QString CommandLine::readSync(CommandLineOptions& options) const {
    const bool sync = parser_.isSet(sync_);
    const bool setup = parser_.isSet(syncSetup_);
    bool exchange = false;
    for (const QCommandLineOption& option : exchangeFiles_)
        exchange = exchange || parser_.isSet(option);
    if (!sync && !setup) {
        if (parser_.isSet(user_))
            return QStringLiteral("La opción --user solo sirve con --sync-setup.");
        return QString();
    }
    if ((sync && setup) || exchange || parser_.isSet(search_))
        return QStringLiteral("La opción %1 no se puede usar con otras acciones.")
            .arg(setup ? QStringLiteral("--sync-setup") : QStringLiteral("--sync"));
    if (parser_.isSet(asHolidays_) || parser_.isSet(category_) || (sync && parser_.isSet(withNotes_)))
        return QStringLiteral("La opción --%1 no sirve con %2.")
            .arg(parser_.isSet(asHolidays_) ? QStringLiteral("as-holidays")
                 : parser_.isSet(category_) ? QStringLiteral("category")
                                            : QStringLiteral("with-notes"),
                 setup ? QStringLiteral("--sync-setup") : QStringLiteral("--sync"));
    if (sync && parser_.isSet(user_))
        return QStringLiteral("La opción --user solo sirve con --sync-setup.");
    if (setup) {
        if (parser_.value(syncSetup_).trimmed().isEmpty())
            return QStringLiteral("La opción --sync-setup necesita la dirección del servidor.");
        if (parser_.value(user_).trimmed().isEmpty())
            return QStringLiteral("La opción --sync-setup necesita el usuario (--user).");
        options.syncServer = parser_.value(syncSetup_).trimmed();
        options.syncUser = parser_.value(user_).trimmed();
        options.withNotes = parser_.isSet(withNotes_);
    }
    options.action = setup ? CommandLineAction::SyncSetup : CommandLineAction::Sync;
    return QString();
}

QString CommandLine::readRemind(CommandLineOptions& options) const {
    const auto dateOf = [this](const QCommandLineOption& option, QDate& date) {
        if (!parser_.isSet(option))
            return QString();
        date = QDate::fromString(parser_.value(option).trimmed(), Qt::ISODate);
        return date.isValid() && date.year() >= 1901 && date.year() <= 2100
                   ? QString()
                   : QStringLiteral(
                         "La opción --%1 necesita una fecha entre 1901-01-01 y 2100-12-31 (AAAA-MM-DD).")
                         .arg(option.names().constFirst());
    };
    for (const QString& problem : {dateOf(day_, options.day), dateOf(today_, options.today)})
        if (!problem.isEmpty())
            return problem;
    const bool remind = parser_.isSet(remind_);
    if (parser_.isSet(again_) && !remind)
        return QStringLiteral("La opción --again solo sirve con --remind.");
    if (!remind)
        return QString();
    if (options.action != CommandLineAction::OpenWindow || parser_.isSet(search_) || parser_.isSet(day_))
        return QStringLiteral("La opción --remind no se puede usar con otras acciones.");
    for (const QCommandLineOption& option : exchangeFiles_)
        if (parser_.isSet(option))
            return QStringLiteral("La opción --remind no se puede usar con otras acciones.");
    options.action = CommandLineAction::Remind;
    options.again = parser_.isSet(again_);
    return QString();
}

QString CommandLine::helpText() const {
    QString text = parser_.helpText();
    // Qt names the program as it was typed, a path perhaps; the help names it by its own name.
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype firstLineEnd = text.indexOf(u'\n');
    if (!arguments.isEmpty() && !arguments.constFirst().isEmpty() && firstLineEnd > 0) {
        const qsizetype at = text.lastIndexOf(arguments.constFirst(), firstLineEnd);
        if (at >= 0)
            text.replace(at, arguments.constFirst().size(), executableName(program_));
    }
    return text;
}

QString CommandLine::versionText() const {
    return QStringLiteral("%1 %2\n%3\n%4\n")
        .arg(executableName(program_), programVersion(program_), licenceText(), copyrightYearText());
}

} // namespace common
