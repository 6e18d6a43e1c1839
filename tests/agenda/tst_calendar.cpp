#include "agenda/core/calendar.h"
#include "agenda/core/daymarks.h"
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
