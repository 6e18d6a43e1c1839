#include "agenda/core/calendar.h"
#include "agenda/core/dayreader.h"
#include "agenda/core/week.h"
#include "agenda/core/writetest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quindara;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class DayFilesTest : public QObject {
    Q_OBJECT

private slots:
    void yearsOfTheSelector() {
        const QStringList years = listedYears();
        QCOMPARE(years.size(), 200);
        QCOMPARE(years.first(), QStringLiteral("1901"));
        QCOMPARE(years.last(), QStringLiteral("2100"));
    }

    void steppingTheYear_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("expected"); // 0: the step is refused
        QTest::newRow("up") << 2010 << 1 << 2011;
        QTest::newRow("down") << 2011 << -1 << 2010;
        QTest::newRow("past the last year") << 2100 << 1 << 0;
        QTest::newRow("before the first year") << 1901 << -1 << 0;
        QTest::newRow("from a year outside the list") << 0 << 1 << 0;
    }
    void steppingTheYear() {
        QFETCH(int, year);
        QFETCH(int, step);
        QFETCH(int, expected);
        QCOMPARE(steppedYear(year, step).value_or(0), expected);
    }

    void weekKeys_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("monday");
        QTest::addColumn<QString>("sunday");
        QTest::newRow("Wednesday in mid-January") << QDate(2011, 1, 5) << "LUNES, 3 de ENERO de 2011"
                                                  << "DOMINGO, 9 de ENERO de 2011";
        QTest::newRow("Saturday reaching into the year before")
            << QDate(2011, 1, 1) << "LUNES, 27 de DICIEMBRE de 2010"
            << "DOMINGO, 2 de ENERO de 2011";
        QTest::newRow("Sunday closes its own week") << QDate(2017, 12, 31) << "LUNES, 25 de DICIEMBRE de 2017"
                                                    << "DOMINGO, 31 de DICIEMBRE de 2017";
        QTest::newRow("Monday over a leap day") << QDate(2012, 2, 27) << "LUNES, 27 de FEBRERO de 2012"
                                                << "DOMINGO, 4 de MARZO de 2012";
    }
    void weekKeys() {
        QFETCH(QDate, day);
        QFETCH(QString, monday);
        QFETCH(QString, sunday);
        const QStringList keys = weekDayNoteKeys(day);
        QCOMPARE(keys.size(), 7);
        QCOMPARE(keys.first(), monday);
        QCOMPARE(keys.last(), sunday);
    }

    void dayTextsFoundInAnyCase() {
        QTemporaryDir dir;
        const DataFolder data(dir.path());
        writeBytes(dir.filePath(QStringLiteral("fiestas/6 de enero.txt")), "Reyes\r\n");
        writeBytes(dir.filePath(QStringLiteral("recordatorio/6 de ENERO.txt")), "Roscón\r\n");
        writeBytes(dir.filePath(QStringLiteral("santoral/6 de ENERO.txt")), "Gaspar\r\nMelchor\r\n");
        writeBytes(dir.filePath(QStringLiteral("recordatorionoanual/6 de Enero de 2011.txt")), "Sólo 2011");
        writeBytes(dir.filePath(QStringLiteral("listaarchivos/6 de ENERO de 2011.txt")),
                   "b.doc\r\n\r\na.jpg\r\n");
        writeBytes(dir.filePath(QStringLiteral("listaarchivos/6 de ENERO.txt")), "todos.pdf");

        DayMarks marks(data);
        DayReader reader(data, marks);
        const auto texts =
            reader.dayTexts(QStringLiteral("6"), QStringLiteral("ENERO"), QStringLiteral("2011"));
        QCOMPARE(texts.holiday, QStringLiteral("Reyes"));
        QCOMPARE(texts.yearlyReminder, QStringLiteral("Roscón"));
        QCOMPARE(texts.saints, QStringLiteral("Gaspar\nMelchor"));
        QCOMPARE(texts.oneYearReminder, QStringLiteral("Sólo 2011"));
        // Every line is an entry, an empty one too, in file order.
        QCOMPARE(texts.thisYearAttachments,
                 (QStringList{QStringLiteral("b.doc"), QString(), QStringLiteral("a.jpg")}));
        QCOMPARE(texts.everyYearAttachments, QStringList{QStringLiteral("todos.pdf")});

        const auto nextYear =
            reader.dayTexts(QStringLiteral("6"), QStringLiteral("ENERO"), QStringLiteral("2012"));
        QCOMPARE(nextYear.holiday, QStringLiteral("Reyes"));
        QVERIFY(nextYear.oneYearReminder.isEmpty());
        QVERIFY(nextYear.thisYearAttachments.isEmpty());
        const auto otherDay =
            reader.dayTexts(QStringLiteral("7"), QStringLiteral("ENERO"), QStringLiteral("2011"));
        QVERIFY(otherDay.holiday.isEmpty() && otherDay.saints.isEmpty() &&
                otherDay.everyYearAttachments.isEmpty());
    }

    void dayNotesAsStored_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zoned ending") << QByteArray("Cita          ") << QStringLiteral("Cita");
        QTest::newRow("no ending at all") << QByteArray("Cita\r\ncon Ana") << QStringLiteral("Cita\ncon Ana");
        QTest::newRow("older install in Windows-1252") << QByteArray("Cami\xf3n") << QStringLiteral("Camión");
    }
    void dayNotesAsStored() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        writeBytes(dir.filePath(QStringLiteral("dias/MIÉRCOLES, 5 de ENERO de 2011.txt")), stored);
        const DataFolder data(dir.path());
        DayMarks marks(data);
        DayReader reader(data, marks);
        QCOMPARE(reader.dayNote(QStringLiteral("MIÉRCOLES, 5 de ENERO de 2011")), shown);
        QCOMPARE(reader.dayNote(QStringLiteral("miércoles, 5 de enero de 2011")), shown);
        QCOMPARE(reader.dayNote(QStringLiteral("JUEVES, 6 de ENERO de 2011")), QString());
    }

    void writeTestLeavesTheFolderAsItWas() {
        QTemporaryDir dir;
        writeBytes(dir.filePath(QStringLiteral("texto.txt")), "exportado");
        QCOMPARE(writeTestFailure(dir.path()), std::nullopt);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("texto.txt")});
        QFile kept(dir.filePath(QStringLiteral("texto.txt")));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("exportado"));
    }

    void writeTestReportsAnUnwritableFolder() {
        QTemporaryDir dir;
        writeBytes(dir.filePath(QStringLiteral("archivo")), "x");
        const auto failure = writeTestFailure(dir.filePath(QStringLiteral("archivo/programa")));
        QVERIFY(failure.has_value());
        QVERIFY(!failure->isEmpty());
        QCOMPARE(writeTestMessage(QStringLiteral("Permiso denegado")),
                 QStringLiteral("Tu ordenador no me permite escribir datos en la carpeta del programa \n"
                                "ERROR: Permiso denegado"));
    }
};

QTEST_GUILESS_MAIN(DayFilesTest)
#include "tst_dayfiles.moc"
