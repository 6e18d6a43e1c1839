// SPDX-License-Identifier: GPL-3.0-or-later
#include "agendafixture.h"

#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/yearoverviewwindow.h"
#include "common/textfile.h"
#include "common/units.h"
#include "tests/support/keyboarduse.h"

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quindara;

namespace {

QPushButton* dayButton(QWidget* window, int month, int index) {
    return window->findChild<QPushButton*>(QStringLiteral("Command%1_%2").arg(month + 1).arg(index));
}

QPushButton* buttonNamed(QWidget* window, const char* name) {
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

QString yearShown(QWidget* window) {
    return window->findChild<QLabel*>(QStringLiteral("Label3"))->text();
}

// The visible button of `month` captioned `day`, as a user would look for it.
QPushButton* buttonOfDay(QWidget* window, int month, int day) {
    for (int index = 0; index < 42; ++index) {
        QPushButton* button = dayButton(window, month, index);
        if (!button->isHidden() && button->text() == QString::number(day))
            return button;
    }
    return nullptr;
}

void click(QPushButton* button) {
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Lets the closed window's deferred deletion happen.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class YearOverviewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<DataFolder> data_;
    QPointer<YearOverviewWindow> window_;

    YearOverviewWindow* open(int mainWindowYear) {
        window_ = new YearOverviewWindow(*data_, mainWindowYear);
        window_->show();
        return window_;
    }
    void writeFile(const QString& relative) {
        QVERIFY(common::writeText(data_->folder(relative), QStringLiteral("x"), common::Ending::Line));
    }

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        data_ = std::make_unique<DataFolder>(folder_->path());
        QVERIFY(data_->createMissingFolders());
    }
    void cleanup() {
        delete window_;
        settle();
    }

    void yearComesFromTheMainWindow_data() {
        QTest::addColumn<int>("mainWindowYear");
        QTest::addColumn<QString>("shown");
        QTest::newRow("2026") << 2026 << QStringLiteral("2026");
        QTest::newRow("first listed year") << 1901 << QStringLiteral("1901");
        QTest::newRow("below the list") << 1850 << QStringLiteral("1901");
        QTest::newRow("above the list") << 2300 << QStringLiteral("2100");
    }
    void yearComesFromTheMainWindow() {
        QFETCH(int, mainWindowYear);
        QFETCH(QString, shown);
        YearOverviewWindow* window = open(mainWindowYear);
        QCOMPARE(yearShown(window), shown);
        QCOMPARE(window->windowTitle(), QStringLiteral("Año %1 — QUINDARA").arg(shown));
    }

    void panelsFollowTheCalendar_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("January 2026 starts on Thursday") << 2026 << 1 << 3 << 33;
        QTest::newRow("March 2026 needs six rows") << 2026 << 3 << 6 << 36;
        QTest::newRow("February 2100 is not leap") << 2100 << 2 << 0 << 27;
    }
    void panelsFollowTheCalendar() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, first);
        QFETCH(int, last);
        YearOverviewWindow* window = open(year);
        for (int index = 0; index < 42; ++index) {
            const QPushButton* button = dayButton(window, month, index);
            const bool inMonth = index >= first && index <= last;
            QVERIFY2(button->isHidden() != inMonth, qPrintable(button->objectName()));
            QCOMPARE(button->text(), inMonth ? QString::number(index - first + 1) : QString());
        }
    }

    void arrowsStepTheYearAndStopAtTheEnds() {
        YearOverviewWindow* window = open(2026);
        QPushButton* up = buttonNamed(window, "Command14_0");
        QPushButton* down = buttonNamed(window, "Command14_1");
        click(up);
        QCOMPARE(yearShown(window), QStringLiteral("2027"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Año 2027 — QUINDARA"));
        click(down);
        click(down);
        QCOMPARE(yearShown(window), QStringLiteral("2025"));
        delete window;

        window = open(2100);
        up = buttonNamed(window, "Command14_0");
        down = buttonNamed(window, "Command14_1");
        QVERIFY(!up->isEnabled());
        click(up);
        QCOMPARE(yearShown(window), QStringLiteral("2100"));
        click(down);
        QCOMPARE(yearShown(window), QStringLiteral("2099"));
        QVERIFY(up->isEnabled());
        delete window;

        window = open(1902);
        down = buttonNamed(window, "Command14_1");
        click(down);
        QCOMPARE(yearShown(window), QStringLiteral("1901"));
        QVERIFY(!down->isEnabled());
        click(down);
        QCOMPARE(yearShown(window), QStringLiteral("1901"));
        QCOMPARE(dayButton(window, 1, 1)->text(), QStringLiteral("1")); // 1 January 1901 was a Tuesday
    }

    void steppingRedrawsEveryPanel() {
        YearOverviewWindow* window = open(2026);
        // March 2026 reaches index 36; March 2027 starts on Monday and ends at 30.
        QVERIFY(!dayButton(window, 3, 36)->isHidden());
        click(buttonNamed(window, "Command14_0"));
        QCOMPARE(dayButton(window, 3, 0)->text(), QStringLiteral("1"));
        QVERIFY(!dayButton(window, 3, 30)->isHidden());
        for (int index = 31; index < 42; ++index)
            QVERIFY(dayButton(window, 3, index)->isHidden());
        // The weekend colour moves with the days: 6 March 2027 is a Saturday, 6 March 2026 a Friday.
        QCOMPARE(backColour(buttonOfDay(window, 3, 6)), colours::weekend);
        click(buttonNamed(window, "Command14_1"));
        QCOMPARE(backColour(buttonOfDay(window, 3, 6)), colours::weekday);
        QVERIFY(dayButton(window, 3, 0)->isHidden());
    }

    void marksAndPrecedence_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<quint32>("colour");
        QTest::newRow("one-year reminder over the others") << 2026 << 1 << 6 << colours::oneYearReminder;
        QTest::newRow("holiday on a Saturday") << 2027 << 5 << 1 << colours::holiday;
        QTest::newRow("Saturday without marks") << 2026 << 5 << 2 << colours::weekend;
    }
    void marksAndPrecedence() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(quint32, colour);
        writeFile(QStringLiteral("fiestas/6 de ENERO.txt"));
        writeFile(QStringLiteral("recordatorio/6 de ENERO.txt"));
        writeFile(QStringLiteral("recordatorionoanual/6 de ENERO de 2026.txt"));
        writeFile(QStringLiteral("fiestas/1 de mayo.txt"));
        writeFile(QStringLiteral("recordatorio/31 de DICIEMBRE.txt"));
        writeFile(QStringLiteral("recordatorionoanual/29 de febrero de 2024.txt"));
        QPushButton* button = buttonOfDay(open(year), month, day);
        QVERIFY(button);
        QCOMPARE(backColour(button), colour);
    }

    // Without a mouse: Tab goes month by month, each in reading order, then the arrows; the focused button
    // wears a frame that stands out from whatever colour its marks give it.
    void usableFromTheKeyboard_data() {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::newRow("day without marks") << 3 << 11;
        QTest::newRow("holiday") << 1 << 6;
        QTest::newRow("Sunday") << 5 << 3;
    }
    void usableFromTheKeyboard() {
        QFETCH(int, month);
        QFETCH(int, day);
        writeFile(QStringLiteral("fiestas/6 de ENERO.txt"));
        YearOverviewWindow* window = open(2026);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        const QString frame = keyboarduse::focusFrameProblem(buttonOfDay(window, month, day));
        QVERIFY2(frame.isEmpty(), qPrintable(frame));
        const QString order = keyboarduse::tabOrderProblem(*window);
        QVERIFY2(order.isEmpty(), qPrintable(order));
    }

    void pickingADayHandsItOverAndCloses_data() {
        QTest::addColumn<int>("mainWindowYear");
        QTest::addColumn<int>("steps"); // up-arrow clicks before picking
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("monthName");
        QTest::addColumn<int>("year");
        QTest::newRow("29 February 2024") << 2024 << 0 << 2 << 29 << QStringLiteral("FEBRERO") << 2024;
        QTest::newRow("1 January after stepping to 2027")
            << 2026 << 1 << 1 << 1 << QStringLiteral("ENERO") << 2027;
        QTest::newRow("31 December 2100") << 2100 << 0 << 12 << 31 << QStringLiteral("DICIEMBRE") << 2100;
    }
    void pickingADayHandsItOverAndCloses() {
        QFETCH(int, mainWindowYear);
        QFETCH(int, steps);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QString, monthName);
        QFETCH(int, year);
        YearOverviewWindow* window = open(mainWindowYear);
        for (int step = 0; step < steps; ++step)
            click(buttonNamed(window, "Command14_0"));
        QSignalSpy spy(window, &YearOverviewWindow::datePicked);
        click(buttonOfDay(window, month, day));
        QCOMPARE(spy.count(), 1);
        const QDate picked = spy.first().first().toDate();
        QCOMPARE(picked, QDate(year, month, day));
        QCOMPARE(quindara::monthName(picked.month()), monthName);
        settle();
        QVERIFY(window_.isNull());
    }

    void closeButtonPicksNothing() {
        YearOverviewWindow* window = open(2026);
        QSignalSpy spy(window, &YearOverviewWindow::datePicked);
        click(buttonNamed(window, "Command1"));
        settle();
        QVERIFY(window_.isNull());
        QCOMPARE(spy.count(), 0);
    }

    void backgroundPicture_data() {
        QTest::addColumn<QByteArray>("picture"); // "jpeg" for a real picture, else the file's bytes
        QTest::addColumn<QRgb>("topLeft");
        QTest::newRow("picture") << QByteArray("jpeg") << qRgb(200, 0, 0);
        QTest::newRow("missing") << QByteArray() << qRgb(255, 255, 255);
        QTest::newRow("unreadable") << QByteArray("not a picture") << qRgb(255, 255, 255);
    }
    void backgroundPicture() {
        QFETCH(QByteArray, picture);
        QFETCH(QRgb, topLeft);
        if (picture == "jpeg") {
            QImage image(40, 30, QImage::Format_RGB32);
            image.fill(qRgb(200, 0, 0));
            QVERIFY(image.save(data_->backgroundPicture(), "JPG", 100));
        } else if (!picture.isEmpty()) {
            QVERIFY(common::writeBytes(data_->backgroundPicture(), picture));
        }
        const QImage shot = open(2026)->grab().toImage();
        const auto near = [](QRgb a, QRgb b) {
            return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) < 24;
        };
        QVERIFY(near(shot.pixel(2, 2), topLeft));
        // Drawn at its own size from the corner, not stretched.
        QVERIFY(near(shot.pixel(2, 40), qRgb(255, 255, 255)));
    }

    void controlsStandWhereTheLayoutPutsThem_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("text");
        QTest::newRow("first day of January") << "Command2_0" << QRect(8, 56, 25, 25) << "";
        QTest::newRow("last day button of December") << "Command13_41" << QRect(728, 608, 25, 25) << "";
        QTest::newRow("title of September") << "Label2_8" << QRect(16, 432, 153, 25) << "Septiembre";
        QTest::newRow("Sunday of December") << "Label1_83" << QRect(728, 464, 25, 17) << "D";
        QTest::newRow("year caption") << "Label3" << QRect(320, 632, 185, 49) << "2026";
        QTest::newRow("next year") << "Command14_0" << QRect(288, 632, 49, 49) << "";
        QTest::newRow("close") << "Command1" << QRect(696, 632, 57, 57) << "";
    }
    void controlsStandWhereTheLayoutPutsThem() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(QString, text);
        YearOverviewWindow* window = open(2026);
        QCOMPARE(window->size(), QSize(764, 697));
        QWidget* control = window->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(QRect(control->mapTo(window, QPoint(0, 0)), control->size()), place);
        if (auto* label = qobject_cast<QLabel*>(control))
            QCOMPARE(label->text(), text);
    }

    // With the main window: the overview it opens, found among its children as the user finds it on screen.
    static YearOverviewWindow* openOverview(const AgendaFixture& fx) {
        settle();
        if (!fx.click(QStringLiteral("Command14")))
            return nullptr;
        const auto overviews = fx.window->findChildren<YearOverviewWindow*>();
        return overviews.size() == 1 && overviews.first()->isVisible() ? overviews.first() : nullptr;
    }

    void mainWindowOpensItsYear() {
        AgendaFixture fx(QDate(2026, 5, 20));
        fx.open();
        YearOverviewWindow* overview = openOverview(fx);
        QVERIFY(overview);
        QCOMPARE(yearShown(overview), QStringLiteral("2026"));
        QCOMPARE(dayButton(overview, 1, 3)->text(), QStringLiteral("1"));
        QCOMPARE(dayButton(overview, 3, 6)->text(), QStringLiteral("1"));
        QCOMPARE(dayButton(overview, 3, 36)->text(), QStringLiteral("31"));

        // Reopening forgets the year stepped to and takes the main window's year again.
        click(buttonNamed(overview, "Command14_0"));
        QCOMPARE(yearShown(overview), QStringLiteral("2027"));
        click(buttonNamed(overview, "Command1"));
        overview = openOverview(fx);
        QVERIFY(overview);
        QCOMPARE(yearShown(overview), QStringLiteral("2026"));
        click(buttonNamed(overview, "Command1"));
        QVERIFY(fx.choose(QStringLiteral("Combo2"), QStringLiteral("1999")));
        overview = openOverview(fx);
        QVERIFY(overview);
        QCOMPARE(yearShown(overview), QStringLiteral("1999"));
    }

    // The panels and the main grid read the same files the same way, so they never disagree.
    void panelAgreesWithTheMainGrid() {
        AgendaFixture fx(QDate(2026, 1, 15));
        fx.writeFile(QStringLiteral("fiestas/6 de enero.txt"), "Reyes\r\n");
        fx.writeFile(QStringLiteral("recordatorio/6 de ENERO.txt"), "Felicitar\r\n");
        fx.writeFile(QStringLiteral("fiestas/10 de ENERO.txt"), "Fiesta\r\n");
        fx.writeFile(QStringLiteral("recordatorio/20 de ENERO.txt"), "Cita\r\n");
        fx.writeFile(QStringLiteral("recordatorionoanual/20 de ENERO de 2026.txt"), "Médico");
        fx.writeFile(QStringLiteral("recordatorionoanual/21 de enero de 2027.txt"), "Otro año");
        fx.open();
        YearOverviewWindow* overview = openOverview(fx);
        QVERIFY(overview);
        for (int day = 1; day <= 31; ++day) {
            if (day == 15)
                continue; // selected on the grid, which the panels do not show
            QCOMPARE(backColour(buttonOfDay(overview, 1, day)), fx.dayColour(day));
        }
        QCOMPARE(backColour(buttonOfDay(overview, 1, 6)), colours::yearlyReminder);
        QCOMPARE(backColour(buttonOfDay(overview, 1, 10)), colours::holiday);
        QCOMPARE(backColour(buttonOfDay(overview, 1, 20)), colours::oneYearReminder);
        QCOMPARE(backColour(buttonOfDay(overview, 1, 21)), colours::weekday);
    }

    void pickedDayShowsInTheMainWindow_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("steps"); // up-arrow clicks before picking
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("holiday");
        QTest::newRow("29 February 2024")
            << QDate(2024, 6, 3) << 0 << 2 << 29 << QStringLiteral("JUEVES, 29 de FEBRERO de 2024")
            << QStringLiteral("Un día más") << QStringLiteral("Bisiesto");
        QTest::newRow("1 January after stepping to 2027")
            << QDate(2026, 6, 3) << 1 << 1 << 1 << QStringLiteral("VIERNES, 1 de ENERO de 2027")
            << QStringLiteral("Año nuevo") << QString();
    }
    void pickedDayShowsInTheMainWindow() {
        QFETCH(QDate, today);
        QFETCH(int, steps);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QString, title);
        QFETCH(QString, note);
        QFETCH(QString, holiday);
        AgendaFixture fx(today);
        fx.writeFile(QStringLiteral("fiestas/29 de FEBRERO.txt"), "Bisiesto\r\n");
        fx.writeFile(QStringLiteral("dias/JUEVES, 29 de FEBRERO de 2024.txt"), "Un día más");
        fx.writeFile(QStringLiteral("dias/VIERNES, 1 de ENERO de 2027.txt"), "Año nuevo");
        fx.open();
        QVERIFY(fx.click(QStringLiteral("Command6_3"))); // away from the day page
        YearOverviewWindow* overview = openOverview(fx);
        QVERIFY(overview);
        for (int step = 0; step < steps; ++step)
            click(buttonNamed(overview, "Command14_0"));
        click(buttonOfDay(overview, month, day));
        settle();
        QVERIFY(!fx.window->findChild<YearOverviewWindow*>());

        QCOMPARE(fx.text(QStringLiteral("Combo1")), monthName(month));
        QCOMPARE(fx.text(QStringLiteral("Combo2")), title.right(4));
        QCOMPARE(fx.dayColour(day), colours::selected);
        QCOMPARE(fx.text(QStringLiteral("Label2")), title);
        QVERIFY(fx.isShown(QStringLiteral("Frame1_0")));
        QVERIFY(fx.find(QStringLiteral("Frame1_0"))->isEnabled());
        QCOMPARE(fx.text(QStringLiteral("Text1")), note);
        QCOMPARE(fx.text(QStringLiteral("Text9_0")), holiday);
    }

    void closeButtonChangesNothingInTheMainWindow() {
        AgendaFixture fx(QDate(2026, 3, 10));
        fx.open();
        QVERIFY(fx.clickDay(12));
        QVERIFY(fx.click(QStringLiteral("Command6_1")));
        YearOverviewWindow* overview = openOverview(fx);
        QVERIFY(overview);
        click(buttonNamed(overview, "Command14_1"));
        click(buttonNamed(overview, "Command1"));
        settle();
        QVERIFY(!fx.window->findChild<YearOverviewWindow*>());
        QCOMPARE(fx.text(QStringLiteral("Combo1")), QStringLiteral("MARZO"));
        QCOMPARE(fx.text(QStringLiteral("Combo2")), QStringLiteral("2026"));
        QCOMPARE(fx.dayColour(12), colours::selected);
        QCOMPARE(fx.dayColour(10), colours::weekday);
        QCOMPARE(fx.text(QStringLiteral("Label2")), QStringLiteral("JUEVES, 12 de MARZO de 2026"));
        QVERIFY(fx.isShown(QStringLiteral("Frame1_1")));
        QVERIFY(!fx.isShown(QStringLiteral("Frame1_0")));
    }
};

QTEST_MAIN(YearOverviewTest)
#include "tst_yearoverview.moc"
