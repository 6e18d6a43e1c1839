#include "agenda/core/contactcard.h"
#include "agenda/core/datafolder.h"
#include "agenda/core/daykeys.h"
#include "agenda/core/daynotes.h"
#include "agenda/core/daytexts.h"
#include "agenda/core/exchange.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
        }
        QCOMPARE(snapshot(target.folder(folder)), expected);

        const ExchangeResult second = import();
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(second.holidays.added + second.reminders.added + second.notes.added + second.contacts.added,
                 0);
        QCOMPARE(snapshot(target.folder(folder)), expected);
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
                          "teléfono parte\r\n")},
                     {"direcciones/Todos/Mart\xC3\xADnez (2)",
                      utf8(
                          "Martínez (2)\r\nJosé\r\nCalle Mayor, 5\r\n29001 Málaga\r\n600111222, 915551234\r\n"
                          "jose@example.com\r\nPrimera línea\r\nSegunda línea con un texto bastante largo "
                          "que el "
                          "teléfono parte\r\n")},
                     {"direcciones/Importados/Pe\xC3\xB1"
                      "a",
                      utf8("Peña\r\nLucía\r\n\r\n\r\n+34 611 222 333\r\n\r\n\r\n")},
                     {"direcciones/Todos/Pe\xC3\xB1"
                      "a",
                      utf8("Peña\r\nLucía\r\n\r\n\r\n+34 611 222 333\r\n\r\n\r\n")},
                     {"direcciones/Importados/Mam\xC3\xA1",
                      utf8("Mamá\r\n\r\n\r\n\r\n600000000\r\n\r\n\r\n")},
                     {"direcciones/Todos/Mam\xC3\xA1", utf8("Mamá\r\n\r\n\r\n\r\n600000000\r\n\r\n\r\n")}}
            << QStringList();
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
        QCOMPARE(result.skipped, skipped);
        QCOMPARE(snapshot(folder.path()), after);
        // Importing the same file again changes nothing.
        const ExchangeResult again = import();
        QCOMPARE(again.holidays.added + again.reminders.added + again.notes.added + again.contacts.added, 0);
        QCOMPARE(snapshot(folder.path()), after);
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
