// SPDX-License-Identifier: GPL-3.0-or-later
#include "agendafixture.h"

#include "agenda/core/days/daykeys.h"
#include "common/commandline.h"

#include <QApplication>
#include <QListView>
#include <QProcess>

using namespace quindara;

namespace {

const QDate kToday(2011, 3, 10);

void fillAgenda(const AgendaFixture& fixture) {
    fixture.writeFile(QStringLiteral("dias/MIÉRCOLES, 5 de ENERO de 2011.txt"),
                      "Reunión con la ballena azul");
    fixture.writeFile(QStringLiteral("fiestas/6 de ENERO.txt"), "Reyes magos");
    fixture.writeFile(QStringLiteral("fiestas/29 de FEBRERO.txt"), "Día bisiesto");
    fixture.writeFile(QStringLiteral("notas/2010-12-24--9-7"), "Llamar al pingüino");
    fixture.writeFile(QStringLiteral("direcciones/Amigos/Gómez Pérez"),
                      "Gómez Pérez\r\nAna\r\nCalle Mayor 1\r\nMadrid\r\n600\r\nana@example.com\r\n\r\n");
    fixture.writeFile(QStringLiteral("direcciones/Todos/Otro"), "Otro\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    // Conflict copies a sync tool left of the pad note and of the contact.
    fixture.writeFile(QStringLiteral("notas/2010-12-24--9-7.sync-conflict-20261207-101500-ABCDEFG"),
                      "Llamar al delfín");
    fixture.writeFile(QStringLiteral("direcciones/Amigos/Gómez Pérez (conflicted copy 2026-12-07 101500)"),
                      "Gómez Pérez\r\nAna\r\nCalle Tortuga 2\r\nMadrid\r\n600\r\nana@example.com\r\n\r\n");
}

// Ctrl+F as the user presses it, from wherever the focus is.
void pressFind(const AgendaFixture& fixture) {
    QWidget* focused = QApplication::focusWidget() ? QApplication::focusWidget() : fixture.window.get();
    QTest::keyClick(focused, Qt::Key_F, Qt::ControlModifier);
}

} // namespace

class SearchPageTest : public QObject {
    Q_OBJECT

private slots:
    // A result opens where it lives: its day in the grid, the address book card, the pad note.
    void opensResults_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("shownYear");
        QTest::newRow("day note") << "ballena"
                                  << "Frame1_0"
                                  << "Label2"
                                  << "MIÉRCOLES, 5 de ENERO de 2011" << 2012;
        // Yearly: in the year the grid shows, not today's.
        QTest::newRow("holiday, shown year") << "reyes"
                                             << "Frame1_0"
                                             << "Label2"
                                             << "VIERNES, 6 de ENERO de 2012" << 2012;
        // 29 February of a year without it: in the nearest leap year.
        QTest::newRow("29 February, common year") << "bisiesto"
                                                  << "Frame1_0"
                                                  << "Label2"
                                                  << "MIÉRCOLES, 29 de FEBRERO de 2012" << 2013;
        QTest::newRow("29 February, last year of the agenda") << "bisiesto"
                                                              << "Frame1_0"
                                                              << "Label2"
                                                              << "MIÉRCOLES, 29 de FEBRERO de 2096" << 2100;
        QTest::newRow("contact") << "mayor"
                                 << "Frame1_5"
                                 << "Text7_2"
                                 << "Calle Mayor 1" << 2012;
        QTest::newRow("pad note") << "pinguino"
                                  << "Frame1_4"
                                  << "Text6"
                                  << "Llamar al pingüino" << 2012;
        // A copy opens the entry it belongs to, where it can be merged (here the merge is declined).
        QTest::newRow("contact's conflict copy") << "tortuga"
                                                 << "Frame1_5"
                                                 << "Text7_2"
                                                 << "Calle Mayor 1" << 2012;
        QTest::newRow("pad note's conflict copy") << "delfin"
                                                  << "Frame1_4"
                                                  << "Text6"
                                                  << "Llamar al pingüino" << 2012;
    }
    void opensResults() {
        QFETCH(QString, query);
        QFETCH(QString, page);
        QFETCH(QString, control);
        QFETCH(QString, expected);
        QFETCH(int, shownYear);
        AgendaFixture fixture(QDate(shownYear - 1, kToday.month(), kToday.day()));
        fillAgenda(fixture);
        fixture.open();
        QVERIFY(QTest::qWaitForWindowActive(fixture.window.get()));
        QVERIFY(fixture.click(QStringLiteral("Command3_0"))); // the year after today's in the grid
        pressFind(fixture);
        QVERIFY(fixture.isShown(QStringLiteral("searchPage")));
        QVERIFY(!fixture.isShown(QStringLiteral("Frame1_0")));
        auto* box = fixture.find<QLineEdit>(QStringLiteral("searchText"));
        QCOMPARE(QApplication::focusWidget(), box);
        QTest::keyClicks(box, query);
        QCOMPARE(fixture.items(QStringLiteral("searchResults")).size(), 1);
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(fixture.isShown(page));
        QVERIFY(!fixture.isShown(QStringLiteral("searchPage")));
        QCOMPARE(fixture.text(control), expected);
    }

    // What the program saves is found at the next look, though the index was built before the save.
    void findsWhatWasJustSaved() {
        AgendaFixture fixture(kToday);
        fillAgenda(fixture);
        fixture.open();
        QVERIFY(QTest::qWaitForWindowActive(fixture.window.get()));
        pressFind(fixture);
        QTest::keyClicks(fixture.find<QLineEdit>(QStringLiteral("searchText")), QStringLiteral("kiwi"));
        auto* results = fixture.find<QListView>(QStringLiteral("searchResults"));
        QCOMPARE(results->model()->rowCount(), 0);
        QVERIFY(fixture.clickDay(11));
        QTest::keyClicks(fixture.find<QPlainTextEdit>(QStringLiteral("Text1")),
                         QStringLiteral("kiwi fresco"));
        pressFind(fixture);
        QCOMPARE(results->model()->rowCount(), 1);
        QVERIFY(
            fixture.items(QStringLiteral("searchResults")).value(0).contains(QStringLiteral("kiwi fresco")));
        // A click opens it too.
        QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                          results->visualRect(results->model()->index(0, 0)).center());
        QCOMPARE(fixture.text(QStringLiteral("Label2")), QStringLiteral("VIERNES, 11 de MARZO de 2011"));
    }

    // Every result is listed, newest first: what comes back every year at its day of the shown year, so
    // hundreds of saints hide no day note.
    void listsEveryResultNewestFirst() {
        AgendaFixture fixture(kToday);
        for (QDate day(2012, 1, 1); day.year() == 2012; day = day.addDays(1))
            fixture.writeFile(
                QStringLiteral("santoral/%1 de %2.txt").arg(day.day()).arg(monthName(day.month())),
                "San Ejemplo");
        fixture.writeFile(QStringLiteral("dias/%1.txt").arg(dayNoteKey(QDate(2011, 3, 1))), "Sandía");
        fixture.writeFile(QStringLiteral("dias/%1.txt").arg(dayNoteKey(QDate(1995, 6, 1))), "Sandalias");
        fixture.open();
        QVERIFY(QTest::qWaitForWindowActive(fixture.window.get()));
        pressFind(fixture);
        QTest::keyClicks(fixture.find<QLineEdit>(QStringLiteral("searchText")), QStringLiteral("san"));
        QCOMPARE(fixture.text(QStringLiteral("searchCount")), QStringLiteral("368 resultados."));
        const QStringList rows = fixture.items(QStringLiteral("searchResults"));
        QCOMPARE(rows.size(), 368);
        // 29 February opens in 2012, the nearest leap year; the rest of the saints in 2011.
        QCOMPARE(rows.first(), QStringLiteral("29 de FEBRERO — santoral: San Ejemplo"));
        QCOMPARE(rows.at(1), QStringLiteral("31 de DICIEMBRE — santoral: San Ejemplo"));
        QCOMPARE(rows.at(rows.indexOf(QStringLiteral("1 de MARZO — santoral: San Ejemplo")) + 1),
                 QStringLiteral("MARTES, 1 de MARZO de 2011 — nota: Sandía"));
        QCOMPARE(rows.last(), QStringLiteral("JUEVES, 1 de JUNIO de 1995 — nota: Sandalias"));
    }

    // The keys of a focused day: across month and year ends, stopping at the ends of the listed years.
    void gridKeys_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("right over a month end")
            << QDate(2011, 1, 31) << QList<int>{Qt::Key_Right} << QDate(2011, 2, 1);
        QTest::newRow("right over a year end")
            << QDate(2011, 12, 31) << QList<int>{Qt::Key_Right} << QDate(2012, 1, 1);
        QTest::newRow("up a week into the year before")
            << QDate(2011, 1, 3) << QList<int>{Qt::Key_Up} << QDate(2010, 12, 27);
        QTest::newRow("down a week") << QDate(2011, 2, 25) << QList<int>{Qt::Key_Down} << QDate(2011, 3, 4);
        QTest::newRow("page up to a shorter month")
            << QDate(2011, 3, 31) << QList<int>{Qt::Key_PageUp} << QDate(2011, 2, 28);
        QTest::newRow("page down over a year end")
            << QDate(2011, 12, 5) << QList<int>{Qt::Key_PageDown} << QDate(2012, 1, 5);
        QTest::newRow("stops at the first day")
            << QDate(1901, 1, 1) << QList<int>{Qt::Key_Left, Qt::Key_Up, Qt::Key_PageUp} << QDate(1901, 1, 1);
        QTest::newRow("stops at the last day")
            << QDate(2100, 12, 31) << QList<int>{Qt::Key_Right, Qt::Key_Down, Qt::Key_PageDown}
            << QDate(2100, 12, 31);
        QTest::newRow("home goes to today")
            << QDate(2011, 6, 15) << QList<int>{Qt::Key_PageDown, Qt::Key_Left, Qt::Key_Home}
            << QDate(2011, 6, 15);
    }
    void gridKeys() {
        QFETCH(QDate, today);
        QFETCH(QList<int>, keys);
        QFETCH(QDate, expected);
        AgendaFixture fixture(today);
        fixture.open();
        QVERIFY(QTest::qWaitForWindowActive(fixture.window.get()));
        // From the week page: the arrows move the selection, Enter brings the day page.
        QVERIFY(fixture.click(QStringLiteral("Command6_1")));
        fixture.button(fixture.dayButton(today.day()))->setFocus();
        for (const int key : keys)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QCOMPARE(fixture.text(QStringLiteral("Label2")), dayNoteKey(expected));
        QCOMPARE(QApplication::focusWidget()->objectName(), fixture.dayButton(expected.day()));
        QVERIFY(fixture.isShown(QStringLiteral("Frame1_1")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(fixture.isShown(QStringLiteral("Frame1_0")));
        QCOMPARE(fixture.text(QStringLiteral("Label2")), dayNoteKey(expected));
    }

    // quindara --search answers on the terminal without a window; the calculator does not know it.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("found")
            << QStringList{"--search", "ballena"} << 0
            << "2011-01-05\tMIÉRCOLES, 5 de ENERO de 2011 — nota\tReunión con la ballena azul";
        QTest::newRow("nothing found") << QStringList{"--search", "ornitorrinco"} << 1 << "";
        QTest::newRow("not an agenda folder")
            << QStringList{"--search", "x", "--folder", "/nonexistent"} << 2 << "";
        QTest::newRow("no text") << QStringList{"--search"} << 2 << "";
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        AgendaFixture fixture(kToday);
        fillAgenda(fixture);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("QUINDARA_DIR"), fixture.programFolder);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUINDARA_PROGRAM), arguments);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).section(u'\n', 0, 0), firstLine);
        QCOMPARE(common::CommandLine(common::Program::Calculator)
                     .read({QStringLiteral("tallimo"), QStringLiteral("--search"), QStringLiteral("x")})
                     .action,
                 common::CommandLineAction::Refuse);
    }
};

QTEST_MAIN(SearchPageTest)
#include "tst_searchpage.moc"
