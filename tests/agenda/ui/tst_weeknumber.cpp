// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/calendar/weeknumber.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/week.h"
#include "agenda/ui/weekpage.h"

#include "tests/support/recordingdesktopservices.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace quindara;

class WeekNumberTest : public QObject {
    Q_OBJECT

private slots:
    // The week page's caption for the week of a day, and the ISO year that week belongs to.
    void isoWeek_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("weekYear");
        QTest::newRow("first Monday of 2011") << QDate(2011, 1, 3) << "Semana 1" << 2011;
        QTest::newRow("first Sunday of 2011") << QDate(2011, 1, 9) << "Semana 1" << 2011;
        QTest::newRow("1 January 2011 ends 2010's last week") << QDate(2011, 1, 1) << "Semana 52" << 2010;
        QTest::newRow("31 December 2012 starts 2013") << QDate(2012, 12, 31) << "Semana 1" << 2013;
        QTest::newRow("a year of 53 weeks") << QDate(2021, 1, 3) << "Semana 53" << 2020;
        QTest::newRow("leap day") << QDate(2012, 2, 29) << "Semana 9" << 2012;
        QTest::newRow("last day of the range") << QDate(2100, 12, 31) << "Semana 52" << 2100;
    }
    void isoWeek() {
        QFETCH(QDate, day);
        QFETCH(QString, caption);
        QFETCH(int, weekYear);
        QCOMPARE(quindara::isoWeek(day).year, weekYear);
        QCOMPARE(weekCaption(day), caption);
        QTemporaryDir folder;
        DayNotes notes{DataFolder(folder.path())};
        common::RecordingDesktopServices desktop;
        WeekPage page(notes, desktop, nullptr);
        page.ShowWeekPage(day);
        QCOMPARE(page.findChild<QLabel*>(QStringLiteral("weekNumber"))->text(), caption);
    }
};

QTEST_MAIN(WeekNumberTest)
#include "tst_weeknumber.moc"
