// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/dayreader.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/days/week.h"
#include "agenda/core/days/writetest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

using namespace quindara;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Files under names that are not UTF-8, as a tree copied raw from a Windows disk holds them.
void writeNative(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
}

QByteArray readNative(const QByteArray& path) {
    QByteArray bytes(4096, '\0');
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "(missing)";
    bytes.resize(::read(fd, bytes.data(), size_t(bytes.size())));
    ::close(fd);
    return bytes;
}

// Every name of the folder as bytes, hidden ones too (Qt's listings skip names that are not UTF-8).
QList<QByteArray> nativeNames(const QByteArray& folder) {
    QList<QByteArray> names;
    DIR* dir = ::opendir(folder.constData());
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.append(entry->d_name);
    }
    if (dir)
        ::closedir(dir);
    return names;
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

    void treeFoldersFoundInAnyCase_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("stored");
        QTest::newRow("holidays") << folders::holidays << QStringLiteral("FIESTAS");
        QTest::newRow("day notes") << folders::dayNotes << QStringLiteral("Dias");
        QTest::newRow("one-year reminders")
            << folders::oneYearReminders << QStringLiteral("RecordatorioNoAnual");
        QTest::newRow("every contact")
            << QStringLiteral("direcciones/Todos") << QStringLiteral("DIRECCIONES/todos");
    }
    void treeFoldersFoundInAnyCase() {
        QFETCH(QString, folder);
        QFETCH(QString, stored);
        QTemporaryDir dir;
        const QString storedPath = dir.filePath(stored);
        const QDate day(2011, 1, 6);
        writeBytes(storedPath + u'/' + annualKey(day) + kTxt, "Reyes\r\n");
        writeBytes(storedPath + u'/' + datedKey(day) + kTxt, "Sólo 2011");
        writeBytes(storedPath + u'/' + dayNoteKey(day) + kTxt, "Cita");

        const DataFolder data(dir.path());
        QVERIFY(data.createMissingFolders());
        QCOMPARE(data.folder(folder), storedPath);
        // The existing folder serves: no empty one is made beside it.
        for (QString parent = dir.path(); parent != storedPath;) {
            const QString part = storedPath.mid(parent.size() + 1).section(u'/', 0, 0);
            const QStringList siblings = QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            QCOMPARE(siblings.filter(part, Qt::CaseInsensitive), QStringList{part});
            parent += u'/' + part;
        }
        DayMarks marks(data);
        marks.refresh();
        const auto mark = marks.markOf(QStringLiteral("6"), QStringLiteral("ENERO"), QStringLiteral("2011"));
        QCOMPARE(mark, folder == folders::holidays           ? Mark::Holiday
                       : folder == folders::oneYearReminders ? Mark::OneYearReminder
                                                             : Mark::None);
        QCOMPARE(DayNotes(data).load(dayNoteKey(day)).text,
                 folder == folders::dayNotes ? QStringLiteral("Cita") : QString());
    }

    void namesInWindows1252BytesReadAndWrittenInPlace_data() {
        QTest::addColumn<QByteArray>("storedName");
        QTest::addColumn<QDate>("day");
        QTest::newRow("MIÉRCOLES") << QByteArray("MI\xC9RCOLES, 19 de ENERO de 2011.txt")
                                   << QDate(2011, 1, 19);
        QTest::newRow("miércoles") << QByteArray("mi\xe9rcoles, 19 de enero de 2011.txt")
                                   << QDate(2011, 1, 19);
        QTest::newRow("SÁBADO") << QByteArray("S\xC1"
                                              "BADO, 22 de ENERO de 2011.txt")
                                << QDate(2011, 1, 22);
    }
    void namesInWindows1252BytesReadAndWrittenInPlace() {
        QFETCH(QByteArray, storedName);
        QFETCH(QDate, day);
        QTemporaryDir dir;
        const DataFolder data(dir.path());
        QVERIFY(data.createMissingFolders());
        const QByteArray notes = QFile::encodeName(data.folder(folders::dayNotes));
        writeNative(notes + '/' + storedName, "Cita con Ana");
        const QString key = dayNoteKey(day);

        DayMarks marks(data);
        DayReader reader(data, marks);
        QCOMPARE(reader.dayNote(key), QStringLiteral("Cita con Ana"));
        DayNotes dayNotes(data);
        QVERIFY(dayNotes.hasNote(key));
        QVERIFY(dayNotes.monthSummary(2011, 1).contains(QStringLiteral("Cita con Ana")));

        const common::Status saved = dayNotes.save(key, QStringLiteral("Otra cita"));
        QVERIFY2(saved, qPrintable(saved.error()));
        QCOMPARE(readNative(notes + '/' + storedName),
                 common::encodeText(QStringLiteral("Otra cita"), common::Ending::Zoned));
        QCOMPARE(nativeNames(notes), QList<QByteArray>{storedName});
        QCOMPARE(reader.dayNote(key), QStringLiteral("Otra cita"));
        QCOMPARE(DayNotes(data).load(key).text, QStringLiteral("Otra cita"));
        ::unlink((notes + '/' + storedName).constData()); // QTemporaryDir cannot remove it
    }

    void writeTestLeavesTheFolderAsItWas() {
        QTemporaryDir dir;
        writeBytes(dir.filePath(QStringLiteral("texto.txt")), "exportado");
        QVERIFY(writeTest(dir.path()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("texto.txt")});
        QFile kept(dir.filePath(QStringLiteral("texto.txt")));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("exportado"));
    }

    void writeTestReportsAnUnwritableFolder() {
        QTemporaryDir dir;
        writeBytes(dir.filePath(QStringLiteral("archivo")), "x");
        const common::Status written = writeTest(dir.filePath(QStringLiteral("archivo/programa")));
        QVERIFY(!written);
        QVERIFY(!written.error().isEmpty());
        QCOMPARE(writeTestMessage(QStringLiteral("Permiso denegado")),
                 QStringLiteral("Tu ordenador no me permite escribir datos en la carpeta del programa \n"
                                "ERROR: Permiso denegado"));
    }
};

QTEST_GUILESS_MAIN(DayFilesTest)
#include "tst_dayfiles.moc"
