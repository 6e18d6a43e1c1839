// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/days/folderid.h"
#include "agenda/core/exchange/exchange.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace quindara;

namespace {

using Files = QMap<QString, QByteArray>;

// Every file under the folder, by relative path, with its bytes.
Files snapshot(const QString& root) {
    Files files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files.insert(QDir(root).relativeFilePath(path), file.readAll());
    }
    return files;
}

void writeFiles(const QString& root, const Files& files) {
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QString path = QDir(root).filePath(it.key());
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(it.value()), it.value().size());
    }
}

QByteArray testFile(const QString& name) {
    QFile file(QStringLiteral(QUINDARA_TEST_DATA "/exchange/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray utf8(const char* text) {
    return QByteArray(text);
}

// Every byte of the literal, NULs included.
template <qsizetype N> QByteArray raw(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

IcsReadOptions madrid(bool asHolidays = false) {
    IcsReadOptions options;
    options.zone = QTimeZone("Europe/Madrid");
    options.asHolidays = asHolidays;
    options.today = QDate(2026, 12, 8);
    return options;
}

// The agenda as the user fills it: through the same writers the windows use.
void fillCalendar(const DataFolder& data) {
    QVERIFY(data.createMissingFolders());
    const auto text = [&](DayTextKind kind, const char* day, const char* month, const char* year,
                          const char* t) {
        QCOMPARE(storeDayText(data, kind, QString::fromUtf8(day), QString::fromUtf8(month),
                              QString::fromUtf8(year), QString::fromUtf8(t)),
                 DayTextChange::Written);
    };
    text(DayTextKind::Holiday, "25", "DICIEMBRE", "2011", "Navidad");
    text(DayTextKind::Holiday, "29", "FEBRERO", "2012", "Día bisiesto; fiesta, sólo \\ cada cuatro años");
    text(DayTextKind::Holiday, "6", "ENERO", "2011", "Reyes\nroscón con nata\n");
    text(DayTextKind::YearlyReminder, "3", "MARZO", "2012",
         "Cumpleaños de Íñigo: llamar por la mañana y comprar un regalo que no sea otra vez una corbata");
    text(DayTextKind::OneYearReminder, "3", "MARZO", "2012", "Revisión del coche");
    text(DayTextKind::OneYearReminder, "29", "FEBRERO", "2100", "fuera del calendario real");
    text(DayTextKind::OneYearReminder, "31", "DICIEMBRE", "2100", "Último día");
    DayNotes notes(data);
    QVERIFY(notes.save(dayNoteKey(QDate(2011, 1, 5)),
                       QStringLiteral("Miércoles: reunión\ncon ñandú, tilde y acentos")));
    QVERIFY(notes.save(dayNoteKey(QDate(2012, 2, 29)), QStringLiteral("un texto de catorce")));
    QVERIFY(notes.save(dayNoteKey(QDate(2012, 3, 1)), QString()));
}

void fillContacts(const DataFolder& data) {
    const QList<QStringList> cards = {
        {QStringLiteral("Núñez"), QStringLiteral("Ana María"), QStringLiteral("Calle Mayor, 1; 2º"),
         QStringLiteral("León"), QStringLiteral("987 000 000, 600 000 000"), QStringLiteral("ana@correo.es"),
         QStringLiteral("amiga del colegio\nvive cerca")},
        {QStringLiteral("O'Brien"), {}, {}, {}, QStringLiteral("600,700"), {}, {}},
        {QStringLiteral("Peña"),
         QStringLiteral("Lucía"),
         {},
         QStringLiteral("Málaga"),
         {},
         QStringLiteral("lucia@correo.es, lp@trabajo.es"),
         QStringLiteral("\\ barra; y coma,")},
    };
    for (const QString& category : {QStringLiteral("Amigos"), folders::allContacts}) {
        QDir().mkpath(data.categoryFolder(category));
        for (const QStringList& card : cards)
            QVERIFY(writeContactCard(data.contactFile(category, card.first()), card));
    }
}

} // namespace

class ExchangeTest : public QObject {
    Q_OBJECT

private slots:
    // Export, then import into an empty folder: the very same files come back; a second import adds nothing.
    void roundTrip_data() {
        QTest::addColumn<bool>("contacts");
        QTest::newRow("calendar with notes") << false;
        QTest::newRow("address book category") << true;
    }
    void roundTrip() {
        QFETCH(bool, contacts);
        QTemporaryDir from;
        QTemporaryDir to;
        QTemporaryDir out;
        const DataFolder source(from.path());
        const DataFolder target(to.path());
        const QString file =
            out.filePath(contacts ? QStringLiteral("agenda.vcf") : QStringLiteral("agenda.ics"));
        QString folder;
        ExchangeResult exported;
        if (contacts) {
            fillContacts(source);
            exported = exportVcf(source, file, QStringLiteral("Amigos"));
            folder = folders::addressBook;
        } else {
            fillCalendar(source);
            exported = exportIcs(source, file, true);
            folder = QString();
        }
        QCOMPARE(exported.exitCode(), 0);
        const auto import = [&] {
            return contacts ? importVcf(target, file, QStringLiteral("Amigos"))
                            : importIcs(target, file, madrid());
        };
        const ExchangeResult first = import();
        QCOMPARE(first.exitCode(), 0);

        Files expected = snapshot(source.folder(folder));
        if (!contacts) {
            // 29 February 2100 exists only in the agenda's grid; the export says so and leaves it out.
            QVERIFY(exported.summary().contains(QStringLiteral("29 de FEBRERO de 2100.txt")));
            expected.remove(QStringLiteral("recordatorionoanual/29 de FEBRERO de 2100.txt"));
            // An emptied note has nothing to give.
            expected.remove(QStringLiteral("dias/JUEVES, 1 de MARZO de 2012.txt"));
            // The export gave the folder its identifier; an import has no need of one.
            expected.remove(kFolderIdFile);
        }
        QCOMPARE(snapshot(target.folder(folder)), expected);

        const ExchangeResult second = import();
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(second.holidays.added + second.reminders.added + second.notes.added + second.contacts.added,
                 0);
        QCOMPARE(snapshot(target.folder(folder)), expected);
    }

    // Any text the agenda holds goes out and comes back into an empty folder as the very same file, as a
    // holiday, a yearly and a one-year reminder and a day note; importing it again changes nothing.
    void textsComeBackWhole_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("comesBack"); // empty when the text itself comes back
        QTest::newRow("first line ends with a blank, CR LF")
            << QStringLiteral("Comprar pan \nleche\ny huevos") << QString();
        QTest::newRow("first line ends with a blank, one more line")
            << QStringLiteral("Reunión \ncon el banco") << QString();
        QTest::newRow("tabs and blanks ending lines")
            << QStringLiteral("uno\t\ndos  \n tres\t \ncuatro") << QString();
        QTest::newRow("last line filling a zone ends with a blank")
            << QStringLiteral("primera \ncatorce letra ") << QString();
        QTest::newRow("empty lines") << QStringLiteral("arriba\n\n\nabajo") << QString();
        QTest::newRow("leading and trailing line ends") << QStringLiteral("\n\nen medio\n\n") << QString();
        QTest::newRow("first line only blanks") << QStringLiteral("   \nsegunda") << QString();
        QTest::newRow("a lone CR is a line end, as every reader of the folder takes it")
            << QStringLiteral("antes\rdespués") << QStringLiteral("antes\ndespués");
        QTest::newRow("escaped characters") << QStringLiteral("a,b;c\\d\\ne:f \\n\\,\nfin;") << QString();
        QTest::newRow("long lines folded within characters")
            << QString(QStringLiteral("ñandú €𝄞 ").repeated(30) + QStringLiteral("\n") +
                       QStringLiteral("x").repeated(200) + QStringLiteral(" "))
            << QString();
    }
    void textsComeBackWhole() {
        QFETCH(QString, text);
        QFETCH(QString, comesBack);
        QTemporaryDir from;
        QTemporaryDir to;
        QTemporaryDir expectedFolder;
        QTemporaryDir out;
        const auto fill = [](const DataFolder& data, const QString& t) {
            QVERIFY(data.createMissingFolders());
            QVERIFY(storeDayText(data, DayTextKind::Holiday, QStringLiteral("1"), QStringLiteral("ENERO"),
                                 QStringLiteral("2027"), t));
            QVERIFY(storeDayText(data, DayTextKind::YearlyReminder, QStringLiteral("2"),
                                 QStringLiteral("ENERO"), QStringLiteral("2027"), t));
            QVERIFY(storeDayText(data, DayTextKind::OneYearReminder, QStringLiteral("3"),
                                 QStringLiteral("MARZO"), QStringLiteral("2027"), t));
            QVERIFY(DayNotes(data).save(dayNoteKey(QDate(2027, 1, 4)), t));
        };
        fill(DataFolder(from.path()), text);
        fill(DataFolder(expectedFolder.path()), comesBack.isEmpty() ? text : comesBack);
        const QString file = out.filePath(QStringLiteral("a.ics"));
        QCOMPARE(exportIcs(DataFolder(from.path()), file, true).exitCode(), 0);
        Files expected = snapshot(expectedFolder.path());
        QCOMPARE(expected.size(), 4);
        for (int round = 1; round <= 3; ++round) {
            const ExchangeResult imported = importIcs(DataFolder(to.path()), file, madrid());
            QVERIFY2(imported.exitCode() == 0, qPrintable(imported.summary()));
            QCOMPARE(imported.holidays.added + imported.reminders.added + imported.notes.added,
                     round == 1 ? 4 : 0);
            QCOMPARE(snapshot(to.path()), expected);
        }
    }

    // Two agendas exported into one shared calendar must not replace each other's items: every UID is
    // unique to its data folder, and the same for every export of one folder and every machine sharing it.
    void uidsAreUniqueToTheFolder_data() {
        QTest::addColumn<bool>("contacts");
        QTest::newRow("calendar") << false;
        QTest::newRow("address book") << true;
    }
    void uidsAreUniqueToTheFolder() {
        QFETCH(bool, contacts);
        QTemporaryDir first;
        QTemporaryDir second;
        QTemporaryDir out;
        const auto uids = [&](const QString& folder, const QString& name) {
            const QString file = out.filePath(name);
            const ExchangeResult exported =
                contacts ? exportVcf(DataFolder(folder), file, QStringLiteral("Amigos"))
                         : exportIcs(DataFolder(folder), file, true);
            QSet<QByteArray> found;
            QFile written(file);
            if (exported.exitCode() != 0 || !written.open(QIODevice::ReadOnly))
                return found;
            const QList<QByteArray> lines = written.readAll().replace("\r\n ", "").split('\n');
            for (const QByteArray& line : lines) {
                if (line.startsWith("UID:"))
                    found.insert(line.trimmed());
            }
            return found;
        };
        for (const QString& folder : {first.path(), second.path()}) {
            if (contacts)
                fillContacts(DataFolder(folder));
            else
                fillCalendar(DataFolder(folder));
        }
        const QSet<QByteArray> ours = uids(first.path(), QStringLiteral("1"));
        QCOMPARE(ours.size(), contacts ? 3 : 8);
        QCOMPARE(uids(first.path(), QStringLiteral("2")), ours);
        QVERIFY(!ours.intersects(uids(second.path(), QStringLiteral("3"))));
        // Another machine's copy of the folder, identifier file included, gives the same UIDs.
        QTemporaryDir copy;
        for (auto [path, bytes] : snapshot(first.path()).asKeyValueRange())
            writeFiles(copy.path(), {{path, bytes}});
        QVERIFY(QFileInfo::exists(copy.filePath(kFolderIdFile)));
        QCOMPARE(uids(copy.path(), QStringLiteral("4")), ours);
    }

    // The day a day-text file's name gives, whatever form the name takes.
    void fileNamesGiveTheirDay_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("annual");
        QTest::addColumn<QDate>("day");
        QTest::newRow("yearly") << "7 de MAYO.txt" << true << QDate(2000, 5, 7);
        QTest::newRow("yearly, two digits, any case") << "07 DE mayo.TXT" << true << QDate(2000, 5, 7);
        QTest::newRow("dated") << "31 de DICIEMBRE de 2100.txt" << false << QDate(2100, 12, 31);
        QTest::newRow("dated with its weekday")
            << "LUNES, 4 de MAYO de 2026.txt" << false << QDate(2026, 5, 4);
        QTest::newRow("weekday in other words")
            << "día de fiesta, 4 de MAYO de 2026.txt" << false << QDate(2026, 5, 4);
        QTest::newRow("no such day") << "31 de FEBRERO de 2024.txt" << false << QDate();
        QTest::newRow("out of the years") << "1 de ENERO de 1900.txt" << false << QDate();
        QTest::newRow("three digits") << "007 de MAYO.txt" << true << QDate();
        QTest::newRow("two commas") << "A, B, 4 de MAYO de 2026.txt" << false << QDate();
        QTest::newRow("a year on a yearly name") << "4 de MAYO de 2026.txt" << true << QDate();
        QTest::newRow("no month") << "4 de .txt" << true << QDate();
    }
    void fileNamesGiveTheirDay() {
        QFETCH(QString, name);
        QFETCH(bool, annual);
        QFETCH(QDate, day);
        QCOMPARE(dayOfCalendarFile(name, annual), day);
    }

    // Files as the big programs write them, into a folder that may already hold something.
    void realWorldFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("asHolidays");
        QTest::addColumn<Files>("before");
        QTest::addColumn<Files>("after");
        QTest::addColumn<QStringList>("skipped");

        QTest::newRow("Google holidays: single days become one-year reminders")
            << "google-festivos.ics" << testFile(QStringLiteral("google-festivos.ics")) << true
            << Files{{"recordatorionoanual/25 de diciembre de 2024.txt", "Nochebuena en casa"}}
            << Files{{"recordatorionoanual/25 de diciembre de 2024.txt", "Nochebuena en casa\r\nNavidad"},
                     {"recordatorionoanual/19 de MARZO de 2024.txt",
                      utf8("San José (regional, en algunas comunidades)")},
                     {"recordatorionoanual/1 de ENERO de 2025.txt", utf8("Año Nuevo")}}
            << QStringList();
        QTest::newRow("Google holidays over three years: fixed ones yearly, moving feasts dated")
            << "google-festivos-varios-anos.ics"
            << testFile(QStringLiteral("google-festivos-varios-anos.ics")) << true
            << Files{{"fiestas/25 de DICIEMBRE.txt", "Navidad\r\n"}}
            << Files{{"fiestas/25 de DICIEMBRE.txt", "Navidad\r\n"},
                     {"fiestas/1 de ENERO.txt", utf8("Año Nuevo\r\n")},
                     {"recordatorionoanual/18 de ABRIL de 2025.txt", "Viernes Santo"},
                     {"recordatorionoanual/3 de ABRIL de 2026.txt", "Viernes Santo"},
                     {"recordatorionoanual/21 de ABRIL de 2025.txt", "Lunes de Pascua (regional)"},
                     {"recordatorionoanual/6 de ABRIL de 2026.txt", "Lunes de Pascua (regional)"},
                     {"recordatorionoanual/19 de MARZO de 2025.txt",
                      utf8("San José (regional, en algunas comunidades)")}}
            << QStringList();
        QTest::newRow("holiday category: fixed ones yearly; other repeated days stay dated")
            << "categoria-festivo.ics"
            << QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                          "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20250815\r\nSUMMARY:Asunción\r\n"
                          "CATEGORIES:Holidays\r\nEND:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20260815\r\nSUMMARY:Asunción\r\n"
                          "CATEGORIES:Festivos\r\nEND:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:c\r\nDTSTART;VALUE=DATE:20250815\r\nSUMMARY:Comida\r\n"
                          "END:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:d\r\nDTSTART;VALUE=DATE:20260815\r\nSUMMARY:Comida\r\n"
                          "END:VEVENT\r\nEND:VCALENDAR\r\n")
            << false << Files()
            << Files{{"fiestas/15 de AGOSTO.txt", utf8("Asunción\r\n")},
                     {"recordatorionoanual/15 de AGOSTO de 2025.txt", "Comida"},
                     {"recordatorionoanual/15 de AGOSTO de 2026.txt", "Comida"}}
            << QStringList();
        QTest::newRow("Outlook meeting in another time zone, all-day event over three days")
            << "outlook-reunion.ics" << testFile(QStringLiteral("outlook-reunion.ics")) << false << Files()
            << Files{{"recordatorionoanual/12 de MARZO de 2024.txt", utf8("17:00 Revisión del presupuesto")},
                     {"recordatorionoanual/1 de ABRIL de 2024.txt", "Congreso en Sevilla"},
                     {"recordatorionoanual/2 de ABRIL de 2024.txt", "Congreso en Sevilla"},
                     {"recordatorionoanual/3 de ABRIL de 2024.txt", "Congreso en Sevilla"}}
            << QStringList();
        QTest::newRow("Thunderbird: EXDATE, a moved occurrence, yearly days, a task")
            << "thunderbird-exdate.ics" << testFile(QStringLiteral("thunderbird-exdate.ics")) << false
            << Files{{"recordatorio/29 de FEBRERO.txt", "Cumplea\xC3\xB1os de Ana\r\n"}}
            << Files{{"recordatorionoanual/9 de ENERO de 2024.txt", utf8("19:00 Clase de inglés")},
                     {"recordatorionoanual/24 de ENERO de 2024.txt", utf8("20:00 Clase de inglés")},
                     {"recordatorionoanual/30 de ENERO de 2024.txt", utf8("19:00 Clase de inglés")},
                     {"recordatorio/29 de FEBRERO.txt", "Cumplea\xC3\xB1os de Ana\r\n"},
                     {"fiestas/15 de MAYO.txt", "Fiesta del pueblo\r\n"}}
            << QStringList{QStringLiteral("1 tarea (VTODO): la agenda no guarda tareas")};
        // DTSTART is always an occurrence, even of a rule that never meets.
        QTest::newRow("endless and impossible rules end within 1901-2100; yearly days may begin before")
            << "reglas.ics"
            << QByteArray("BEGIN:VCALENDAR\nVERSION:2.0\n"
                          "BEGIN:VEVENT\nUID:a\nDTSTART;VALUE=DATE:21001230\nRRULE:FREQ=DAILY\nSUMMARY:"
                          "Diario\nEND:VEVENT\n"
                          "BEGIN:VEVENT\nUID:b\nDTSTART:21001231T100000Z\nRRULE:FREQ=SECONDLY\nSUMMARY:Cada "
                          "segundo\n"
                          "END:VEVENT\n"
                          "BEGIN:VEVENT\nUID:c\nDTSTART;VALUE=DATE:20240101\nRRULE:FREQ=DAILY;BYMONTH=2;"
                          "BYMONTHDAY=30\n"
                          "SUMMARY:Nunca\nEND:VEVENT\n"
                          "BEGIN:VEVENT\nUID:d\nDTSTART;VALUE=DATE:18500101\nSUMMARY:Antiguo\nEND:VEVENT\n"
                          "BEGIN:VEVENT\nUID:f\nDTSTART;VALUE=DATE:18500612\nRRULE:FREQ=YEARLY\n"
                          "SUMMARY:Santo del abuelo\nEND:VEVENT\n"
                          "BEGIN:VEVENT\nUID:g\nDTSTART;VALUE=DATE:25000101\nRRULE:FREQ=YEARLY\n"
                          "SUMMARY:Futuro\nEND:VEVENT\n"
                          "BEGIN:VJOURNAL\nUID:e\nDTSTART;VALUE=DATE:20240105\nSUMMARY:Diario\n"
                          "DESCRIPTION:Hoy llueve\\, mucho\nEND:VJOURNAL\n"
                          "END:VCALENDAR\n")
            << false << Files()
            << Files{{"recordatorionoanual/30 de DICIEMBRE de 2100.txt", "Diario"},
                     {"recordatorionoanual/31 de DICIEMBRE de 2100.txt", "Diario\r\n11:00 Cada segundo"},
                     {"recordatorio/12 de JUNIO.txt", "Santo del abuelo\r\n"},
                     {"recordatorionoanual/1 de ENERO de 2024.txt", "Nunca"},
                     {"dias/VIERNES, 5 de ENERO de 2024.txt",
                      "Diario\r\nHoy llueve, mucho" + QByteArray(11, ' ')}}
            << QStringList{
                   QStringLiteral("«Cada segundo, 31 de DICIEMBRE de 2100»: se repite varias veces al día: "
                                  "solo se importa su primer día"),
                   QStringLiteral("«Antiguo, 1 de ENERO de 1850»: fuera de los años 1901 a 2100"),
                   QStringLiteral("«Futuro, 1 de ENERO de 2500»: fuera de los años 1901 a 2100")};
        QTest::newRow("texts ending with a line end, two on one day: imported again, nothing added")
            << "fin-de-linea.ics"
            << QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                          "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20240105\r\nSUMMARY:Dentista\\n\r\n"
                          "END:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20240105\r\nSUMMARY:Banco\r\n"
                          "DESCRIPTION:Banco\\nfirmar \\n\\n\r\nEND:VEVENT\r\n"
                          "BEGIN:VJOURNAL\r\nUID:c\r\nDTSTART;VALUE=DATE:20240105\r\n"
                          "DESCRIPTION:Llueve\\n\r\nEND:VJOURNAL\r\n"
                          "BEGIN:VJOURNAL\r\nUID:d\r\nDTSTART;VALUE=DATE:20240105\r\n"
                          "DESCRIPTION:Hace fr\xC3\xADo\\n\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n")
            << false << Files{{"recordatorionoanual/5 de ENERO de 2024.txt", "Otra cosa"}}
            << Files{{"recordatorionoanual/5 de ENERO de 2024.txt",
                      "Otra cosa\r\nDentista\r\nBanco\r\nfirmar \r\n\r\n"},
                     {"dias/VIERNES, 5 de ENERO de 2024.txt",
                      "Llueve\r\nHace fr\xC3\xADo\r\n" + QByteArray(14, ' ')}}
            << QStringList();
        QTest::newRow("a SUMMARY of blanks: the DESCRIPTION is the text, its blanks kept")
            << "resumen-en-blanco.ics"
            << QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                          "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20240105\r\nSUMMARY:  \r\n"
                          "DESCRIPTION:\tSangría \r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
            << false << Files() << Files{{"recordatorionoanual/5 de ENERO de 2024.txt", "\tSangría "}}
            << QStringList();
        QTest::newRow("an export of an older version, its UIDs without the folder's identifier")
            << "antigua.ics"
            << QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quindara//Agenda//ES\r\n"
                          "BEGIN:VEVENT\r\nUID:recordatorionoanual-2027-03-03@quindara\r\n"
                          "DTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20270303\r\n"
                          "DTEND;VALUE=DATE:20270304\r\nSUMMARY:Revisi\xC3\xB3n \r\n"
                          "DESCRIPTION:Revisi\xC3\xB3n \\ndel coche\r\nEND:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:fiesta-12-25@quindara\r\nDTSTAMP:20260101T000000Z\r\n"
                          "DTSTART;VALUE=DATE:20001225\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:Navidad\r\n"
                          "DESCRIPTION:Navidad\r\nCATEGORIES:Fiesta\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
            << false << Files()
            << Files{{"recordatorionoanual/3 de MARZO de 2027.txt", "Revisi\xC3\xB3n \r\ndel coche"},
                     {"fiestas/25 de DICIEMBRE.txt", "Navidad\r\n"}}
            << QStringList();
        {
            // Rules that are not yearly fill two years from the import day (8 December 2026), or from their
            // start when later, at most 1,000 dates each; a yearly rule with filters goes on to 2100.
            Files days;
            for (QDate d(2020, 1, 1); d <= QDate(2022, 9, 26); d = d.addDays(1))
                days.insert(QStringLiteral("recordatorionoanual/%1.txt").arg(datedKey(d)), "Diario");
            int weekdays = 0;
            for (QDate d(2026, 11, 23); d <= QDate(2028, 12, 8); d = d.addDays(1)) {
                if (d.dayOfWeek() <= 5 && ++weekdays)
                    days.insert(QStringLiteral("recordatorionoanual/%1.txt").arg(datedKey(d)),
                                "09:00 Reuni\xC3\xB3n de equipo");
            }
            for (QDate d(2026, 10, 15); d <= QDate(2028, 12, 8); d = d.addMonths(2)) {
                QByteArray& day = days[QStringLiteral("recordatorionoanual/%1.txt").arg(datedKey(d))];
                day += day.isEmpty() ? "Riego" : "\r\nRiego";
            }
            for (int year = 2095; year <= 2100; ++year) {
                QDate last(year, 10, 31);
                while (last.dayOfWeek() != 7)
                    last = last.addDays(-1);
                days.insert(QStringLiteral("recordatorionoanual/%1.txt").arg(datedKey(last)),
                            "Cambio de hora");
            }
            QTest::newRow("endless rules fill two years from the import day, at most 1,000 dates")
                << "sin-fin.ics"
                << QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                              "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20200101\r\nRRULE:FREQ=DAILY\r\n"
                              "SUMMARY:Diario\r\nEND:VEVENT\r\n"
                              "BEGIN:VEVENT\r\nUID:b\r\nDTSTART:20261123T090000\r\n"
                              "RRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR\r\n"
                              "SUMMARY:Reuni\xC3\xB3n de equipo\r\nEND:VEVENT\r\n"
                              "BEGIN:VEVENT\r\nUID:c\r\nDTSTART;VALUE=DATE:20261015\r\n"
                              "RRULE:FREQ=MONTHLY;INTERVAL=2\r\nSUMMARY:Riego\r\nEND:VEVENT\r\n"
                              "BEGIN:VEVENT\r\nUID:d\r\nDTSTART;VALUE=DATE:20951030\r\n"
                              "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nSUMMARY:Cambio de hora\r\n"
                              "END:VEVENT\r\nEND:VCALENDAR\r\n")
                << false << Files() << days
                << QStringList{
                       QStringLiteral("«Diario, 1 de ENERO de 2020»: se repite cada día: importadas 1000 "
                                      "fechas hasta el 26 de septiembre de 2022"),
                       QStringLiteral("«Reunión de equipo, 23 de NOVIEMBRE de 2026»: se repite cada semana: "
                                      "importadas %1 fechas hasta el 8 de diciembre de 2028")
                           .arg(weekdays),
                       QStringLiteral("«Riego, 15 de OCTUBRE de 2026»: se repite cada 2 meses: importadas 13 "
                                      "fechas hasta el 8 de diciembre de 2028")};
        }
        QTest::newRow("every occurrence is read: DTSTART off the rule, RDATE periods, two rules, long events")
            << "ocurrencias.ics"
            << QByteArray(
                   "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                   "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20240103\r\n"
                   "RRULE:FREQ=WEEKLY;BYDAY=MO;UNTIL=20240116\r\nSUMMARY:Lunes\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20240210\r\n"
                   "RRULE:FREQ=DAILY;UNTIL=20240201\r\nSUMMARY:Hasta antes\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:c\r\nDTSTART:20240301T100000Z\r\nDURATION:PT1H\r\n"
                   "RDATE;VALUE=PERIOD:20240305T100000Z/PT1H,20240307T100000Z/20240307T110000Z\r\n"
                   "SUMMARY:Curso\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:d\r\nDTSTART;VALUE=DATE:20240401\r\n"
                   "RRULE:FREQ=WEEKLY;UNTIL=20240408\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=20;UNTIL=20240430\r\n"
                   "SUMMARY:Dos reglas\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:e\r\nDTSTART:20240510T200000Z\r\nDTEND:20240512T080000Z\r\n"
                   "SUMMARY:Viaje\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:f\r\nDTSTART;VALUE=DATE:20240603\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\n"
                   "SUMMARY:Clase\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:f\r\nRECURRENCE-ID:20240610T000000\r\n"
                   "DTSTART;VALUE=DATE:20240612\r\nSUMMARY:Clase movida\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:g\r\nDTSTART;VALUE=DATE:20240701\r\nRDATE;VALUE=DATE:21050101\r\n"
                   "SUMMARY:Lejano\r\nEND:VEVENT\r\n"
                   "END:VCALENDAR\r\n")
            << false << Files()
            << Files{{"recordatorionoanual/3 de ENERO de 2024.txt", "Lunes"},
                     {"recordatorionoanual/8 de ENERO de 2024.txt", "Lunes"},
                     {"recordatorionoanual/15 de ENERO de 2024.txt", "Lunes"},
                     {"recordatorionoanual/10 de FEBRERO de 2024.txt", "Hasta antes"},
                     {"recordatorionoanual/1 de MARZO de 2024.txt", "11:00 Curso"},
                     {"recordatorionoanual/5 de MARZO de 2024.txt", "11:00 Curso"},
                     {"recordatorionoanual/7 de MARZO de 2024.txt", "11:00 Curso"},
                     {"recordatorionoanual/1 de ABRIL de 2024.txt", "Dos reglas"},
                     {"recordatorionoanual/8 de ABRIL de 2024.txt", "Dos reglas"},
                     {"recordatorionoanual/20 de ABRIL de 2024.txt", "Dos reglas"},
                     {"recordatorionoanual/10 de MAYO de 2024.txt", "22:00 Viaje"},
                     {"recordatorionoanual/11 de MAYO de 2024.txt", "Viaje"},
                     {"recordatorionoanual/12 de MAYO de 2024.txt", "Viaje"},
                     {"recordatorionoanual/3 de JUNIO de 2024.txt", "Clase"},
                     {"recordatorionoanual/12 de JUNIO de 2024.txt", "Clase movida"},
                     {"recordatorionoanual/17 de JUNIO de 2024.txt", "Clase"},
                     {"recordatorionoanual/1 de JULIO de 2024.txt", "Lejano"}}
            << QStringList{
                   QStringLiteral("«Lejano, 1 de JULIO de 2024»: 1 fecha fuera de los años 1901 a 2100")};
        QTest::newRow("a malformed date leaves out its event only, never read as another day")
            << "fechas-rotas.ics"
            << QByteArray(
                   "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                   "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:2026052X\r\nSUMMARY:Roto\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20240315\r\nRRULE:FREQ=YEARLY\r\n"
                   "RDATE;VALUE=DATE:2024031\r\nSUMMARY:Cumplea\xC3\xB1os de Luis\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:c\r\nDTSTART;VALUE=DATE:20241345\r\nSUMMARY:Mes 13\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:d\r\nDTSTART:ma\xC3\xB1"
                   "ana\r\nSUMMARY:Ma\xC3\xB1"
                   "ana\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:e\r\nDTSTART;VALUE=DATE:20240402\r\nRRULE:FREQ=CADA\r\n"
                   "SUMMARY:Sin regla\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:f\r\nDTSTART;VALUE=DATE:20240520\r\nSUMMARY:Bueno\r\nEND:VEVENT\r\n"
                   "END:VCALENDAR\r\n")
            << false << Files() << Files{{"recordatorionoanual/20 de MAYO de 2024.txt", "Bueno"}}
            << QStringList{
                   QStringLiteral("«Roto»: fecha no válida en DTSTART: 2026052X"),
                   QStringLiteral("«Cumpleaños de Luis, 15 de MARZO de 2024»: fecha no válida en RDATE: "
                                  "2024031"),
                   QStringLiteral("«Mes 13»: fecha no válida en DTSTART: 20241345"),
                   QStringLiteral("«Mañana»: fecha no válida en DTSTART: mañana"),
                   QStringLiteral("«Sin regla, 2 de ABRIL de 2024»: regla de repetición no válida: "
                                  "FREQ=CADA")};
        QTest::newRow("a time in the spring-forward gap goes forward; a floating one keeps its time")
            << "cambio-de-hora.ics"
            << QByteArray(
                   "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                   "BEGIN:VTIMEZONE\r\nTZID:Europe/Madrid\r\n"
                   "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nTZNAME:CEST\r\n"
                   "DTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
                   "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\n"
                   "DTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
                   "END:VTIMEZONE\r\n"
                   "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;TZID=Europe/Madrid:20260328T023000\r\n"
                   "RRULE:FREQ=DAILY;COUNT=3\r\nSUMMARY:Pastilla\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:b\r\nDTSTART:20260329T023000\r\nSUMMARY:Flotante\r\nEND:VEVENT\r\n"
                   "END:VCALENDAR\r\n")
            << false << Files()
            << Files{{"recordatorionoanual/28 de MARZO de 2026.txt", "02:30 Pastilla"},
                     {"recordatorionoanual/29 de MARZO de 2026.txt", "03:30 Pastilla\r\n02:30 Flotante"},
                     {"recordatorionoanual/30 de MARZO de 2026.txt", "02:30 Pastilla"}}
            << QStringList();
        {
            // The "same day in several years" rule is for holiday feeds of single dated events.
            Files days;
            for (QDate d(2024, 12, 30); d <= QDate(2026, 1, 2); d = d.addDays(1)) {
                if (d.dayOfWeek() <= 5)
                    days.insert(QStringLiteral("recordatorionoanual/%1.txt").arg(datedKey(d)), "Oficina");
            }
            QTest::newRow("a weekday series imported as holidays keeps its dates")
                << "laborables.ics"
                << QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                              "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20241230\r\n"
                              "RRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;UNTIL=20260102\r\n"
                              "SUMMARY:Oficina\r\nCATEGORIES:Holiday\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
                << true << Files() << days << QStringList();
        }
        QTest::newRow("start and end in different zones: the days between the two instants")
            << "vuelos.ics"
            << QByteArray(
                   "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                   "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;TZID=Asia/Tokyo:20261201T220000\r\n"
                   "DTEND;TZID=Europe/Madrid:20261202T050000\r\nSUMMARY:Vuelo a Madrid\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;TZID=America/New_York:20261203T100000\r\n"
                   "DTEND;TZID=Asia/Tokyo:20261204T060000\r\nSUMMARY:Vuelo a Tokio\r\nEND:VEVENT\r\n"
                   "END:VCALENDAR\r\n")
            << false << Files()
            << Files{{"recordatorionoanual/1 de DICIEMBRE de 2026.txt", "14:00 Vuelo a Madrid"},
                     {"recordatorionoanual/2 de DICIEMBRE de 2026.txt", "Vuelo a Madrid"},
                     {"recordatorionoanual/3 de DICIEMBRE de 2026.txt", "16:00 Vuelo a Tokio"}}
            << QStringList();
        QTest::newRow("longer than a year, however it is written")
            << "largos.ics"
            << QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                          "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20240105\r\nDURATION:P24856D\r\n"
                          "SUMMARY:Largo\r\nEND:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:b\r\nDTSTART:20240105T100000Z\r\n"
                          "DURATION:P999999999999999999W\r\nSUMMARY:Eterno\r\nEND:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:c\r\nDTSTART;VALUE=DATE:20240105\r\n"
                          "DTEND;VALUE=DATE:20960105\r\nSUMMARY:Setenta y dos a\xC3\xB1os\r\nEND:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:d\r\nDTSTART;VALUE=DATE:20240106\r\nDURATION:P1D\r\n"
                          "SUMMARY:Corto\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
            << false << Files() << Files{{"recordatorionoanual/6 de ENERO de 2024.txt", "Corto"}}
            << QStringList{QStringLiteral("«Largo, 5 de ENERO de 2024»: dura más de un año"),
                           QStringLiteral("«Eterno, 5 de ENERO de 2024»: dura más de un año"),
                           QStringLiteral("«Setenta y dos años, 5 de ENERO de 2024»: dura más de un año")};
        // An item left out is named by its text as it would be stored: the first line of its DESCRIPTION
        // when it has no SUMMARY.
        QTest::newRow("items left out are named by their text")
            << "sin-resumen.ics"
            << QByteArray(
                   "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                   "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:2026052X\r\n"
                   "DESCRIPTION:Cita con\\nel m\xC3\xA9"
                   "dico\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20240105\r\n"
                   "RRULE:FREQ=WEEKLY;BYDAY=XX\r\nSUMMARY:Clase\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:c\r\nDTSTART;VALUE=DATE:20240105\r\nRRULE:FREQ=WEEKLY;BYDAY=XX\r\n"
                   "DESCRIPTION:Gimnasio\\nlunes\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
            << false << Files() << Files()
            << QStringList{QStringLiteral("«Cita con»: fecha no válida en DTSTART: 2026052X"),
                           QStringLiteral("«Clase»: valor no válido en RRULE"),
                           QStringLiteral("«Gimnasio»: valor no válido en RRULE")};
        {
            // A large calendar is given to libical in parts: a moved occurrence far from its series, and a
            // zone defined after the event that names it, are still read with them.
            QByteArray big = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                             "BEGIN:VEVENT\r\nUID:serie\r\nDTSTART;VALUE=DATE:20240603\r\n"
                             "RRULE:FREQ=WEEKLY;COUNT=3\r\nSUMMARY:Clase\r\nEND:VEVENT\r\n"
                             "BEGIN:VEVENT\r\nUID:zona\r\nDTSTART;TZID=Tokio:20240701T090000\r\n"
                             "SUMMARY:Llamada\r\nEND:VEVENT\r\n";
            for (int i = 0; i < 90000; ++i)
                big += "BEGIN:VEVENT\r\nUID:r" + QByteArray::number(i) +
                       "\r\nDTSTART;VALUE=DATE:20240801\r\nSUMMARY:Relleno\r\nEND:VEVENT\r\n";
            big += "BEGIN:VEVENT\r\nUID:serie\r\nRECURRENCE-ID;VALUE=DATE:20240610\r\n"
                   "DTSTART;VALUE=DATE:20240612\r\nSUMMARY:Clase movida\r\nEND:VEVENT\r\n"
                   "BEGIN:VTODO\r\nUID:t\r\nSUMMARY:Tarea\r\nEND:VTODO\r\n"
                   "BEGIN:VTIMEZONE\r\nTZID:Tokio\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
                   "TZOFFSETFROM:+0900\r\nTZOFFSETTO:+0900\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
                   "END:VCALENDAR\r\n";
            QTest::newRow("a calendar of several MB read in parts")
                << "grande.ics" << big << false << Files()
                << Files{{"recordatorionoanual/3 de JUNIO de 2024.txt", "Clase"},
                         {"recordatorionoanual/12 de JUNIO de 2024.txt", "Clase movida"},
                         {"recordatorionoanual/17 de JUNIO de 2024.txt", "Clase"},
                         {"recordatorionoanual/1 de JULIO de 2024.txt", "02:00 Llamada"},
                         {"recordatorionoanual/1 de AGOSTO de 2024.txt", "Relleno"}}
                << QStringList{QStringLiteral("1 tarea (VTODO): la agenda no guarda tareas")};
        }
        QTest::newRow("phone vCard 2.1: quoted-printable, charsets, a photo, a surname already taken")
            << "telefono-2.1.vcf" << testFile(QStringLiteral("telefono-2.1.vcf")) << false
            << Files{{"direcciones/Todos/Mart\xC3\xADnez",
                      "Mart\xC3\xADnez\r\nPedro\r\n\r\n\r\n\r\n\r\n\r\n"}}
            << Files{{"direcciones/Todos/Mart\xC3\xADnez",
                      "Mart\xC3\xADnez\r\nPedro\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Importados/Mart\xC3\xADnez (2)",
                      utf8(
                          "Martínez (2)\r\nJosé\r\nCalle Mayor, 5\r\n29001 Málaga\r\n600111222, 915551234\r\n"
                          "jose@example.com\r\nPrimera línea\r\nSegunda línea con un texto bastante largo "
                          "que el "
                          "teléfono parte\r\nPaís: España\r\n")},
                     {"direcciones/Todos/Mart\xC3\xADnez (2)",
                      utf8(
                          "Martínez (2)\r\nJosé\r\nCalle Mayor, 5\r\n29001 Málaga\r\n600111222, 915551234\r\n"
                          "jose@example.com\r\nPrimera línea\r\nSegunda línea con un texto bastante largo "
                          "que el "
                          "teléfono parte\r\nPaís: España\r\n")},
                     {"direcciones/Importados/Pe\xC3\xB1"
                      "a",
                      utf8("Peña\r\nLucía\r\n\r\n\r\n+34 611 222 333\r\n\r\n\r\n")},
                     {"direcciones/Todos/Pe\xC3\xB1"
                      "a",
                      utf8("Peña\r\nLucía\r\n\r\n\r\n+34 611 222 333\r\n\r\n\r\n")},
                     {"direcciones/Importados/Mam\xC3\xA1",
                      utf8("Mamá\r\n\r\n\r\n\r\n600000000\r\n\r\n\r\n")},
                     {"direcciones/Todos/Mam\xC3\xA1", utf8("Mamá\r\n\r\n\r\n\r\n600000000\r\n\r\n\r\n")}}
            << QStringList{QStringLiteral("«Martínez»: la foto no se importa")};
        QTest::newRow("vdirsyncer address book in one file; cards with only a formatted name")
            << "libreta.vcf"
            << utf8("BEGIN:VADDRESSBOOK\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:a1\r\nFN:Solo Nombre\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:a2\r\nFN:Otro Nombre\r\nN:;Otro;;;\r\nEND:VCARD\r\n"
                    "END:VADDRESSBOOK\r\n")
            << false << Files()
            << Files{{"direcciones/Importados/Solo Nombre", "Solo Nombre\r\n\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Todos/Solo Nombre", "Solo Nombre\r\n\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Importados/Otro Nombre", "Otro Nombre\r\n\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Todos/Otro Nombre", "Otro Nombre\r\n\r\n\r\n\r\n\r\n\r\n\r\n"}}
            << QStringList();
        // What has no field of its own goes into the reference, below the card's note.
        QTest::newRow("a card holding more than the seven fields")
            << "vidal.vcf"
            << utf8("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Vidal;Luis;;;\r\nFN:Luis Vidal\r\n"
                    "ORG:Talleres Vidal;Ventas\r\nTITLE:Gerente\r\nTEL;TYPE=CELL:600\r\nTEL;TYPE=HOME:900\r\n"
                    "TEL;TYPE=WORK:910\r\nEMAIL:a@b.es\r\nEMAIL:c@d.es\r\n"
                    "ADR;TYPE=HOME:;;Calle Sol 2;Sevilla;Andalucía;41001;España\r\n"
                    "ADR;TYPE=WORK:;;Polígono 3;Dos Hermanas;;41700;España\r\n"
                    "URL:https://vidal.es\r\nBDAY:1970-05-04\r\nNOTE:Cliente antiguo\r\n"
                    "PHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nORG:Farmacia Luz\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nORG:Talleres Sol;Ventas\r\nEND:VCARD\r\n")
            << false << Files()
            << Files{{"direcciones/Importados/Vidal",
                      utf8("Vidal\r\nLuis\r\nCalle Sol 2\r\n41001 Sevilla\r\n600, 900, 910\r\na@b.es, "
                           "c@d.es\r\n"
                           "Cliente antiguo\r\nEmpresa: Talleres Vidal, Ventas\r\nCargo: Gerente\r\n"
                           "Provincia: Andalucía\r\nPaís: España\r\n"
                           "Otra dirección: Polígono 3, 41700 Dos Hermanas, España\r\nWeb: "
                           "https://vidal.es\r\n"
                           "Cumpleaños: 1970-05-04\r\n")},
                     {"direcciones/Todos/Vidal",
                      utf8("Vidal\r\nLuis\r\nCalle Sol 2\r\n41001 Sevilla\r\n600, 900, 910\r\na@b.es, "
                           "c@d.es\r\n"
                           "Cliente antiguo\r\nEmpresa: Talleres Vidal, Ventas\r\nCargo: Gerente\r\n"
                           "Provincia: Andalucía\r\nPaís: España\r\n"
                           "Otra dirección: Polígono 3, 41700 Dos Hermanas, España\r\nWeb: "
                           "https://vidal.es\r\n"
                           "Cumpleaños: 1970-05-04\r\n")},
                     {"direcciones/Importados/Farmacia Luz", "Farmacia Luz\r\n\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Todos/Farmacia Luz", "Farmacia Luz\r\n\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Importados/Talleres Sol",
                      "Talleres Sol\r\n\r\n\r\n\r\n\r\n\r\nEmpresa: Talleres Sol, Ventas\r\n"},
                     {"direcciones/Todos/Talleres Sol",
                      "Talleres Sol\r\n\r\n\r\n\r\n\r\n\r\nEmpresa: Talleres Sol, Ventas\r\n"}}
            << QStringList{QStringLiteral("«Vidal»: la foto no se importa")};
        // Names the Windows machines sharing the folder could not open are cleaned, and the summary says so.
        QTest::newRow("surnames Windows cannot keep")
            << "nombres.vcf"
            << utf8("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Doe.;John;;;\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Ruiz ;Eva;;;\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Lo\xE2\x80\x8Bpez\xE2\x80\xAE;Ana;;;\r\nEND:VCARD\r\n")
            << false << Files()
            << Files{{"direcciones/Importados/Doe", "Doe\r\nJohn\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Todos/Doe", "Doe\r\nJohn\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Importados/Ruiz", "Ruiz\r\nEva\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Todos/Ruiz", "Ruiz\r\nEva\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Importados/Lopez", "Lopez\r\nAna\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Todos/Lopez", "Lopez\r\nAna\r\n\r\n\r\n\r\n\r\n\r\n"}}
            << QStringList{QStringLiteral("«Doe.»: guardado como «Doe»: en Windows un nombre de archivo no "
                                          "puede terminar en punto ni en blanco"),
                           QStringLiteral("«Ruiz »: guardado como «Ruiz»: en Windows un nombre de archivo no "
                                          "puede terminar en punto ni en blanco"),
                           QStringLiteral("«Lo\u200Bpez\u202E»: guardado como «Lopez»: tiene caracteres "
                                          "invisibles o que cambian la dirección del texto")};
        // A phone that lists a person twice (two accounts): the second card adds to the first, as a card
        // adds to a contact already in the folder.
        QTest::newRow("two cards of one person in one file")
            << "duplicados.vcf"
            << utf8("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Pérez;Ana;;;\r\nTEL:600111222\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Pérez;Ana;;;\r\nTEL:600111222\r\n"
                    "EMAIL:ana@correo.es\r\nADR:;;Calle Mayor 1;León;;24001;\r\nNOTE:Vecina\r\nEND:VCARD\r\n")
            << false << Files()
            << Files{{"direcciones/Importados/P\xC3\xA9rez",
                      utf8("Pérez\r\nAna\r\nCalle Mayor 1\r\n24001 "
                           "León\r\n600111222\r\nana@correo.es\r\nVecina\r\n")},
                     {"direcciones/Todos/P\xC3\xA9rez",
                      utf8("Pérez\r\nAna\r\nCalle Mayor 1\r\n24001 "
                           "León\r\n600111222\r\nana@correo.es\r\nVecina\r\n")}}
            << QStringList();
        // What no file name may hold becomes a character that looks the same; a card with only a company is
        // stored under it.
        QTest::newRow("names holding characters no file name may hold")
            << "caracteres.vcf"
            << utf8("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Pérez \"Pepe\";Juan;;;\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bar/Restaurante El Puerto\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nORG:Taller: Reparaciones Rápidas\r\nEND:VCARD\r\n")
            << false << Files()
            << Files{{"direcciones/Importados/Pérez “Pepe”",
                      utf8("Pérez “Pepe”\r\nJuan\r\n\r\n\r\n\r\n\r\n\r\n")},
                     {"direcciones/Todos/Pérez “Pepe”", utf8("Pérez “Pepe”\r\nJuan\r\n\r\n\r\n\r\n\r\n\r\n")},
                     {"direcciones/Importados/Bar∕Restaurante El Puerto",
                      utf8("Bar∕Restaurante El Puerto\r\n\r\n\r\n\r\n\r\n\r\n\r\n")},
                     {"direcciones/Todos/Bar∕Restaurante El Puerto",
                      utf8("Bar∕Restaurante El Puerto\r\n\r\n\r\n\r\n\r\n\r\n\r\n")},
                     {"direcciones/Importados/Taller꞉ Reparaciones Rápidas",
                      utf8("Taller꞉ Reparaciones Rápidas\r\n\r\n\r\n\r\n\r\n\r\n\r\n")},
                     {"direcciones/Todos/Taller꞉ Reparaciones Rápidas",
                      utf8("Taller꞉ Reparaciones Rápidas\r\n\r\n\r\n\r\n\r\n\r\n\r\n")}}
            << QStringList{
                   QStringLiteral("«Pérez \"Pepe\"»: guardado como «Pérez “Pepe”»: un nombre de archivo no "
                                  "admite «\"»"),
                   QStringLiteral("«Bar/Restaurante El Puerto»: guardado como «Bar∕Restaurante El Puerto»: "
                                  "un nombre de archivo no admite «/»"),
                   QStringLiteral("«Taller: Reparaciones Rápidas»: guardado como «Taller꞉ Reparaciones "
                                  "Rápidas»: un nombre de archivo no admite «:»")};
        // A damaged item is left out with its reason; the rest of the file is imported.
        QTest::newRow("an event holding a NUL")
            << "nul.ics"
            << QByteArray(
                   "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                   "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20240105\r\nSUMMARY:Sano\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20240106\r\nSUMMARY:Roto\r\nDESCRIPTION:a") +
                   '\0' +
                   QByteArray(
                       "b\x1b\r\nEND:VEVENT\r\n"
                       "BEGIN:VEVENT\r\nUID:c\r\nDTSTART;VALUE=DATE:20240107\r\nSUMMARY:Tambi\xC3\xA9n "
                       "sano\tcon tabulador\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
            << false << Files()
            << Files{{"recordatorionoanual/5 de ENERO de 2024.txt", "Sano"},
                     {"recordatorionoanual/7 de ENERO de 2024.txt", utf8("También sano\tcon tabulador")}}
            << QStringList{QStringLiteral("«Roto, 6 de ENERO de 2024»: contiene un carácter de control "
                                          "(U+0000), que el formato no admite")};
        QTest::newRow("a card holding a NUL")
            << "nul.vcf"
            << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ana Sanz\r\nN:Sanz;Ana;;;\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Rota\r\nN:Rota;;;;\r\nNOTE:a") +
                   '\0' +
                   QByteArray("b\r\nEND:VCARD\r\n"
                              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Vidal;Luis;;;\r\nEND:VCARD\r\n")
            << false << Files()
            << Files{{"direcciones/Importados/Sanz", "Sanz\r\nAna\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Todos/Sanz", "Sanz\r\nAna\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Importados/Vidal", "Vidal\r\nLuis\r\n\r\n\r\n\r\n\r\n\r\n"},
                     {"direcciones/Todos/Vidal", "Vidal\r\nLuis\r\n\r\n\r\n\r\n\r\n\r\n"}}
            << QStringList{QStringLiteral(
                   "tarjeta 2 («Rota»): contiene un carácter de control (U+0000), que el formato no admite")};
    }
    void realWorldFiles() {
        QFETCH(QString, name);
        QFETCH(QByteArray, input);
        QFETCH(bool, asHolidays);
        QFETCH(Files, before);
        QFETCH(Files, after);
        QFETCH(QStringList, skipped);
        QVERIFY(!input.isEmpty());
        QTemporaryDir folder;
        writeFiles(folder.path(), before);
        const DataFolder data(folder.path());
        const bool vcard = name.endsWith(QLatin1String(".vcf"));
        const auto import = [&] {
            return vcard ? importVcfBytes(data, input, name)
                         : importIcsBytes(data, input, name, madrid(asHolidays));
        };
        const ExchangeResult result = import();
        QVERIFY2(result.exitCode() == 0, qPrintable(result.summary()));
        QCOMPARE(result.skipped + result.changed, skipped);
        QCOMPARE(snapshot(folder.path()), after);
        // Importing the same file again changes nothing.
        const ExchangeResult again = import();
        QCOMPARE(again.holidays.added + again.reminders.added + again.notes.added + again.contacts.added +
                     again.contacts.updated,
                 0);
        QCOMPARE(snapshot(folder.path()), after);
    }

    // Exported cards carry a UID of this folder, the same for a contact's copy in its category and in
    // "Todos", and the time of its file; the " (2)" of a second Doe is only its file's name. Such a card,
    // coming back from a phone after the contact was edited here, finds its contact instead of adding one.
    void exportedCardsComeBackToTheirContact_data() {
        QTest::addColumn<QByteArray>("phone"); // what the phone sends back, %UID1% and %UID2% replaced
        QTest::addColumn<Files>("after");
        QTest::addColumn<int>("added");
        QTest::addColumn<QStringList>("changed");
        const QByteArray jane = "Doe (2)\r\nJane\r\n\r\n\r\n600222222\r\n\r\n\r\n";
        QTest::newRow("the phone keeps our UIDs")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%UID1%\r\nN:Doe;John;;;\r\nTEL:600111111\r\n"
                          "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nUID:%UID2%\r\nN:Doe;Jane;;;\r\n"
                          "TEL:600222222\r\nEND:VCARD\r\n")
            << Files{{"Amigos/Doe", "Doe\r\nJohn\r\n\r\n\r\n699999999 / 600111111\r\njohn@doe.es\r\n\r\n"},
                     {"Todos/Doe", "Doe\r\nJohn\r\n\r\n\r\n699999999 / 600111111\r\njohn@doe.es\r\n\r\n"},
                     {"Amigos/Doe (2)", jane},
                     {"Todos/Doe (2)", jane}}
            << 0 << QStringList();
        QTest::newRow("no UID: the same full name and a shared e-mail")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;John;;;\r\nTEL:600111111\r\n"
                          "EMAIL:john@doe.es\r\nEND:VCARD\r\n")
            << Files{{"Amigos/Doe", "Doe\r\nJohn\r\n\r\n\r\n699999999 / 600111111\r\njohn@doe.es\r\n\r\n"},
                     {"Todos/Doe", "Doe\r\nJohn\r\n\r\n\r\n699999999 / 600111111\r\njohn@doe.es\r\n\r\n"},
                     {"Amigos/Doe (2)", jane},
                     {"Todos/Doe (2)", jane}}
            << 0 << QStringList();
        QTest::newRow("no UID, the same full name, nothing shared: another person")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;John;;;\r\nTEL:611000000\r\nEND:VCARD\r\n")
            << Files{{"Amigos/Doe", "Doe\r\nJohn\r\n\r\n\r\n699999999\r\njohn@doe.es\r\n\r\n"},
                     {"Todos/Doe", "Doe\r\nJohn\r\n\r\n\r\n699999999\r\njohn@doe.es\r\n\r\n"},
                     {"Amigos/Doe (2)", jane},
                     {"Todos/Doe (2)", jane},
                     {"Amigos/Doe (3)", "Doe (3)\r\nJohn\r\n\r\n\r\n611000000\r\n\r\n\r\n"},
                     {"Todos/Doe (3)", "Doe (3)\r\nJohn\r\n\r\n\r\n611000000\r\n\r\n\r\n"}}
            << 1 << QStringList();
        QTest::newRow("the phone renamed the contact: it keeps its name here")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%UID1%\r\nN:Smith;John;;;\r\nTEL:600111111\r\n"
                          "END:VCARD\r\n")
            << Files{{"Amigos/Doe", "Doe\r\nJohn\r\n\r\n\r\n699999999 / 600111111\r\njohn@doe.es\r\n\r\n"},
                     {"Todos/Doe", "Doe\r\nJohn\r\n\r\n\r\n699999999 / 600111111\r\njohn@doe.es\r\n\r\n"},
                     {"Amigos/Doe (2)", jane},
                     {"Todos/Doe (2)", jane}}
            << 0
            << QStringList{
                   QStringLiteral("«Smith»: es el contacto «Doe» (por su UID) y se guarda con ese nombre")};
    }
    void exportedCardsComeBackToTheirContact() {
        QFETCH(QByteArray, phone);
        QFETCH(Files, after);
        QFETCH(int, added);
        QFETCH(QStringList, changed);
        QTemporaryDir folder;
        QTemporaryDir out;
        const DataFolder data(folder.path());
        const QDateTime saved(QDate(2026, 12, 8), QTime(10, 15), Qt::UTC);
        for (const QString& category : {QStringLiteral("Amigos"), folders::allContacts}) {
            QDir().mkpath(data.categoryFolder(category));
            QVERIFY(writeContactCard(data.contactFile(category, QStringLiteral("Doe")),
                                     {QStringLiteral("Doe"),
                                      QStringLiteral("John"),
                                      {},
                                      {},
                                      QStringLiteral("600111111"),
                                      QStringLiteral("john@doe.es"),
                                      {}}));
            QVERIFY(writeContactCard(data.contactFile(category, QStringLiteral("Doe (2)")),
                                     {QStringLiteral("Doe (2)"),
                                      QStringLiteral("Jane"),
                                      {},
                                      {},
                                      QStringLiteral("600222222"),
                                      {},
                                      {}}));
            QFile card(data.contactFile(category, QStringLiteral("Doe")));
            QVERIFY(card.open(QIODevice::ReadWrite));
            QVERIFY(card.setFileTime(saved, QFileDevice::FileModificationTime));
        }
        const auto exported = [&](const DataFolder& from, const QString& category) {
            const QString file = out.filePath(category + QStringLiteral(".vcf"));
            const ExchangeResult result = exportVcf(from, file, category);
            QFile read(file);
            return result.exitCode() == 0 && read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
        };
        const QByteArray friends = exported(data, QStringLiteral("Amigos"));
        const QByteArray all = exported(data, folders::allContacts);
        const QRegularExpression uid(QStringLiteral("\r\nUID:([^\r]+)\r\n"));
        QStringList uids;
        for (auto it = uid.globalMatch(QString::fromUtf8(friends)); it.hasNext();)
            uids.append(it.next().captured(1));
        QCOMPARE(uids.size(), 2);
        QVERIFY(uids.at(0) != uids.at(1));
        QVERIFY(all.contains("\r\nUID:" + uids.at(0).toUtf8() + "\r\n"));
        QVERIFY(all.contains("\r\nUID:" + uids.at(1).toUtf8() + "\r\n"));
        QCOMPARE(exported(data, QStringLiteral("Amigos")), friends);
        QVERIFY(friends.contains("\r\nN:Doe;Jane;;;\r\n"));
        QVERIFY(friends.contains("\r\nFN:Jane Doe\r\n"));
        QVERIFY(friends.contains("\r\nREV:20261208T101500Z\r\n"));
        // Another agenda gives its own.
        QTemporaryDir other;
        QDir().mkpath(DataFolder(other.path()).categoryFolder(folders::allContacts));
        QVERIFY(writeContactCard(
            DataFolder(other.path()).contactFile(folders::allContacts, QStringLiteral("Doe")),
            {QStringLiteral("Doe"), QStringLiteral("John"), {}, {}, {}, {}, {}}));
        QVERIFY(!exported(DataFolder(other.path()), folders::allContacts).contains(uids.at(0).toUtf8()));

        // Edited here meanwhile.
        for (const QString& category : {QStringLiteral("Amigos"), folders::allContacts})
            QVERIFY(writeContactCard(data.contactFile(category, QStringLiteral("Doe")),
                                     {QStringLiteral("Doe"),
                                      QStringLiteral("John"),
                                      {},
                                      {},
                                      QStringLiteral("699999999"),
                                      QStringLiteral("john@doe.es"),
                                      {}}));
        phone.replace("%UID1%", uids.at(0).toUtf8());
        phone.replace("%UID2%", uids.at(1).toUtf8());
        const ExchangeResult result =
            importVcfBytes(data, phone, QStringLiteral("telefono.vcf"), QStringLiteral("Amigos"));
        QVERIFY2(result.exitCode() == 0, qPrintable(result.summary()));
        QCOMPARE(result.contacts.added, added);
        QCOMPARE(result.changed, changed);
        QCOMPARE(snapshot(data.folder(folders::addressBook)), after);
        const ExchangeResult again =
            importVcfBytes(data, phone, QStringLiteral("telefono.vcf"), QStringLiteral("Amigos"));
        QCOMPARE(again.contacts.added, 0);
        QCOMPARE(snapshot(data.folder(folders::addressBook)), after);
    }

    // A stray control character in a note or card (a NUL from a damaged copy) never reaches an exported
    // file, which is then read back whole: every item comes back, without it.
    void controlCharactersAreNotExported_data() {
        QTest::addColumn<bool>("contacts");
        QTest::newRow("calendar") << false;
        QTest::newRow("contacts") << true;
    }
    void controlCharactersAreNotExported() {
        QFETCH(bool, contacts);
        QTemporaryDir from;
        QTemporaryDir to;
        QTemporaryDir out;
        const DataFolder source(from.path());
        const DataFolder target(to.path());
        const QString file = out.filePath(contacts ? QStringLiteral("a.vcf") : QStringLiteral("a.ics"));
        QString damaged;
        QByteArray expected;
        if (contacts) {
            fillContacts(source);
            damaged = QStringLiteral("direcciones/Amigos/Rota");
            writeFiles(from.path(),
                       {{damaged, raw("Ro\0ta\r\nAna\x1b\r\n\r\n\r\n\r\n\r\nuna\tnota\x7f\r\n")}});
            expected = "Rota\r\nAna\r\n\r\n\r\n\r\n\r\nuna\tnota\r\n";
        } else {
            fillCalendar(source);
            damaged = QStringLiteral("fiestas/8 de DICIEMBRE.txt");
            writeFiles(from.path(), {{damaged, raw("Inma\0culada\x01\r\n")}});
            expected = "Inmaculada\r\n";
        }
        const ExchangeResult exported =
            contacts ? exportVcf(source, file, QStringLiteral("Amigos")) : exportIcs(source, file, true);
        QCOMPARE(exported.exitCode(), 0);
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        for (const char c : bytes)
            QVERIFY2(uchar(c) >= 0x20 ? c != 0x7F : c == '\t' || c == '\r' || c == '\n', bytes.constData());
        const ExchangeResult imported =
            contacts ? importVcf(target, file, QStringLiteral("Amigos")) : importIcs(target, file, madrid());
        QVERIFY2(imported.exitCode() == 0, qPrintable(imported.summary()));
        QCOMPARE(imported.skipped, QStringList());
        QCOMPARE(snapshot(to.path()).value(damaged), expected);
        // Every card in "Amigos" and "Todos"; every day but 29 February 2100 and the emptied note.
        QCOMPARE(snapshot(to.path()).size(), contacts ? 8 : 9);
    }

    // A day or card that could not be written is listed as such and never counted as added.
    void failedWritesAreNotCounted_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("blocked"); // made folders, so nothing can be written there
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("failures");
        QTest::newRow("calendar: a day with two events not written")
            << "a.ics"
            << QByteArray(
                   "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                   "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20240105\r\nSUMMARY:Uno\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20240106\r\nSUMMARY:Dos\r\nEND:VEVENT\r\n"
                   "BEGIN:VEVENT\r\nUID:c\r\nDTSTART;VALUE=DATE:20240106\r\nSUMMARY:Tres\r\nEND:VEVENT\r\n"
                   "END:VCALENDAR\r\n")
            << QStringList{"recordatorionoanual/6 de ENERO de 2024.txt"} << 1 << 1;
        QTest::newRow("cards: neither copy of one card written")
            << "a.vcf"
            << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Sanz;Ana;;;\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Vidal;Luis;;;\r\nEND:VCARD\r\n")
            << QStringList{"direcciones/Importados/Vidal", "direcciones/Todos/Vidal"} << 1 << 2;
        QTest::newRow("cards: nothing written")
            << "a.vcf" << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Vidal;Luis;;;\r\nEND:VCARD\r\n")
            << QStringList{"direcciones/Importados/Vidal", "direcciones/Todos/Vidal"} << 0 << 2;
    }
    void failedWritesAreNotCounted() {
        QFETCH(QString, name);
        QFETCH(QByteArray, input);
        QFETCH(QStringList, blocked);
        QFETCH(int, added);
        QFETCH(int, failures);
        QTemporaryDir folder;
        const DataFolder data(folder.path());
        for (const QString& path : blocked)
            QVERIFY(QDir().mkpath(folder.filePath(path + QStringLiteral("/ocupado"))));
        const ExchangeResult result = name.endsWith(QLatin1String(".vcf"))
                                          ? importVcfBytes(data, input, name)
                                          : importIcsBytes(data, input, name, madrid());
        QCOMPARE(result.exitCode(), 3);
        QCOMPARE(result.holidays.added + result.reminders.added + result.notes.added + result.contacts.added,
                 added);
        QCOMPARE(result.failures.size(), failures);
        QVERIFY(result.summary().contains(QStringLiteral("No se ha podido escribir (%1):").arg(failures)));
        // Why, in the user's language.
        for (const QString& failure : std::as_const(result.failures))
            QVERIFY2(failure.endsWith(QStringLiteral(": es una carpeta")) ||
                         failure.endsWith(QStringLiteral("algo que no es un archivo")),
                     qPrintable(failure));
    }

    // Files that must be refused whole: nothing written, the reason told, exit code 1.
    void brokenFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("reason");
        const QByteArray calendar = testFile(QStringLiteral("thunderbird-exdate.ics"));
        const QByteArray cards = testFile(QStringLiteral("telefono-2.1.vcf"));
        QTest::newRow("calendar cut short") << "a.ics" << calendar.left(calendar.size() / 2) << "cortado";
        QTest::newRow("wrong nesting")
            << "a.ics"
            << QByteArray(
                   "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20240101\r\nSUMMARY:x\r\nEND:VCALENDAR\r\n"
                   "END:VEVENT\r\n")
            << "no cierra";
        QTest::newRow("10 MB of one line")
            << "a.ics" << QByteArray(10 * 1024 * 1024, 'x') << "no es un calendario";
        QTest::newRow("10 MB line inside a calendar")
            << "a.ics"
            << "BEGIN:VCALENDAR\r\nX-A:" + QByteArray(10 * 1024 * 1024, 'x') + "\r\nEND:VCALENDAR\r\n"
            << "demasiado larga";
        // libical frees nested blocks by recursion: 300,000 of them overflow its stack.
        QTest::newRow("300,000 nested blocks")
            << "a.ics"
            << "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20240101\r\nSUMMARY:x\r\nEND:VEVENT\r\n" +
                   QByteArray("BEGIN:X-A\r\n").repeated(300000) + QByteArray("END:X-A\r\n").repeated(300000) +
                   "END:VCALENDAR\r\n"
            << "más de 100 bloques BEGIN anidados";
        QTest::newRow("a picture named .ics")
            << "a.ics" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "no es un archivo de texto";
        QTest::newRow("cards cut short") << "a.vcf" << cards.left(cards.size() - 20) << "cortado";
        QTest::newRow("card inside a card")
            << "a.vcf"
            << QByteArray("BEGIN:VCARD\r\nN:A;;;;\r\nBEGIN:VCARD\r\nN:B;;;;\r\nEND:VCARD\r\nEND:VCARD\r\n")
            << "mal anidado";
        QTest::newRow("10 MB of one line, as cards")
            << "a.vcf" << QByteArray(10 * 1024 * 1024, 'x') << "no es un archivo vCard";
        QTest::newRow("a calendar named .vcf") << "a.vcf" << calendar << "no es un archivo vCard";
    }
    void brokenFiles() {
        QFETCH(QString, name);
        QFETCH(QByteArray, input);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        const DataFolder data(folder.path());
        const ExchangeResult result = name.endsWith(QLatin1String(".vcf"))
                                          ? importVcfBytes(data, input, name)
                                          : importIcsBytes(data, input, name, madrid());
        QCOMPARE(result.exitCode(), 1);
        QVERIFY2(result.summary().startsWith(QStringLiteral("No se ha importado nada")),
                 qPrintable(result.summary()));
        QVERIFY2(result.problem.contains(reason), qPrintable(result.problem));
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    // What we export is read by programs we did not write (Debian's python3-icalendar and python3-vobject).
    void independentParserAccepts() {
        // Debian's own interpreter, where the two packages are installed.
        const QString python = QFile::exists(QStringLiteral("/usr/bin/python3"))
                                   ? QStringLiteral("/usr/bin/python3")
                                   : QStringLiteral("python3");
        QProcess probe;
        probe.start(python, {QStringLiteral("-c"), QStringLiteral("import icalendar, vobject")});
        if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit ||
            probe.exitCode() != 0)
            QSKIP("python3-icalendar and python3-vobject are not installed");
        QTemporaryDir folder;
        const DataFolder data(folder.path());
        fillCalendar(data);
        fillContacts(data);
        const QString ics = folder.filePath(QStringLiteral("agenda.ics"));
        const QString vcf = folder.filePath(QStringLiteral("agenda.vcf"));
        QCOMPARE(exportIcs(data, ics, true).exitCode(), 0);
        QCOMPARE(exportVcf(data, vcf, QStringLiteral("Amigos")).exitCode(), 0);
        const QString script = QStringLiteral(R"(
import sys, icalendar, vobject
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
for c in cal.walk():
    if c.name in ('VEVENT', 'VJOURNAL'):
        print(c.name, c['DTSTART'].dt.isoformat(), c.get('RRULE', {}).get('FREQ', ['-'])[0], c['SUMMARY'], sep='|')
for card in vobject.readComponents(open(sys.argv[2], encoding='utf-8').read()):
    print('VCARD', card.n.value.family, card.fn.value, '+'.join(t.value for t in card.contents.get('tel', [])), sep='|')
)");
        QProcess parser;
        parser.start(python, {QStringLiteral("-c"), script, ics, vcf});
        QVERIFY(parser.waitForFinished(60000));
        QVERIFY2(parser.exitCode() == 0, parser.readAllStandardError().constData());
        const QStringList lines =
            QString::fromUtf8(parser.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(
            lines,
            QStringList(
                {QStringLiteral("VEVENT|2000-01-06|YEARLY|Reyes"),
                 QStringLiteral("VEVENT|2000-02-29|YEARLY|Día bisiesto; fiesta, sólo \\ cada cuatro años"),
                 QStringLiteral("VEVENT|2000-12-25|YEARLY|Navidad"),
                 QStringLiteral("VEVENT|2000-03-03|YEARLY|Cumpleaños de Íñigo: llamar por la mañana y "
                                "comprar un regalo que no sea otra vez una corbata"),
                 QStringLiteral("VEVENT|2012-03-03|-|Revisión del coche"),
                 QStringLiteral("VEVENT|2100-12-31|-|Último día"),
                 QStringLiteral("VJOURNAL|2011-01-05|-|Miércoles: reunión"),
                 QStringLiteral("VJOURNAL|2012-02-29|-|un texto de catorce"),
                 QStringLiteral("VCARD|Núñez|Ana María Núñez|987 000 000+600 000 000"),
                 QStringLiteral("VCARD|O'Brien|O'Brien|600,700"), QStringLiteral("VCARD|Peña|Lucía Peña|")}));
    }

    // A round trip through khal: our export imported by khal into a calendar folder (vdir), what khal wrote
    // there imported back into an empty agenda gives the very same files. khal has no command that exports
    // a whole calendar, so the .ics files it wrote into its vdir (one per event) are what it gives out.
    // Day notes stay home: khal keeps events only.
    void khalRoundTrip() {
        const QString khal = QStandardPaths::findExecutable(QStringLiteral("khal"));
        if (khal.isEmpty())
            QSKIP("khal is not installed");
        QTemporaryDir work;
        const DataFolder source(work.filePath(QStringLiteral("origen")));
        const DataFolder target(work.filePath(QStringLiteral("destino")));
        QVERIFY(QDir().mkpath(source.programFolder()) && QDir().mkpath(target.programFolder()));
        fillCalendar(source);
        int day = 1;
        for (const char* text : {"Comprar pan \nleche\ty huevos", "\ncoma, punto y coma; barra \\ \n"}) {
            QVERIFY(storeDayText(source, DayTextKind::OneYearReminder, QString::number(day++),
                                 QStringLiteral("JUNIO"), QStringLiteral("2027"), QString::fromUtf8(text)));
        }
        const QString exported = work.filePath(QStringLiteral("agenda.ics"));
        QCOMPARE(exportIcs(source, exported, false).exitCode(), 0);

        // khal's configuration, database and everything else stay inside the temporary folder.
        const QString home = work.filePath(QStringLiteral("home"));
        const QString vdir = work.filePath(QStringLiteral("vdir"));
        QVERIFY(QDir().mkpath(home) && QDir().mkpath(vdir));
        const QString config = work.filePath(QStringLiteral("khal.conf"));
        QFile configFile(config);
        QVERIFY(configFile.open(QIODevice::WriteOnly));
        configFile.write("[calendars]\n[[agenda]]\npath = " + vdir.toUtf8() +
                         "\ntype = calendar\n[locale]\nlocal_timezone = Europe/Madrid\n"
                         "default_timezone = Europe/Madrid\n");
        configFile.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
        environment.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Madrid"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(khal,
                      {QStringLiteral("-c"), config, QStringLiteral("import"), QStringLiteral("--batch"),
                       QStringLiteral("-a"), QStringLiteral("agenda"), exported});
        QVERIFY(process.waitForFinished(120000));
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 process.readAllStandardError().constData());

        const QStringList written = QDir(vdir).entryList({QStringLiteral("*.ics")}, QDir::Files, QDir::Name);
        QCOMPARE(written.size(), 8);
        for (const QString& name : written) {
            const ExchangeResult imported = importIcs(target, QDir(vdir).filePath(name), madrid());
            QVERIFY2(imported.exitCode() == 0 && imported.skipped.isEmpty(), qPrintable(imported.summary()));
        }
        Files expected = snapshot(source.programFolder());
        expected.remove(kFolderIdFile);
        expected.remove(QStringLiteral("recordatorionoanual/29 de FEBRERO de 2100.txt"));
        for (const QString& path : expected.keys()) {
            if (path.startsWith(folders::dayNotes + u'/'))
                expected.remove(path);
        }
        QCOMPARE(snapshot(target.programFolder()), expected);
    }

    // The import adds to what each file holds when it is written, not to what it held when the import
    // read it: a text saved meanwhile (in the window, by another machine) stays, and a contact saved under
    // the same name is not replaced.
    void aTextSavedDuringTheImportIsKept_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("one-year reminder") << "reminder";
        QTest::newRow("day note") << "note";
        QTest::newRow("contact") << "contact";
    }
    void aTextSavedDuringTheImportIsKept() {
        QFETCH(QString, kind);
        QTemporaryDir folder;
        const DataFolder data(folder.path());
        QVERIFY(data.createMissingFolders());
        const QDate day(2027, 1, 5);
        const QStringList theirs = {
            QStringLiteral("Pérez"), QStringLiteral("Luis"), {}, {}, QStringLiteral("600 111 222"), {}, {}};
        const QString typed = QStringLiteral("Escrito mientras tanto");
        bool saved = false;
        // Called once the file has been read and checked, before the first write.
        const ExchangeProgress saveMeanwhile = [&](ExchangePhase phase, qsizetype done, qsizetype) {
            if (phase != ExchangePhase::Writing || done != 0 || saved)
                return;
            saved = true;
            if (kind == u"reminder")
                QCOMPARE(storeDayText(data, DayTextKind::OneYearReminder, QStringLiteral("5"),
                                      QStringLiteral("ENERO"), QStringLiteral("2027"), typed),
                         DayTextChange::Written);
            else if (kind == u"note")
                QVERIFY(DayNotes(data).save(dayNoteKey(day), typed));
            else
                QVERIFY(writeContactCard(data.contactFile(kImportedCategory, theirs.first()), theirs));
        };
        ExchangeResult result;
        if (kind == u"contact") {
            const QByteArray card = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ana Pérez\r\nN:Pérez;Ana;;;\r\n"
                                    "TEL:600 999 999\r\nEND:VCARD\r\n";
            result = importVcfBytes(data, card, QStringLiteral("a.vcf"), kImportedCategory, saveMeanwhile);
        } else {
            const QByteArray component = kind == u"note" ? "VJOURNAL" : "VEVENT";
            const QByteArray calendar =
                "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//prueba//ES\r\nBEGIN:" + component +
                "\r\nUID:1\r\nDTSTAMP:20260101T000000Z\r\n"
                "DTSTART;VALUE=DATE:20270105\r\nSUMMARY:Importado\r\n"
                "DESCRIPTION:Importado\r\nEND:" +
                component + "\r\nEND:VCALENDAR\r\n";
            IcsReadOptions options = madrid();
            options.progress = saveMeanwhile;
            result = importIcsBytes(data, calendar, QStringLiteral("a.ics"), options);
        }
        QVERIFY(saved);
        QCOMPARE(result.exitCode(), 0);
        if (kind == u"contact") {
            QCOMPARE(readContactCard(data.contactFile(kImportedCategory, theirs.first())), theirs);
            QVERIFY2(result.summary().contains(QStringLiteral("mientras se importaba")),
                     qPrintable(result.summary()));
            return;
        }
        QFile file(kind == u"note" ? data.dayNoteFile(dayNoteKey(day))
                                   : data.oneYearReminderFile(datedKey(day)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains(typed) && text.contains(QStringLiteral("Importado")), qPrintable(text));
    }

    // What is not a regular file is never read without end nor replaced: the kind and the size are looked
    // at first, and an export that could not write says nothing was exported.
    void filesThatAreNotRegularFiles_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file"); // "FIFO" for one made in the test
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::newRow("import of /dev/zero") << "import ics"
                                             << "/dev/zero" << 1 << "no es un archivo normal";
        QTest::newRow("import of a FIFO") << "import vcf"
                                          << "FIFO" << 1 << "no es un archivo normal";
        QTest::newRow("import of 65 MB") << "import ics"
                                         << "big" << 1 << "demasiado grande";
        QTest::newRow("export to /dev/full") << "export ics"
                                             << "/dev/full" << 3 << "No se ha exportado nada";
        QTest::newRow("export to a FIFO") << "export vcf"
                                          << "FIFO" << 3 << "No se ha exportado nada";
        QTest::newRow("export to /dev/stdout") << "export ics"
                                               << "/dev/stdout" << 3 << "No se ha exportado nada";
    }
    void filesThatAreNotRegularFiles() {
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QTemporaryDir folder;
        QTemporaryDir outside;
        const DataFolder data(folder.path());
        fillCalendar(data);
        fillContacts(data);
        if (file == u"FIFO") {
            file = outside.filePath(QStringLiteral("tuberia"));
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        } else if (file == u"big") {
            file = outside.filePath(QStringLiteral("grande.ics"));
            QFile big(file);
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(65 * 1024 * 1024));
        }
        // Made by any export, written or not.
        (void)folderIdentifier(data);
        const Files before = snapshot(folder.path());
        const ExchangeResult result = action == u"import ics"   ? importIcs(data, file, madrid())
                                      : action == u"import vcf" ? importVcf(data, file)
                                      : action == u"export ics" ? exportIcs(data, file, true)
                                                                : exportVcf(data, file);
        QCOMPARE(result.exitCode(), exitCode);
        QVERIFY2(result.summary().contains(said), qPrintable(result.summary()));
        QVERIFY2(!result.summary().contains(QStringLiteral("exportado a")), qPrintable(result.summary()));
        QCOMPARE(snapshot(folder.path()), before);
        if (file.startsWith(QLatin1String("/dev/")))
            QVERIFY(!QFileInfo(file).isFile());
    }

    // A cancelled import stops between two files: what it says it added is on the disk, each file whole,
    // and no staging file is left.
    void aCancelledImportLeavesWholeFiles_data() {
        QTest::addColumn<bool>("contacts");
        QTest::newRow("calendar") << false;
        QTest::newRow("contacts") << true;
    }
    void aCancelledImportLeavesWholeFiles() {
        QFETCH(bool, contacts);
        QTemporaryDir folder;
        const DataFolder data(folder.path());
        QByteArray input = contacts ? "" : "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
        for (int i = 0; i < 200; ++i)
            input += contacts ? "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Apellido" + QByteArray::number(i) +
                                    ";Ana;;;\r\nEND:VCARD\r\n"
                              : "BEGIN:VEVENT\r\nUID:" + QByteArray::number(i) + "\r\nDTSTART;VALUE=DATE:" +
                                    QDate(2030, 1, 1).addDays(i).toString(u"yyyyMMdd").toLatin1() +
                                    "\r\nSUMMARY:Texto " + QByteArray::number(i) + "\r\nEND:VEVENT\r\n";
        if (!contacts)
            input += "END:VCALENDAR\r\n";
        int asked = 0;
        // The first question goes on, the second stops.
        const ExchangeCancelled cancelled = [&] { return ++asked > 1; };
        ExchangeResult result;
        if (contacts) {
            result = importVcfBytes(data, input, QStringLiteral("a.vcf"), kImportedCategory, {}, cancelled);
        } else {
            IcsReadOptions options = madrid();
            options.cancelled = cancelled;
            result = importIcsBytes(data, input, QStringLiteral("a.ics"), options);
        }
        QVERIFY(result.cancelled);
        QVERIFY2(result.summary().startsWith(QStringLiteral("Importación cancelada")),
                 qPrintable(result.summary()));
        const int added = contacts ? result.contacts.added : result.reminders.added;
        QVERIFY(added > 0 && added < 200);
        const Files files = snapshot(folder.path());
        QCOMPARE(files.size(), contacts ? 2 * added : added);
        for (auto it = files.begin(); it != files.end(); ++it) {
            QVERIFY2(!QFileInfo(it.key()).fileName().startsWith(u'.'), qPrintable(it.key()));
            QVERIFY2(contacts ? it.value().endsWith("\r\n") : it.value().startsWith("Texto "),
                     qPrintable(it.key()));
        }
    }

    // Wrong options are told apart from refused files: exit code 2, nothing written.
    void badOptionsAndFolders() {
        QTemporaryDir folder;
        const DataFolder data(folder.path());
        const QByteArray cards = testFile(QStringLiteral("telefono-2.1.vcf"));
        QCOMPARE(importVcfBytes(data, cards, QStringLiteral("a.vcf"), QStringLiteral("../fuera")).exitCode(),
                 2);
        QCOMPARE(
            exportVcf(data, folder.filePath(QStringLiteral("a.vcf")), QStringLiteral("Nadie")).exitCode(), 2);
        QCOMPARE(importIcs(DataFolder(folder.filePath(QStringLiteral("no-existe"))), QStringLiteral("x.ics"))
                     .exitCode(),
                 2);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(importIcs(data, folder.filePath(QStringLiteral("no-existe.ics"))).exitCode(), 1);
    }
};

QTEST_GUILESS_MAIN(ExchangeTest)
#include "tst_exchange.moc"
