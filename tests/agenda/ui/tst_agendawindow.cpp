// SPDX-License-Identifier: GPL-3.0-or-later
#include "agendafixture.h"

#include "agenda/core/days/daymarks.h"
#include "agenda/ui/yearoverviewwindow.h"
#include "tests/support/keyboarduse.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QScreen>

using namespace quindara;

namespace {

QString dayName(int index) {
    return elementName("Command1", index);
}

} // namespace

class AgendaWindowTest : public QObject {
    Q_OBJECT

private slots:
    void monthOnTheGrid_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("January 2011 starts on Saturday") << QDate(2011, 1, 12) << 5 << 35;
        QTest::newRow("February 2100 has 28 days") << QDate(2100, 2, 10) << 0 << 27;
    }
    void monthOnTheGrid() {
        QFETCH(QDate, today);
        QFETCH(int, first);
        QFETCH(int, last);
        AgendaFixture fx(today);
        fx.open();
        for (int index = 0; index < 42; ++index) {
            const bool holdsDay = index >= first && index <= last;
            QCOMPARE(fx.isShown(dayName(index)), holdsDay);
            if (holdsDay)
                QCOMPARE(fx.text(dayName(index)), QString::number(index - first + 1));
        }
        QCOMPARE(fx.text(QStringLiteral("Combo2")), QString::number(today.year()));
        QCOMPARE(fx.text(QStringLiteral("Command2_0")), QString::number(today.year()));
    }

    void startsOnLeapDayWithTodaySelected() {
        AgendaFixture fx(QDate(2012, 2, 29));
        fx.open();
        QCOMPARE(fx.text(QStringLiteral("Combo1")), QStringLiteral("FEBRERO"));
        QCOMPARE(fx.dayColour(29), colours::selected);
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("MIÉRCOLES, 29 de FEBRERO de 2012"));
        QVERIFY(fx.find(QStringLiteral("Frame1_0"))->isEnabled());
        QVERIFY(fx.isShown(QStringLiteral("Frame1_0")));
        for (int page = 1; page < 6; ++page)
            QVERIFY(!fx.isShown(elementName("Frame1", page)));
    }

    void todayButtonKeepsTheYearList() {
        AgendaFixture fx(QDate(2011, 1, 12));
        fx.open();
        QVERIFY(fx.click(QStringLiteral("Command4_5")));
        for (int press = 0; press < 3; ++press)
            QVERIFY(fx.click(QStringLiteral("Command5")));
        const QStringList years = fx.items(QStringLiteral("Combo2"));
        QCOMPARE(years.size(), 200);
        QCOMPARE(years.first(), QStringLiteral("1901"));
        QCOMPARE(years.last(), QStringLiteral("2100"));
        QCOMPARE(fx.text(QStringLiteral("Combo1")), QStringLiteral("ENERO"));
        QCOMPARE(fx.dayColour(12), colours::selected);
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("MIÉRCOLES, 12 de ENERO de 2011"));
        QVERIFY(fx.find(QStringLiteral("Frame1_0"))->isEnabled());
    }

    // An arrow that would leave the listed years is grey, at start-up as after a step.
    void yearArrowsStepAndStop_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("arrow");
        QTest::addColumn<int>("expectedYear");
        QTest::addColumn<int>("firstOfMarch");
        QTest::addColumn<bool>("upEnabled");
        QTest::addColumn<bool>("downEnabled");
        QTest::newRow("up from 2010") << QDate(2010, 3, 10) << "Command3_0" << 2011 << 1 << true << true;
        QTest::newRow("down from 2011") << QDate(2011, 3, 10) << "Command3_1" << 2010 << 0 << true << true;
        QTest::newRow("up to 2100") << QDate(2099, 3, 10) << "Command3_0" << 2100 << 0 << false << true;
        QTest::newRow("down to 1901") << QDate(1902, 3, 10) << "Command3_1" << 1901 << 4 << true << false;
        QTest::newRow("down from 2100") << QDate(2100, 3, 10) << "Command3_1" << 2099 << 6 << true << true;
    }
    void yearArrowsStepAndStop() {
        QFETCH(QDate, today);
        QFETCH(QString, arrow);
        QFETCH(int, expectedYear);
        QFETCH(int, firstOfMarch);
        QFETCH(bool, upEnabled);
        QFETCH(bool, downEnabled);
        AgendaFixture fx(today);
        fx.open();
        QCOMPARE(fx.button(QStringLiteral("Command3_0"))->isEnabled(), today.year() < 2100);
        QVERIFY(fx.click(arrow));
        const QString year = QString::number(expectedYear);
        QCOMPARE(fx.text(QStringLiteral("Command2_0")), year);
        QCOMPARE(fx.text(QStringLiteral("Combo2")), year);
        QCOMPARE(fx.dayButton(1), dayName(firstOfMarch));
        QCOMPARE(fx.dayButton(31), dayName(firstOfMarch + 30));
        QCOMPARE(fx.button(QStringLiteral("Command3_0"))->isEnabled(), upEnabled);
        QCOMPARE(fx.button(QStringLiteral("Command3_1"))->isEnabled(), downEnabled);
    }

    // No false "today": the nearest listed month, no day selected and the day page closed until a click,
    // at start-up and after "HOY".
    void clockOutsideTheListedYears_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("year");
        QTest::newRow("after 2100") << QDate(2150, 6, 15) << "DICIEMBRE"
                                    << "2100";
        QTest::newRow("leap day after 2100") << QDate(2104, 2, 29) << "DICIEMBRE"
                                             << "2100";
        QTest::newRow("before 1901") << QDate(1850, 3, 1) << "ENERO"
                                     << "1901";
    }
    void clockOutsideTheListedYears() {
        QFETCH(QDate, today);
        QFETCH(QString, month);
        QFETCH(QString, year);
        AgendaFixture fx(today);
        fx.open();
        for (int press = 0; press < 2; ++press) {
            QCOMPARE(fx.text(QStringLiteral("Combo1")), month);
            QCOMPARE(fx.text(QStringLiteral("Combo2")), year);
            QCOMPARE(fx.text(QStringLiteral("Label2")), month + QStringLiteral(" de ") + year);
            QVERIFY(!fx.find(QStringLiteral("Frame1_0"))->isEnabled());
            for (int day = 1; day <= 31; ++day)
                QVERIFY(fx.dayColour(day) != colours::selected);
            QVERIFY(fx.click(QStringLiteral("Command5")));
        }
        QVERIFY(fx.clickDay(15));
        QCOMPARE(fx.dayColour(15), colours::selected);
        QVERIFY(fx.find(QStringLiteral("Frame1_0"))->isEnabled());
    }

    // After "HOY" the page shown holds today, whatever day, week or month it showed before.
    void todayButtonBringsThePageShownToToday_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("keyShownIn");
        QTest::addColumn<QString>("noteShownIn");
        QTest::newRow("day page") << 0 << "Label2"
                                  << "Text1";
        QTest::newRow("week page") << 1 << "Label3_2"
                                   << "Text2_2";
        QTest::newRow("month summary") << 2 << "Text3"
                                       << "Text3";
    }
    void todayButtonBringsThePageShownToToday() {
        QFETCH(int, tab);
        QFETCH(QString, keyShownIn);
        QFETCH(QString, noteShownIn);
        const QString todayKey = QStringLiteral("MIÉRCOLES, 9 de DICIEMBRE de 2026");
        AgendaFixture fx(QDate(2026, 12, 9));
        fx.writeFile(QStringLiteral("dias/") + todayKey + QStringLiteral(".txt"), "hoy");
        fx.open();
        QVERIFY(fx.choose(QStringLiteral("Combo2"), QStringLiteral("2011")));
        QVERIFY(fx.choose(QStringLiteral("Combo1"), QStringLiteral("ENERO")));
        QVERIFY(fx.clickDay(31));
        QVERIFY(fx.click(elementName("Command6", tab)));
        QVERIFY(fx.choose(QStringLiteral("Combo2"), QStringLiteral("1950")));
        QVERIFY(fx.choose(QStringLiteral("Combo1"), QStringLiteral("DICIEMBRE")));
        QVERIFY(fx.click(QStringLiteral("Command5")));
        QVERIFY(fx.isShown(elementName("Frame1", tab)));
        QCOMPARE(fx.text(QStringLiteral("Label2")), todayKey);
        QVERIFY2(fx.text(keyShownIn).contains(todayKey), qPrintable(fx.text(keyShownIn)));
        QVERIFY2(fx.text(noteShownIn).contains(QStringLiteral("hoy")), qPrintable(fx.text(noteShownIn)));
    }

    // The year list opens as a box of about twenty rows; the year overview's title bar names it and its
    // year, so the task bar tells it from the main window.
    void yearListAndOverviewTitle() {
        AgendaFixture fx(QDate(2011, 1, 5));
        fx.open();
        auto* years = fx.find<QComboBox>(QStringLiteral("Combo2"));
        years->showPopup();
        QAbstractItemView* list = years->view();
        QTRY_VERIFY(list->isVisible());
        const int rows = list->viewport()->height() / list->sizeHintForRow(0);
        QVERIFY2(rows >= 15 && rows <= 21, qPrintable(QString::number(rows)));
        years->hidePopup();
        QVERIFY(fx.click(QStringLiteral("Command14")));
        const auto* overview = fx.window->findChild<YearOverviewWindow*>();
        QVERIFY(overview);
        QCOMPARE(overview->windowTitle(), QStringLiteral("Año 2011 — QUINDARA"));
    }

    // The offscreen screen (800x800) is narrower than the agenda, as a small screen at a high scale is: the
    // window's left edge and title bar stay on it, so it can be reached and moved; the year overview fits
    // whole.
    void windowsOpenInsideTheScreen() {
        AgendaFixture fx(QDate(2011, 1, 5));
        fx.open();
        const QRect available = fx.window->screen()->availableGeometry();
        const QRect frame = fx.window->frameGeometry();
        QVERIFY(frame.width() > available.width() && frame.height() < available.height());
        QCOMPARE(frame.left(), available.left());
        QVERIFY(frame.top() >= available.top() && frame.bottom() <= available.bottom());
        QVERIFY(fx.click(QStringLiteral("Command14")));
        const auto* overview = fx.window->findChild<YearOverviewWindow*>();
        QVERIFY(overview);
        QVERIFY2(available.contains(overview->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2").arg(overview->x()).arg(overview->y())));
    }

    void arrowsThereAndBack() {
        AgendaFixture fx(QDate(2010, 3, 10));
        fx.open();
        QVERIFY(fx.click(QStringLiteral("Command3_0")));
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("MARZO de 2011"));
        QVERIFY(fx.click(QStringLiteral("Command3_1")));
        QCOMPARE(fx.text(QStringLiteral("Command2_0")), QStringLiteral("2010"));
        QCOMPARE(fx.text(QStringLiteral("Combo2")), QStringLiteral("2010"));
        QCOMPARE(fx.dayButton(1), dayName(0));
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("MARZO de 2010"));
    }

    void yearSelectorMovesTheYearButton() {
        AgendaFixture fx(QDate(2011, 1, 12));
        fx.open();
        QVERIFY(fx.choose(QStringLiteral("Combo2"), QStringLiteral("2015")));
        QCOMPARE(fx.text(QStringLiteral("Command2_0")), QStringLiteral("2015"));
        QVERIFY(fx.choose(QStringLiteral("Combo1"), QStringLiteral("FEBRERO")));
        QCOMPARE(fx.dayButton(1), dayName(6));
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("FEBRERO de 2015"));
        // The arrows step from the year the selector chose.
        QVERIFY(fx.click(QStringLiteral("Command3_0")));
        QCOMPARE(fx.text(QStringLiteral("Combo2")), QStringLiteral("2016"));
    }

    void marks_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("day");
        QTest::addColumn<quint32>("colour");
        const QString holiday = QStringLiteral("fiestas/1 de ENERO.txt");
        QTest::newRow("Saturday without files") << QStringList() << 2011 << 1 << colours::weekend;
        QTest::newRow("Saturday holiday") << QStringList{holiday} << 2011 << 1 << colours::holiday;
        const QString oneYear = QStringLiteral("recordatorionoanual/3 de ENERO de 2011.txt");
        QTest::newRow("one-year reminder over holiday and yearly")
            << QStringList{QStringLiteral("fiestas/3 de ENERO.txt"),
                           QStringLiteral("recordatorio/3 de enero.txt"), oneYear}
            << 2011 << 3 << colours::oneYearReminder;
    }
    void marks() {
        QFETCH(QStringList, files);
        QFETCH(int, year);
        QFETCH(int, day);
        QFETCH(quint32, colour);
        AgendaFixture fx(QDate(year, 1, 20));
        for (const QString& file : files)
            fx.writeFile(file, "x\r\n");
        fx.open();
        QCOMPARE(fx.dayColour(day), colour);
    }

    void selectionGivesTheMarkBack() {
        AgendaFixture fx(QDate(2011, 1, 6));
        fx.writeFile(QStringLiteral("fiestas/6 de ENERO.txt"), "Reyes\r\n");
        fx.open();
        QCOMPARE(fx.dayColour(6), colours::selected);
        QVERIFY(fx.clickDay(10));
        QCOMPARE(fx.dayColour(6), colours::holiday);
        QCOMPARE(fx.dayColour(10), colours::selected);
        QVERIFY(fx.clickDay(8));
        QCOMPARE(fx.dayColour(10), colours::weekday);
        QCOMPARE(fx.dayColour(8), colours::selected);
    }

    // The button of a day selected before a change of month holds another day afterwards.
    void redrawForgetsTheSelection() {
        AgendaFixture fx(QDate(2011, 1, 20));
        fx.writeFile(QStringLiteral("fiestas/6 de ENERO.txt"), "Reyes\r\n");
        fx.open();
        QVERIFY(fx.clickDay(6));
        const QString sixthOfJanuary = fx.dayButton(6);
        QVERIFY(fx.click(QStringLiteral("Command4_1")));
        QVERIFY(!fx.find(QStringLiteral("Frame1_0"))->isEnabled());
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("FEBRERO de 2011"));
        QCOMPARE(fx.text(QStringLiteral("Text1")), QString());
        for (int day = 1; day <= 28; ++day)
            QVERIFY(fx.dayColour(day) != colours::selected);
        QVERIFY(fx.clickDay(15));
        QCOMPARE(fx.backColour(sixthOfJanuary), colours::weekday);
        QVERIFY(fx.find(QStringLiteral("Frame1_0"))->isEnabled());
    }

    void dayPageOfASelectedDay() {
        AgendaFixture fx(QDate(2011, 1, 5));
        fx.writeFile(QStringLiteral("fiestas/6 de ENERO.txt"), "Reyes Magos\r\n");
        fx.writeFile(QStringLiteral("santoral/6 de enero.txt"), "Santos Gaspar, Melchor y Baltasar\r\n");
        fx.writeFile(QStringLiteral("recordatorionoanual/6 de ENERO de 2012.txt"), "Otro año");
        fx.writeFile(QStringLiteral("dias/JUEVES, 6 de ENERO de 2011.txt"), "Roscón\r\ncon nata");
        fx.open();
        QVERIFY(fx.clickDay(6));
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("JUEVES, 6 de ENERO de 2011"));
        QCOMPARE(fx.text(QStringLiteral("Text9_0")), QStringLiteral("Reyes Magos"));
        QCOMPARE(fx.text(QStringLiteral("Text9_2")), QStringLiteral("Santos Gaspar, Melchor y Baltasar"));
        QCOMPARE(fx.text(QStringLiteral("Text9_1")), QString());
        QCOMPARE(fx.text(QStringLiteral("Text9_3")), QString());
        // A note that ends without a line end is shown exactly as stored.
        QCOMPARE(fx.text(QStringLiteral("Text1")), QStringLiteral("Roscón\ncon nata"));

        // The same day a year later has neither that note nor this year's reminder.
        QVERIFY(fx.click(QStringLiteral("Command3_0")));
        QVERIFY(fx.clickDay(6));
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("VIERNES, 6 de ENERO de 2012"));
        QCOMPARE(fx.text(QStringLiteral("Text1")), QString());
        QCOMPARE(fx.text(QStringLiteral("Text9_3")), QStringLiteral("Otro año"));
        QCOMPARE(fx.text(QStringLiteral("Text9_0")), QStringLiteral("Reyes Magos"));
    }

    void attachmentListsInFileOrder() {
        AgendaFixture fx(QDate(2011, 1, 5));
        fx.writeFile(QStringLiteral("listaarchivos/6 de ENERO de 2011.txt"),
                     "informe.doc\r\nfoto.jpg\r\nplano.pdf\r\n");
        const QString longName =
            QStringLiteral("informe-trimestral-de-cuentas-consolidadas-2026-definitivo.pdf");
        fx.writeFile(QStringLiteral("listaarchivos/6 de ENERO.txt"),
                     "felicitación.odt\r\n" + longName.toUtf8() + "\r\n");
        fx.open();
        QCOMPARE(fx.items(QStringLiteral("List1_0")), QStringList());
        QVERIFY(fx.clickDay(6));
        QCOMPARE(fx.items(QStringLiteral("List1_0")),
                 (QStringList{QStringLiteral("informe.doc"), QStringLiteral("foto.jpg"),
                              QStringLiteral("plano.pdf")}));
        QCOMPARE(fx.items(QStringLiteral("List1_1")),
                 (QStringList{QStringLiteral("felicitación.odt"), longName}));
        // A name longer than the list is wide fits in it, elided in the middle, and shows whole as a tool
        // tip.
        auto* list = fx.find<QListWidget>(QStringLiteral("List1_1"));
        QCOMPARE(list->item(1)->toolTip(), longName);
        QVERIFY(list->visualItemRect(list->item(1)).right() < list->viewport()->width());
        QCOMPARE(list->textElideMode(), Qt::ElideMiddle);
        QVERIFY(fx.clickDay(7));
        QCOMPARE(fx.items(QStringLiteral("List1_0")), QStringList());
    }

    void weekPageCrossesTheYear() {
        AgendaFixture fx(QDate(2011, 1, 1));
        fx.writeFile(QStringLiteral("dias/MARTES, 28 de DICIEMBRE de 2010.txt"), "Inocentes");
        fx.writeFile(QStringLiteral("dias/SÁBADO, 1 de ENERO de 2011.txt"), "Año nuevo");
        fx.open();
        QVERIFY(fx.click(QStringLiteral("Command6_1")));
        QVERIFY(fx.isShown(QStringLiteral("Frame1_1")));
        QVERIFY(!fx.isShown(QStringLiteral("Frame1_0")));
        QCOMPARE(fx.text(QStringLiteral("Label3_0")), QStringLiteral("LUNES, 27 de DICIEMBRE de 2010"));
        QCOMPARE(fx.text(QStringLiteral("Label3_6")), QStringLiteral("DOMINGO, 2 de ENERO de 2011"));
        QCOMPARE(fx.text(QStringLiteral("Text2_1")), QStringLiteral("Inocentes"));
        QCOMPARE(fx.text(QStringLiteral("Text2_5")), QStringLiteral("Año nuevo"));
        QCOMPARE(fx.text(QStringLiteral("Text2_0")), QString());
        // Clicking a day goes back to the day page.
        QVERIFY(fx.clickDay(5));
        QVERIFY(fx.isShown(QStringLiteral("Frame1_0")));
        QVERIFY(!fx.isShown(QStringLiteral("Frame1_1")));
    }

    void tabsSwitchPagesAndColours_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<quint32>("colour");
        const quint32 tabColours[6] = {16777215, 12648384, 16761087, 16777152, 12648447, 16761087};
        for (int tab = 0; tab < 6; ++tab)
            QTest::addRow("tab %d", tab) << tab << tabColours[tab];
    }
    void tabsSwitchPagesAndColours() {
        QFETCH(int, tab);
        QFETCH(quint32, colour);
        AgendaFixture fx(QDate(2011, 1, 5));
        fx.open();
        QVERIFY(fx.click(elementName("Command6", tab)));
        for (int page = 0; page < 6; ++page)
            QCOMPARE(fx.isShown(elementName("Frame1", page)), page == tab);
        QCOMPARE(fx.backColour(QStringLiteral("Form1")), colour);
        QCOMPARE(fx.backColour(elementName("Frame1", tab)), colour);
        QCOMPARE(fx.find(elementName("Frame1", tab))->geometry(),
                 fx.find(QStringLiteral("Frame1_1"))->geometry());
        // The whole tab shows, above the page.
        QVERIFY(fx.find(elementName("Command6", tab))->geometry().bottom() <
                fx.find(elementName("Frame1", tab))->geometry().top());
    }

    // Tab goes from a page's controls on to the rest of the window, the month grid included; in a summary
    // it moves on rather than typing a tab into the summary.
    void tabFromAPageReachesTheMonthGrid_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("start");
        QTest::newRow("day page") << 0 << "Text9_0";
        QTest::newRow("week page") << 1 << "Text2_0";
        QTest::newRow("month summary") << 2 << "Text3";
        QTest::newRow("year summary") << 3 << "Text5";
        QTest::newRow("notes pad") << 4 << "Text6";
    }
    void tabFromAPageReachesTheMonthGrid() {
        QFETCH(int, tab);
        QFETCH(QString, start);
        AgendaFixture fx(QDate(2011, 1, 5));
        fx.open();
        fx.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fx.window.get()));
        QVERIFY(fx.click(elementName("Command6", tab)));
        fx.find(start)->setFocus(Qt::TabFocusReason);
        QStringList visited;
        const auto onTheGrid = [](const QString& name) {
            return name.startsWith(QLatin1String("Command1_"));
        };
        for (int k = 0; k < 80 && (visited.isEmpty() || !onTheGrid(visited.constLast())); ++k) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget()->objectName());
        }
        QVERIFY2(onTheGrid(visited.constLast()), qPrintable(visited.join(u' ')));
        if (tab >= 2)
            QVERIFY(!fx.find<QPlainTextEdit>(start)->toPlainText().contains(u'\t'));
    }

    // Without a mouse, on every page: Tab goes through the controls shown, once each, in reading order, and
    // the focused control wears a frame that stands out from its colours.
    void usableFromTheKeyboard_data() {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("control");
        QTest::newRow("day page, day button") << "Command6_0"
                                              << "Command1_10";
        QTest::newRow("day page, year arrow") << "Command6_0"
                                              << "Command3_0";
        QTest::newRow("week page, text box") << "Command6_1"
                                             << "Text2_0";
        QTest::newRow("month summary") << "Command6_2"
                                       << "Text3";
        QTest::newRow("year summary, month selector") << "Command6_3"
                                                      << "Combo1";
        QTest::newRow("notes pad, list") << "Command6_4"
                                         << "File1";
        QTest::newRow("address book, GUARDAR") << "Command6_5"
                                               << "Command7_0";
        QTest::newRow("search") << "searchButton"
                                << "searchText";
        QTest::newRow("exchange, check box") << "exchangeButton"
                                             << "withNotesCheck";
        QTest::newRow("sync, check box") << "syncButton"
                                         << "syncNotesCheck";
    }
    void usableFromTheKeyboard() {
        QFETCH(QString, opener);
        QFETCH(QString, control);
        AgendaFixture fx(QDate(2011, 1, 5));
        fx.open();
        fx.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fx.window.get()));
        QVERIFY(fx.click(opener));
        const QString frame = keyboarduse::focusFrameProblem(fx.find(control));
        QVERIFY2(frame.isEmpty(), qPrintable(frame));
        const QString order = keyboarduse::tabOrderProblem(*fx.window);
        QVERIFY2(order.isEmpty(), qPrintable(order));
    }

    void unwritableProgramFolderStillOpens() {
        AgendaFixture fx(QDate(2011, 1, 5));
        // A folder below a plain file can be written by nobody, whoever runs the tests.
        fx.writeFile(QStringLiteral("archivo"), "x");
        fx.programFolder = fx.folder.filePath(QStringLiteral("archivo/programa"));
        fx.open();
        QCOMPARE(fx.desktop.messages.size(), 1);
        const QString message = fx.desktop.messages.first();
        QVERIFY2(message.startsWith(QStringLiteral(
                     "Tu ordenador no me permite escribir datos en la carpeta del programa \nERROR: ")),
                 qPrintable(message));
        QVERIFY(message.size() > 75);
        QCOMPARE(fx.dayColour(5), colours::selected);
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("MIÉRCOLES, 5 de ENERO de 2011"));
    }

    void writeTestKeepsEveryFile() {
        AgendaFixture fx(QDate(2011, 1, 5));
        fx.writeFile(QStringLiteral("texto.txt"), "la exportación de ayer");
        fx.open();
        QVERIFY(fx.desktop.messages.isEmpty());
        QCOMPARE(fx.readFile(QStringLiteral("texto.txt")), QByteArray("la exportación de ayer"));
        QCOMPARE(QDir(fx.programFolder).entryList(QDir::Files), QStringList{QStringLiteral("texto.txt")});
    }

    void pickedDateFromTheYearOverview() {
        AgendaFixture fx(QDate(2011, 1, 10));
        fx.writeFile(QStringLiteral("fiestas/19 de MARZO.txt"), "San José\r\n");
        fx.open();
        QVERIFY(fx.click(QStringLiteral("Command14")));
        QVERIFY(fx.click(QStringLiteral("Command14")));
        const auto overviews = fx.window->findChildren<YearOverviewWindow*>();
        QCOMPARE(overviews.size(), 1);

        QVERIFY(fx.click(QStringLiteral("Command6_3")));
        emit overviews.first()->datePicked(QDate(2012, 3, 19));
        QCOMPARE(fx.text(QStringLiteral("Combo1")), QStringLiteral("MARZO"));
        QCOMPARE(fx.text(QStringLiteral("Combo2")), QStringLiteral("2012"));
        QCOMPARE(fx.text(QStringLiteral("Command2_0")), QStringLiteral("2012"));
        QVERIFY(fx.isShown(QStringLiteral("Frame1_0")));
        QVERIFY(fx.find(QStringLiteral("Frame1_0"))->isEnabled());
        QCOMPARE(fx.dayColour(19), colours::selected);
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("LUNES, 19 de MARZO de 2012"));
        QCOMPARE(fx.text(QStringLiteral("Text9_0")), QStringLiteral("San José"));
        QVERIFY(fx.clickDay(20));
        QCOMPARE(fx.dayColour(19), colours::holiday);
    }

    void impossiblePickedDatesAreDropped() {
        AgendaFixture fx(QDate(2011, 1, 10));
        fx.open();
        QVERIFY(fx.click(QStringLiteral("Command14")));
        auto* overview = fx.window->findChild<YearOverviewWindow*>();
        emit overview->datePicked(QDate(2100, 12, 31));
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("VIERNES, 31 de DICIEMBRE de 2100"));
        QCOMPARE(fx.dayColour(31), colours::selected);
        emit overview->datePicked(QDate(2011, 2, 30));
        emit overview->datePicked(QDate(2101, 1, 1));
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("VIERNES, 31 de DICIEMBRE de 2100"));
    }
};

QTEST_MAIN(AgendaWindowTest)
#include "tst_agendawindow.moc"
