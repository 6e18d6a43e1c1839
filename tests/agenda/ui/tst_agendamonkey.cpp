// SPDX-License-Identifier: GPL-3.0-or-later
#include "agendafixture.h"
#include "tests/monkey.h"

#include "common/leftoversavefiles.h"

// Thousands of seeded random clicks, keys and typed names on the agenda and its year overview: nothing
// crashes, nothing is written outside the data folder, no save is left unfinished, and the next start reads
// the folder without a complaint.
class AgendaMonkeyTest : public QObject {
    Q_OBJECT

private slots:
    void randomInputKeepsTheDataFolderSound();
};

void AgendaMonkeyTest::randomInputKeepsTheDataFolderSound() {
    QTemporaryDir sandbox;
    const QDir outside(sandbox.path());
    QVERIFY(outside.mkpath(QStringLiteral("programa")) && outside.mkpath(QStringLiteral("fuera")));
    const QString previousCurrent = QDir::currentPath();
    QDir::setCurrent(outside.filePath(QStringLiteral("fuera")));

    AgendaFixture fixture(QDate(2026, 12, 7));
    fixture.programFolder = outside.filePath(QStringLiteral("programa"));
    fixture.writeFile(QStringLiteral("dias/LUNES, 7 de DICIEMBRE de 2026.txt"), "nota\r\n            ");
    fixture.writeFile(QStringLiteral("fiestas/8 de diciembre.txt"), "Inmaculada\r\n");
    fixture.writeFile(QStringLiteral("direcciones/Todos/PÉREZ"), "PÉREZ\r\nAna\r\n\r\n\r\n\r\n\r\n\r\n");
    fixture.writeFile(QStringLiteral("notas/2026-12-6--9-5"), "una nota    ");
    fixture.desktop.yesNoAnswer = true;
    fixture.open();
    QVERIFY2(fixture.text(QStringLiteral("Text1")).startsWith(QStringLiteral("nota")),
             qPrintable(fixture.text(QStringLiteral("Text1"))));

    Monkey monkey(2026);
    monkey.keepShown(fixture.window.get());
    qInfo("%d random events sent to the agenda", monkey.run(4000));
    fixture.window.reset();
    QDir::setCurrent(previousCurrent);

    QCOMPARE(outside.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList({QStringLiteral("fuera"), QStringLiteral("programa")}));
    QVERIFY(QDir(outside.filePath(QStringLiteral("fuera")))
                .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    for (const QString& file : filesUnder(fixture.programFolder))
        QVERIFY2(!common::isOwnScratchName(QFileInfo(file).fileName().toUtf8()), qPrintable(file));
    for (const auto& call : fixture.desktop.calls) {
        if (call.what == QLatin1String("openDocument") || call.what == QLatin1String("openFolder") ||
            call.what == QLatin1String("openInTextEditor"))
            QVERIFY2(QFileInfo(call.argument).absoluteFilePath().startsWith(fixture.programFolder),
                     qPrintable(call.argument));
    }

    // The next start reads what the monkey left, and has nothing to tell.
    fixture.desktop.clear();
    fixture.open();
    QVERIFY2(fixture.desktop.messages.isEmpty(), qPrintable(fixture.desktop.messages.join(u'\n')));
}

QTEST_MAIN(AgendaMonkeyTest)
#include "tst_agendamonkey.moc"
