// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/application.h"

#include "common/about.h"
#include "common/regularfile.h"
#include "common/terminationsignals.h"
#include "common/ui/icons.h"
#include "common/ui/logging.h"
#include "common/ui/qtdesktopservices.h"
#include "common/ui/windowactivation.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QThread>
#include <QTranslator>
#include <QWidget>

#include <cstdio>

namespace common {

namespace {

// How long a start waits for the folder's writer to answer: a window that is still starting, or a
// command-line import or sync that holds the folder.
constexpr int kWaitForWriterMs = 20000;

bool spanishMadeDefault = false;

// Qt's Spanish says "fichero" in some texts and "archivo" in others; the programs say "archivo"
// everywhere, and so do the standard dialogs.
class ProgramWordsTranslator final : public QTranslator {
public:
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        QString text = QTranslator::translate(context, sourceText, disambiguation, n);
        text.replace(QLatin1String("fichero"), QLatin1String("archivo"));
        text.replace(QLatin1String("Fichero"), QLatin1String("Archivo"));
        return text;
    }
};

} // namespace

std::unique_ptr<QTranslator> installSpanishTranslation(QCoreApplication& app) {
    if (!spanishMadeDefault) {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
        spanishMadeDefault = true;
    }
    // Built in from Qt's translations when the program is built, so it needs no file at run time.
    auto translator = std::make_unique<ProgramWordsTranslator>();
    if (translator->load(QStringLiteral(":/translations/qtbase_es.qm")))
        app.installTranslator(translator.get());
    else
        qCWarning(lcStart) << "Qt's Spanish translation is missing; standard dialogs speak English";
    return translator;
}

QLocale usersLocale() {
    return spanishMadeDefault ? QLocale::system() : QLocale();
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size();
    // A window larger than the screen (a high scale on a small screen) keeps its title bar and left edge
    // on the screen, so it can still be reached and moved.
    const QPoint centred = available.center() - QPoint(frame.width() / 2, frame.height() / 2);
    window.move(qMax(available.left(), qMin(centred.x(), available.right() + 1 - frame.width())),
                qMax(available.top(), qMin(centred.y(), available.bottom() + 1 - frame.height())));
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int k = 0; k < argc; ++k)
        arguments.append(QString::fromLocal8Bit(argv[k]));
    return arguments;
}

int answerOnTerminal(int& argc, char** argv, const CommandLine& commandLine,
                     const CommandLineOptions& options) {
    QCoreApplication app(argc, argv);
    const std::unique_ptr<QTranslator> translator = installSpanishTranslation(app);
    switch (options.action) {
    case CommandLineAction::ShowHelp:
        std::fputs(commandLine.helpText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLineAction::ShowVersion:
        std::fputs(commandLine.versionText().toLocal8Bit().constData(), stdout);
        return 0;
    default:
        std::fprintf(stderr, "%s\n%s\n", options.error.toLocal8Bit().constData(),
                     QStringLiteral("Pruebe «%1 --help».")
                         .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                         .toLocal8Bit()
                         .constData());
        return 2;
    }
}

DataFolderSession::DataFolderSession(Program program, const CommandLineOptions& options) : program_(program) {
    FolderRequest request;
    request.option = options.folder;
    request.environment = qEnvironmentVariable("QUINDARA_DIR");
    request.programFolder = QCoreApplication::applicationDirPath();
    request.homeFolder = QDir::homePath();
    request.workingFolder = QDir::currentPath();
    choice_ = chooseDataFolder(program, request);
    // Links under the data folder are followed only to files inside it.
    setDataFolderRoot(choice_.dataFolder);
}

bool DataFolderSession::open(const LaunchToken& launchToken) {
    launchToken_ = launchToken;
    if (needsShippedContent(program_, choice_.dataFolder)) {
        const QString share = installedShareFolder(QCoreApplication::applicationDirPath());
        if (share.isEmpty())
            qCWarning(lcStart) << "no installed share folder next to"
                               << QCoreApplication::applicationDirPath();
        const QStringList failures = copyMissingShippedContent(program_, share, choice_.dataFolder);
        if (!failures.isEmpty()) {
            qCWarning(lcStart) << "could not fill" << failures;
            QMessageBox::warning(
                nullptr, QCoreApplication::applicationName(),
                QStringLiteral("No se ha podido preparar la carpeta de datos %1.\n\n%2\n%3")
                    .arg(QDir::toNativeSeparators(choice_.dataFolder),
                         failures.size() == 1
                             ? QStringLiteral("No se ha podido crear este archivo o carpeta:")
                             : QStringLiteral("No se han podido crear %1 archivos o carpetas, entre ellos:")
                                   .arg(failures.size()),
                         QDir::toNativeSeparators(failures.constFirst())));
        }
    }

    lock_ = std::make_unique<InstanceLock>(program_, choice_.programFolder);
    if (!becomeWriter())
        return false;
    switch (lock_->acquire()) {
    case InstanceLock::State::Acquired:
        return true;
    case InstanceLock::State::Unavailable:
        // A read-only folder or a full disk: the socket still keeps one window, and the window's own
        // checks tell the user that saving fails.
        return true;
    case InstanceLock::State::HeldElsewhere:
        return askToOpenHeldFolder() && lock_->takeOver();
    case InstanceLock::State::HeldHere:
        break;
    }
    // An earlier version's window, or a process that could not listen.
    if (!lock_->askEarlierVersionToRaise())
        tellHeld(lock_->holderProcess());
    return false;
}

// Listens under the folder's name, so that this process is the folder's writer on this machine, or brings
// forward the window that already is. A command-line import or sync that holds the folder is waited for a
// while.
bool DataFolderSession::becomeWriter() {
    const QDeadlineTimer deadline(kWaitForWriterMs);
    HolderAnswer answer;
    for (;;) {
        answer = InstanceLock::askHolderToRaise(program_, choice_.programFolder,
                                                int(qMax<qint64>(1, deadline.remainingTime())), launchToken_);
        if (answer.kind == HolderAnswer::Kind::Done)
            return false;
        if (answer.kind == HolderAnswer::Kind::NoHolder) {
            const InstanceLock::Listening listening = lock_->listen();
            if (listening != InstanceLock::Listening::NameTaken)
                return true; // when no socket can be made at all, the lock file alone keeps the folder
        }
        if (answer.kind == HolderAnswer::Kind::NoAnswer || deadline.hasExpired())
            break;
        QThread::msleep(100);
    }
    qCWarning(lcStart) << "the folder's writer" << answer.process << "does not answer";
    QMessageBox::information(nullptr, QCoreApplication::applicationName(),
                             QStringLiteral("La carpeta de datos %1 está ocupada por otro proceso que no "
                                            "responde. Inténtelo de nuevo dentro de un momento.")
                                 .arg(QDir::toNativeSeparators(choice_.dataFolder)));
    return false;
}

void DataFolderSession::tellHeld(qint64 process) const {
    const QString folder = QDir::toNativeSeparators(choice_.dataFolder);
    QMessageBox::information(
        nullptr, QCoreApplication::applicationName(),
        process > 0 ? QStringLiteral("%1 ya está abierto con la carpeta de datos %2 (proceso %3).")
                          .arg(QCoreApplication::applicationName(), folder)
                          .arg(process)
                    : QStringLiteral("%1 ya está abierto con la carpeta de datos %2.")
                          .arg(QCoreApplication::applicationName(), folder));
}

bool DataFolderSession::askToOpenHeldFolder() const {
    QMessageBox box(
        QMessageBox::Warning, QCoreApplication::applicationName(),
        QStringLiteral("La carpeta de datos %1 está abierta en el equipo «%2» desde el %3.\n\n"
                       "Si ese equipo ya no la usa, puede abrirla aquí. Si la usan los dos a la vez, "
                       "se pueden perder cambios.\n\n¿Abrirla de todas formas?")
            .arg(QDir::toNativeSeparators(choice_.dataFolder), lock_->holderHost(),
                 QLocale(QLocale::Spanish)
                     .toString(lock_->heldSince(), QStringLiteral("d/M/yyyy 'a las' H:mm"))),
        QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void DataFolderSession::attach(QWidget& window, const QStringList& aboutLines,
                               std::function<WriterJobResult(const WriterJob&)> runJob) {
    if (lock_) {
        lock_->serve(std::move(runJob));
        QObject::connect(lock_.get(), &InstanceLock::raiseRequested, &window,
                         [&window](const LaunchToken& token) { bringForward(window, token); });
    }
    auto* about = new QShortcut(QKeySequence(Qt::Key_F1), &window);
    about->setContext(Qt::ApplicationShortcut);
    const QString text =
        aboutText(aboutLines, programVersion(program_), QDir::toNativeSeparators(choice_.dataFolder));
    QObject::connect(about, &QShortcut::activated, &window, [&window, text] {
        QMessageBox::about(&window, QStringLiteral("Acerca de %1").arg(QCoreApplication::applicationName()),
                           text);
    });
}

int runProgram(int& argc, char** argv, const ProgramLook& look, const MainWindowMaker& makeWindow) {
    const Program program = look.program;
    CommandLine commandLine(program);
    const CommandLineOptions options = commandLine.read(argumentsOf(argc, argv));
    if (options.action != CommandLineAction::OpenWindow)
        return answerOnTerminal(argc, argv, commandLine, options);

    // Taken before the platform consumes it for this process's own window.
    const LaunchToken launchToken = LaunchToken::fromEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName(look.applicationName);
    QApplication::setApplicationVersion(programVersion(program));
    QGuiApplication::setDesktopFileName(desktopFileName(program));
    QApplication::setWindowIcon(iconFor(look.iconDrawing));
    const std::unique_ptr<QTranslator> translator = installSpanishTranslation(app);

    DataFolderSession session(program, options);
    if (!session.open(launchToken))
        return 0;

    SystemClock clock;
    QtDesktopServices desktop;
    const std::unique_ptr<QWidget> mainWindow = makeWindow(session.choice().programFolder, clock, desktop);
    QWidget& window = *mainWindow;
    desktop.setDialogParent(&window);
    std::function<WriterJobResult(const WriterJob&)> runJob;
    if (look.runJob)
        runJob = [&look, &session, &window](const WriterJob& job) {
            return look.runJob(window, session.choice().programFolder, job);
        };
    session.attach(window, look.aboutLines, runJob);
    // A signal to end, or the session manager, saves what was typed; the lock goes with the session.
    if (look.saveEdits) {
        const auto save = [&look, &window] { look.saveEdits(window); };
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, save);
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, save);
    }
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &app, &QCoreApplication::quit);
    if (look.prepareWindow)
        look.prepareWindow(window, options);
    window.show();
    centreOnScreen(window);
    return QApplication::exec();
}

} // namespace common
