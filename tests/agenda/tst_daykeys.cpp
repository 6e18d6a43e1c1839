#include "agenda/core/datafolder.h"
#include "agenda/core/daykeys.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace quindara;

class DayKeysTest : public QObject {
    Q_OBJECT

private slots:
    void keysOfADay() {
        const QDate date(2011, 1, 5);
        QCOMPARE(annualKey(date), QStringLiteral("5 de ENERO"));
        QCOMPARE(datedKey(date), QStringLiteral("5 de ENERO de 2011"));
        QCOMPARE(dayNoteKey(date), QStringLiteral("MIÉRCOLES, 5 de ENERO de 2011"));
        QCOMPARE(dayNoteKey(QDate(2011, 1, 8)), QStringLiteral("SÁBADO, 8 de ENERO de 2011"));
        QCOMPARE(dayNoteKey(5, QStringLiteral("8"), QStringLiteral("ENERO"), QStringLiteral("2011")),
                 QStringLiteral("SÁBADO, 8 de ENERO de 2011"));
    }

    void tables() {
        QCOMPARE(monthNames().size(), 12);
        QCOMPARE(monthName(9), QStringLiteral("SEPTIEMBRE"));
        QCOMPARE(monthNumber(QStringLiteral("diciembre")), 12);
        QCOMPARE(monthNumber(QStringLiteral("nada")), 0);
        QCOMPARE(weekdayName(0), QStringLiteral("LUNES, "));
        QCOMPARE(weekdayName(6), QStringLiteral("DOMINGO, "));
    }

    void gregorianCalendar() {
        QCOMPARE(QDate(2100, 2, 1).daysInMonth(), 28);
        QCOMPARE(QDate(2000, 2, 1).daysInMonth(), 29);
        QCOMPARE(mondayBasedWeekday(QDate(2011, 1, 1)), 5);
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
