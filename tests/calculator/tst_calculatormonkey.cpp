// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/monkey.h"

#include "calculator/ui/calculatorwindow.h"
#include "calculator/ui/savedlogswindow.h"
#include "common/clock.h"
#include "common/leftoversavefiles.h"
#include "tests/support/recordingdesktopservices.h"

#include <QTemporaryDir>

#include <memory>

// Thousands of seeded random clicks and keys on the calculator and its saved-logs window: nothing
// crashes, nothing is written outside the data folder, no save is left unfinished, and the next start
// reads the folder without a complaint.
class CalculatorMonkeyTest : public QObject {
    Q_OBJECT

private slots:
    void randomInputKeepsTheDataFolderSound();
};

void CalculatorMonkeyTest::randomInputKeepsTheDataFolderSound() {
    QTemporaryDir sandbox;
    const QDir outside(sandbox.path());
    QVERIFY(outside.mkpath(QStringLiteral("programa")) && outside.mkpath(QStringLiteral("fuera")));
    const QString previousCurrent = QDir::currentPath();
    QDir::setCurrent(outside.filePath(QStringLiteral("fuera")));
    const QString programFolder = outside.filePath(QStringLiteral("programa"));

    common::FixedClock clock(QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
    common::RecordingDesktopServices desktop;
    desktop.yesNoAnswer = true;
    auto window = std::make_unique<tallimo::CalculatorWindow>(programFolder, clock, desktop);
    // The saved-logs window opens without waiting, so the monkey reaches it too.
    std::unique_ptr<tallimo::SavedLogsWindow> savedLogs;
    window->setSavedLogsOpener([&](tallimo::SavedLogsWindow::LogWrite logWrite) {
        savedLogs =
            std::make_unique<tallimo::SavedLogsWindow>(programFolder, clock, desktop, nullptr, logWrite);
        savedLogs->show();
    });
    window->show();

    Monkey monkey(1985);
    monkey.keepShown(window.get());
    qInfo("%d random events sent to the calculator", monkey.run(4000));
    savedLogs.reset();
    window.reset();
    QDir::setCurrent(previousCurrent);

    QCOMPARE(outside.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList({QStringLiteral("fuera"), QStringLiteral("programa")}));
    QVERIFY(QDir(outside.filePath(QStringLiteral("fuera")))
                .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    for (const QString& file : filesUnder(programFolder))
        QVERIFY2(!common::isOwnScratchName(QFileInfo(file).fileName().toUtf8()), qPrintable(file));

    desktop.clear();
    tallimo::CalculatorWindow again(programFolder, clock, desktop);
    again.show();
    QVERIFY2(desktop.messages.isEmpty(), qPrintable(desktop.messages.join(u'\n')));
}

QTEST_MAIN(CalculatorMonkeyTest)
#include "tst_calculatormonkey.moc"
