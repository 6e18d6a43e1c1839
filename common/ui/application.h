// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/about.h"
#include "common/clock.h"
#include "common/commandline.h"
#include "common/datafolderchoice.h"
#include "common/desktopservices.h"
#include "common/instancelock.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

#include <functional>
#include <memory>

namespace common {

// Installs Qt's own Spanish translation, so that standard dialogs and buttons speak Spanish whatever the
// system's language, and makes Spanish (Spain) the default locale, so that their dates are Spanish too.
// The translation lives as long as the returned translator.
std::unique_ptr<QTranslator> installSpanishTranslation(QCoreApplication& app);

// The locale of the user's own settings: the system's once the program has made Spanish the default,
// else the default. The calculator's numbers follow it, not the language of the dialogs.
QLocale usersLocale();

// Moves a top-level window to the centre of its screen's available area, and inside it.
void centreOnScreen(QWidget& window);

// The arguments main() received, as text.
QStringList argumentsOf(int argc, char** argv);

// Answers help, version or a refused command line on the terminal, with a QCoreApplication only (no
// window, no display needed). Returns the exit code.
int answerOnTerminal(int& argc, char** argv, const CommandLine& commandLine,
                     const CommandLineOptions& options);

// The data folder of one running program: chosen, created and filled on first use, and locked so that
// this process is its only writer.
class DataFolderSession {
public:
    DataFolderSession(Program program, const CommandLineOptions& options);

    // False when the program must end without a window: another window already has the folder (it has
    // been brought forward, with this start's launch token) or the user chose not to open a folder held
    // from another machine.
    bool open(const LaunchToken& launchToken = {});

    const FolderChoice& choice() const { return choice_; }

    // Brings the window forward when a later start asks, runs the jobs command-line writers hand over
    // (none when `runJob` is empty), and gives the window the about box (F1) with the folder.
    void attach(QWidget& window, const QStringList& aboutLines,
                std::function<WriterJobResult(const WriterJob&)> runJob = {});

private:
    bool becomeWriter();
    void tellHeld(qint64 process) const;
    bool askToOpenHeldFolder() const;

    Program program_;
    FolderChoice choice_;
    std::unique_ptr<InstanceLock> lock_;
    LaunchToken launchToken_;
};

// What tells one program from the other on the desktop.
struct ProgramLook {
    Program program;
    QString applicationName;
    QString iconDrawing; // the window's icon, a drawing name
    QStringList aboutLines;
    // Runs, in the open window (the program's main window), a job a command-line writer of the same folder
    // hands over; empty when the program takes none.
    std::function<WriterJobResult(QWidget& window, const QString& programFolder, const WriterJob& job)>
        runJob;
    // Saves the main window's pending edits without asking anything: the session is ending, or the program
    // was told to end. Empty when the program keeps nothing unsaved.
    std::function<void(QWidget& window)> saveEdits;
    // Readies the new window for what the command line asked (a day to show) before it is shown; may be
    // empty.
    std::function<void(QWidget& window, const CommandLineOptions& options)> prepareWindow;
};

// Makes a program's main window from its program folder, the clock and the desktop services.
using MainWindowMaker = std::function<std::unique_ptr<QWidget>(const QString& programFolder,
                                                               const Clock& clock, DesktopServices& desktop)>;

// Runs a program: the command line, the data folder, Spanish standard dialogs, the system clock, the real
// desktop, the main window `makeWindow` makes, centred. Returns the exit code.
int runProgram(int& argc, char** argv, const ProgramLook& look, const MainWindowMaker& makeWindow);

// The same for a main window whose constructor takes (program folder, clock, desktop services).
template <typename MainWindow> int runMainWindow(int& argc, char** argv, const ProgramLook& look) {
    return runProgram(
        argc, argv, look, [](const QString& programFolder, const Clock& clock, DesktopServices& desktop) {
            return std::unique_ptr<QWidget>(std::make_unique<MainWindow>(programFolder, clock, desktop));
        });
}

} // namespace common
