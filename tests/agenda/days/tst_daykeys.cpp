// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace quindara;

class DayKeysTest : public QObject {
    Q_OBJECT

private slots:
    // The names of a day's files: what comes back every year, what belongs to one year, the day note.
    void keysOfADay_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("annual");
        QTest::addColumn<QString>("dated");
        QTest::addColumn<QString>("note");
        QTest::newRow("Wednesday") << QDate(2011, 1, 5) << "5 de ENERO"
                                   << "5 de ENERO de 2011"
                                   << "MIÉRCOLES, 5 de ENERO de 2011";
        QTest::newRow("Saturday, accented") << QDate(2011, 1, 8) << "8 de ENERO"
                                            << "8 de ENERO de 2011"
                                            << "SÁBADO, 8 de ENERO de 2011";
        QTest::newRow("leap day") << QDate(2000, 2, 29) << "29 de FEBRERO"
                                  << "29 de FEBRERO de 2000"
                                  << "MARTES, 29 de FEBRERO de 2000";
        QTest::newRow("Sunday, last year") << QDate(2100, 12, 26) << "26 de DICIEMBRE"
                                           << "26 de DICIEMBRE de 2100"
                                           << "DOMINGO, 26 de DICIEMBRE de 2100";
    }
    void keysOfADay() {
        QFETCH(QDate, date);
        QFETCH(QString, annual);
        QFETCH(QString, dated);
        QFETCH(QString, note);
        QCOMPARE(annualKey(date), annual);
        QCOMPARE(datedKey(date), dated);
        QCOMPARE(dayNoteKey(date), note);
        // Built from the parts the month grid holds, the same names.
        const QString day = QString::number(date.day());
        const QString month = monthName(date.month());
        const QString year = QString::number(date.year());
        QCOMPARE(annualKey(day, month), annual);
        QCOMPARE(datedKey(day, month, year), dated);
        QCOMPARE(dayNoteKey(mondayBasedWeekday(date), day, month, year), note);
    }

    // A month typed or stored in any case is found; anything else is no month.
    void monthNamesReadInAnyCase() {
        QCOMPARE(monthNumber(QStringLiteral("diciembre")), 12);
        QCOMPARE(monthNumber(QStringLiteral("Septiembre")), 9);
        QCOMPARE(monthNumber(QStringLiteral("nada")), 0);
    }

    void pathsAndTree() {
        QTemporaryDir dir;
        const DataFolder data(dir.path());
        QCOMPARE(data.holidayFile(QStringLiteral("25 de DICIEMBRE")),
                 dir.filePath(QStringLiteral("fiestas/25 de DICIEMBRE.txt")));
        QCOMPARE(data.contactFile(QStringLiteral("Amigos"), QStringLiteral("García")),
                 dir.filePath(QStringLiteral("direcciones/Amigos/García")));
        QVERIFY(data.createMissingFolders());
        for (const QString& folder : DataFolder::treeFolders())
            QVERIFY2(QDir(dir.filePath(folder)).exists(), qPrintable(folder));
    }
};

QTEST_GUILESS_MAIN(DayKeysTest)
#include "tst_daykeys.moc"
