// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/calendar/agendastate.h"
#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/daymarks.h"
#include "common/textfile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quindara;

class CalendarTest : public QObject {
    Q_OBJECT

private slots:
    void monthsOnTheGrid_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("January 2011 starts on Saturday") << 2011 << 1 << 5 << 35;
        QTest::newRow("February 2015 starts on Sunday") << 2015 << 2 << 6 << 33;
        QTest::newRow("August 2010 reaches the sixth row") << 2010 << 8 << 6 << 36;
        QTest::newRow("February 2000 is leap") << 2000 << 2 << 1 << 29;
        QTest::newRow("February 2100 is not") << 2100 << 2 << 0 << 27;
        QTest::newRow("January 1901") << 1901 << 1 << 1 << 31;
    }
    void monthsOnTheGrid() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, first);
        QFETCH(int, last);
        const MonthLayout layout = monthLayout(year, month);
        QCOMPARE(layout.firstIndex, first);
        QCOMPARE(layout.lastIndex(), last);
        QCOMPARE(layout.dayOnButton(first), 1);
        QCOMPARE(layout.dayOnButton(first - 1), 0);
        QCOMPARE(layout.dayOnButton(last + 1), 0);
    }

    // Each row: the clock's date, then a step applied to the state, then what the window must show.
    void agendaStateMoves_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QDate>("shownMonth");
        QTest::addColumn<QDate>("selected");
        QTest::addColumn<QDate>("lastShown");
        const QDate none;
        const QDate jan31(2011, 1, 31);
        QTest::newRow("start selects today") << jan31 << "" << QDate(2011, 1, 1) << jan31 << jan31;
        QTest::newRow("clock after 2100 starts on its last month, nothing selected")
            << QDate(2150, 6, 15) << "" << QDate(2100, 12, 1) << none << none;
        QTest::newRow("clock before 1901 starts on its first month")
            << QDate(1850, 6, 15) << "" << QDate(1901, 1, 1) << none << none;
        QTest::newRow("another month forgets the selection, not the shown day")
            << jan31 << "month 1950 12" << QDate(1950, 12, 1) << none << jan31;
        QTest::newRow("a year arrow keeps the month")
            << jan31 << "year 1" << QDate(2012, 1, 1) << none << jan31;
        QTest::newRow("no year after 2100")
            << QDate(2100, 3, 3) << "year 1" << QDate(2100, 3, 1) << QDate(2100, 3, 3) << QDate(2100, 3, 3);
        QTest::newRow("no year before 1901")
            << QDate(1901, 3, 3) << "year -1" << QDate(1901, 3, 1) << QDate(1901, 3, 3) << QDate(1901, 3, 3);
        QTest::newRow("a day the month lacks is not selected")
            << QDate(2011, 2, 1) << "day 30" << QDate(2011, 2, 1) << QDate(2011, 2, 1) << QDate(2011, 2, 1);
        QTest::newRow("picked date") << jan31 << "date 2012-02-29" << QDate(2012, 2, 1) << QDate(2012, 2, 29)
                                     << QDate(2012, 2, 29);
        QTest::newRow("picked date out of range is dropped")
            << jan31 << "date 2101-01-01" << QDate(2011, 1, 1) << jan31 << jan31;
    }
    void agendaStateMoves() {
        QFETCH(QDate, today);
        QFETCH(QString, step);
        QFETCH(QDate, shownMonth);
        QFETCH(QDate, selected);
        QFETCH(QDate, lastShown);
        AgendaState state(today);
        const QStringList parts = step.split(u' ');
        if (parts[0] == QLatin1String("month"))
            state.showMonth(parts[1].toInt(), parts[2].toInt());
        else if (parts[0] == QLatin1String("year"))
            QCOMPARE(state.stepYear(parts[1].toInt()), shownMonth.year() != today.year());
        else if (parts[0] == QLatin1String("day"))
            QVERIFY(!state.selectDay(parts[1].toInt()));
        else if (parts[0] == QLatin1String("date"))
            state.goToDate(QDate::fromString(parts[1], Qt::ISODate));
        QCOMPARE(QDate(state.year(), state.month(), 1), shownMonth);
        QCOMPARE(state.selectedDate(), selected);
        QCOMPARE(state.lastShownDay(), lastShown);
    }

    void marksAndPrecedence() {
        QTemporaryDir dir;
        const DataFolder data(dir.path());
        QVERIFY(data.createMissingFolders());
        DayMarks marks(data);
        const auto mark = [&](const char* day, const char* year) {
            return marks.markOf(QString::fromUtf8(day), QStringLiteral("ENERO"), QString::fromUtf8(year));
        };
        marks.refresh();
        QCOMPARE(mark("1", "2011"), Mark::None);
        QCOMPARE(DayMarks::colourOf(Mark::None, 5), colours::weekend);
        QCOMPARE(DayMarks::colourOf(Mark::None, 2), colours::weekday);

        // Lower-case names count, as names compare without regard to case.
        QVERIFY(common::writeText(data.folder(QStringLiteral("fiestas/1 de enero.txt")),
                                  QStringLiteral("Año"), common::Ending::Line));
        marks.forceRefresh();
        QCOMPARE(mark("1", "2011"), Mark::Holiday);
        QVERIFY(common::writeText(data.yearlyReminderFile(QStringLiteral("1 de ENERO")), QStringLiteral("x"),
                                  common::Ending::Line));
        QVERIFY(common::writeText(data.oneYearReminderFile(QStringLiteral("3 de ENERO de 2011")),
                                  QStringLiteral("y"), common::Ending::Bare));
        marks.forceRefresh();
        QCOMPARE(mark("1", "2011"), Mark::YearlyReminder);
        QCOMPARE(mark("3", "2011"), Mark::OneYearReminder);
        QCOMPARE(mark("3", "2012"), Mark::None);
        QCOMPARE(DayMarks::colourOf(Mark::YearlyReminder, 5), colours::yearlyReminder);
    }
};

QTEST_GUILESS_MAIN(CalendarTest)
#include "tst_calendar.moc"
