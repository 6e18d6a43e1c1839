// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/search/searchcommand.h"
#include "agenda/core/search/searchindex.h"
#include "agenda/core/search/searchtext.h"
#include "common/regularfile.h"
#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace quindara;

namespace {

// The year the grid shows.
constexpr int kShownYear = 2011;

// A small agenda with one file of every kind, a Windows-1252 reminder and a contact filed twice.
class SearchFolder {
public:
    SearchFolder() : data(dir.path()) {
        common::setDataFolderRoot(dir.path());
        QVERIFY(data.createMissingFolders());
        write(QStringLiteral("dias/MIÉRCOLES, 5 de ENERO de 2011.txt"),
              "Mañana reunión con José en la oficina, compartido por todos\r\n      ");
        write(QStringLiteral("dias/JUEVES, 5 de ENERO de 2012.txt"), "Otra nota compartido ");
        write(QStringLiteral("fiestas/6 de ENERO.txt"), "Reyes compartido\r\n");
        write(QStringLiteral("dias/MIÉRCOLES, 5 de ENERO de 2011.sync-conflict-20261207-101500-ABCDEFG.txt"),
              "Cena del portátil");
        write(QStringLiteral("recordatorio/14 de FEBRERO.txt"), "Comprar flores\r\n");
        write(QStringLiteral("recordatorionoanual/3 de MARZO de 2012.txt"), "Cita en el m\xe9"
                                                                            "dico");
        write(QStringLiteral("santoral/15 de OCTUBRE.txt"), "Santa Teresa de Jesús\r\n");
        write(QStringLiteral("notas/2011-1-5--9-7"), "Llamar al pingüino compartido ");
        const QByteArray card = "Gómez Pérez\r\nAna\r\nCalle Mayor 1\r\nMadrid\r\n600\r\nana@example.com\r\n"
                                "compartido\r\n";
        write(QStringLiteral("direcciones/Amigos/Gómez Pérez"), card);
        write(QStringLiteral("direcciones/Todos/Gómez Pérez"), card);
        // A category an older install named in Windows-1252 bytes, which no QString path reaches.
        const QByteArray foreign = QFile::encodeName(path(QStringLiteral("direcciones"))) + "/Fam\xEDlia";
        const QByteArray foreignCard = "Rota\r\nAna\r\nCalle Tortuga\r\n";
        const int fd = ::mkdir(foreign.constData(), 0755) == 0
                           ? ::open((foreign + "/Rota").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644)
                           : -1;
        if (fd < 0 || ::write(fd, foreignCard.constData(), size_t(foreignCard.size())) != foreignCard.size())
            qFatal("cannot write the card in Fam\xEDlia");
        ::close(fd);
        // A save cut short on another machine, carried here by the sync tool, and a note that is a link to
        // a file out of the data folder: neither is anyone's note.
        write(QStringLiteral("direcciones/Todos/.García.quindara-fXgBBQ.tmp"), "García\r\nborrador\r\n");
        const QString secret = outside.filePath(QStringLiteral("passwd"));
        QVERIFY(common::writeBytes(secret, "contraseña\r\n"));
        QVERIFY(QFile::link(secret, path(QStringLiteral("dias/JUEVES, 6 de ENERO de 2011.txt"))));
    }

    void write(const QString& relative, const QByteArray& bytes) const {
        const QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }
    QString path(const QString& relative) const { return dir.filePath(relative); }

    // Another program changed the folder: its time moves on as it would a moment later.
    void touchFolder(const QString& relative) const {
        timeval times[2];
        gettimeofday(&times[0], nullptr);
        times[0].tv_sec += 60;
        times[1] = times[0];
        QVERIFY(utimes(QFile::encodeName(path(relative)).constData(), times) == 0);
    }

    QTemporaryDir dir;
    QTemporaryDir outside;
    DataFolder data;
};

QStringList displays(const QList<SearchHit>& hits) {
    QStringList lines;
    for (const SearchHit& hit : hits)
        lines.append(hit.display);
    return lines;
}

} // namespace

class SearchTest : public QObject {
    Q_OBJECT

private slots:
    void matching_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::newRow("accents in the text") << "accion"
                                             << "La acción empieza" << true;
        QTest::newRow("accents and capitals in the query") << "ACCIÓN"
                                                           << "accion" << true;
        QTest::newRow("diaeresis") << "pinguino"
                                   << "Un pingüino" << true;
        QTest::newRow("combining accent") << "cafe" << QString::fromUtf8("cafe\xcc\x81") << true;
        QTest::newRow("n is not ñ") << "ano"
                                    << "Feliz año" << false;
        QTest::newRow("ñ is not n") << "año"
                                    << "ANO" << false;
        QTest::newRow("ñ in any case") << "AÑO"
                                       << "feliz año" << true;
        QTest::newRow("every word, any order") << "jose reunion"
                                               << "Reunión con José" << true;
        QTest::newRow("a word missing") << "reunion maria"
                                        << "Reunión con José" << false;
        QTest::newRow("phrase") << "\"con jose\""
                                << "Reunión con José" << true;
        QTest::newRow("phrase out of order") << "\"jose con\""
                                             << "Reunión con José" << false;
        QTest::newRow("phrase and word") << "fiesta \"año  nuevo\""
                                         << "Fiesta de Año Nuevo" << true;
        QTest::newRow("phrase over a line break") << "\"uno dos\""
                                                  << "uno\r\ndos" << true;
        QTest::newRow("only blanks") << "  \"\" "
                                     << "algo" << false;
    }
    void matching() {
        QFETCH(QString, query);
        QFETCH(QString, text);
        QFETCH(bool, found);
        const SearchQuery parsed = parseSearchQuery(query);
        QCOMPARE(textMatches(text, parsed), found);
        QCOMPARE(foldedTextMatches(foldFileBytesForSearch(text.toUtf8()), parsed), found);
    }

    // Every kind of file, each shown as the result list shows it, newest first.
    void results_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("day note") << "JOSE reunion"
                                  << QStringList{
                                         "MIÉRCOLES, 5 de ENERO de 2011 — nota: Mañana reunión con José "
                                         "en la oficina, compartido por todos"};
        QTest::newRow("holiday") << "reyes" << QStringList{"6 de ENERO — fiesta: Reyes compartido"};
        QTest::newRow("yearly reminder")
            << "flores" << QStringList{"14 de FEBRERO — recordatorio: Comprar flores"};
        QTest::newRow("one-year reminder in Windows-1252")
            << "médico" << QStringList{"3 de MARZO de 2012 — recordatorio de un año: Cita en el médico"};
        QTest::newRow("saint") << "santa teresa"
                               << QStringList{"15 de OCTUBRE — santoral: Santa Teresa de Jesús"};
        QTest::newRow("pad note") << "pinguino"
                                  << QStringList{"Nota 2011-1-5--9-7: Llamar al pingüino compartido"};
        QTest::newRow("contact once, by name") << "gomez" << QStringList{"Contacto: Gómez Pérez, Ana"};
        QTest::newRow("contact by another field")
            << "MAYOR" << QStringList{"Contacto: Gómez Pérez, Ana — Calle Mayor 1"};
        QTest::newRow("contact of a category named in Windows-1252")
            << "tortuga" << QStringList{"Contacto: Rota, Ana — Calle Tortuga"};
        // What comes back every year goes to its day of the year shown (2011), among the dated results.
        QTest::newRow("newest first")
            << "compartido"
            << QStringList{"JUEVES, 5 de ENERO de 2012 — nota: Otra nota compartido",
                           "6 de ENERO — fiesta: Reyes compartido",
                           "MIÉRCOLES, 5 de ENERO de 2011 — nota: ...con José en la "
                           "oficina, compartido por todos",
                           "Nota 2011-1-5--9-7: Llamar al pingüino compartido",
                           "Contacto: Gómez Pérez, Ana — compartido"};
        QTest::newRow("conflict copy, at its day")
            << "portatil"
            << QStringList{"MIÉRCOLES, 5 de ENERO de 2011 — nota (copia en conflicto): Cena del portátil"};
        QTest::newRow("nothing") << "ballena" << QStringList{};
        QTest::newRow("a killed save's staging file") << "borrador" << QStringList{};
        QTest::newRow("a link out of the folder") << "contraseña" << QStringList{};
    }
    void results() {
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        SearchFolder folder;
        SearchIndex index(folder.data);
        QCOMPARE(displays(index.search(query, kShownYear)), expected);
        // Typed letter by letter, each query narrowing the one before, the end is the same.
        SearchIndex typed(folder.data);
        for (int length = 1; length < query.size(); ++length)
            typed.search(query.left(length), kShownYear);
        QCOMPARE(displays(typed.search(query, kShownYear)), expected);
    }

    void targets() {
        SearchFolder folder;
        SearchIndex index(folder.data);
        const QList<SearchHit> hits = index.search(QStringLiteral("compartido"), kShownYear);
        QCOMPARE(hits.size(), 5);
        QCOMPARE(hits[1].kind, SearchKind::Holiday);
        QCOMPARE(hits[1].isoDateOrKind(), QStringLiteral("--01-06"));
        QCOMPARE(hits[2].kind, SearchKind::DayNote);
        QCOMPARE(hits[2].date(), QDate(2011, 1, 5));
        QCOMPARE(hits[3].kind, SearchKind::PadNote);
        QCOMPARE(hits[3].fileName, QStringLiteral("2011-1-5--9-7"));
        QCOMPARE(hits[3].isoDateOrKind(), QStringLiteral("2011-01-05T09:07"));
        QCOMPARE(hits[4].kind, SearchKind::Contact);
        QCOMPARE(hits[4].category, QStringLiteral("Amigos"));
        QCOMPARE(hits[4].fileName, QStringLiteral("Gómez Pérez"));
    }

    // The index follows the program's own saves and removals and, through the folders' times, outside
    // changes; the query before the change is a prefix of the one after, so a stale narrowing would show.
    void updates_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("note saved") << "save note"
                                    << "ballena"
                                    << QStringList{"LUNES, 7 de MARZO de 2011 — nota: Vi una ballena"};
        QTest::newRow("note saved over another spelling")
            << "save over lower case"
            << "ballena" << QStringList{"LUNES, 7 de MARZO de 2011 — nota: Vi una ballena"};
        QTest::newRow("holiday removed") << "remove holiday"
                                         << "reyes" << QStringList{};
        QTest::newRow("outside new pad note") << "outside new"
                                              << "ballena" << QStringList{"Nota 2012-2-1--8-0: Otra ballena"};
        QTest::newRow("outside edit") << "outside edit"
                                      << "reyes magos" << QStringList{"6 de ENERO — fiesta: Reyes Magos"};
        QTest::newRow("outside delete") << "outside delete"
                                        << "pinguino" << QStringList{};
        QTest::newRow("outside category") << "outside category"
                                          << "ballena" << QStringList{"Contacto: Ballena, Blanca"};
        QTest::newRow("card left only in Todos") << "remove card"
                                                 << "gomez" << QStringList{"Contacto: Gómez Pérez, Ana"};
    }
    void updates() {
        QFETCH(QString, change);
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        SearchFolder folder;
        if (change == "save over lower case")
            folder.write(QStringLiteral("dias/lunes, 7 de marzo de 2011.txt"), "Una ballena vieja ");
        SearchIndex index(folder.data);
        index.search(query.left(2), kShownYear);
        if (change.startsWith("save")) {
            DayNotes notes(folder.data);
            const QString key = dayNoteKey(QDate(2011, 3, 7));
            QVERIFY(notes.save(key, QStringLiteral("Vi una ballena")));
            index.fileWritten(folder.data.dayNoteFile(key));
        } else if (change == "remove holiday") {
            QCOMPARE(storeDayText(folder.data, DayTextKind::Holiday, "6", "ENERO", "2011", QString()),
                     DayTextChange::Removed);
            index.fileRemoved(folder.data.holidayFile(QStringLiteral("6 de ENERO")));
        } else if (change == "outside new") {
            folder.write(QStringLiteral("notas/2012-2-1--8-0"), "Otra ballena ");
            folder.touchFolder(folders::notesPad);
        } else if (change == "outside edit") {
            folder.write(QStringLiteral("fiestas/6 de ENERO.txt"), "Reyes Magos\r\n");
            folder.touchFolder(folders::holidays);
        } else if (change == "outside delete") {
            QVERIFY(QFile::remove(folder.path(QStringLiteral("notas/2011-1-5--9-7"))));
            folder.touchFolder(folders::notesPad);
        } else if (change == "outside category") {
            folder.write(QStringLiteral("direcciones/Trabajo/Ballena"), "Ballena\r\nBlanca\r\n");
            folder.touchFolder(folders::addressBook);
        } else if (change == "remove card") {
            const QString card =
                folder.data.contactFile(QStringLiteral("Amigos"), QStringLiteral("Gómez Pérez"));
            QVERIFY(QFile::remove(card));
            index.fileRemoved(card);
        }
        const QList<SearchHit> hits = index.search(query, kShownYear);
        QCOMPARE(displays(hits), expected);
        if (change == "remove card")
            QCOMPARE(hits[0].category, QStringLiteral("Todos"));
        // A fresh index over the same folder agrees.
        QCOMPARE(displays(SearchIndex(folder.data).search(query, kShownYear)), expected);
    }

    void commandLine_data() {
        QTest::addColumn<bool>("agendaFolder");
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::newRow("found")
            << true << "reunion" << 0
            << "2011-01-05\tMIÉRCOLES, 5 de ENERO de 2011 — nota\tMañana reunión con José en "
               "la oficina, compartido por todos\n";
        QTest::newRow("yearly and contact") << true << "ana@" << 0
                                            << "contacto\tAmigos/Gómez Pérez\tGómez Pérez, Ana — "
                                               "ana@example.com\n";
        // A synced note's escape sequences must not retitle or clear the terminal.
        QTest::newRow("control characters shown, not sent")
            << true << "medusa" << 0
            << "2011-02-07\tLUNES, 7 de FEBRERO de 2011 — nota\t^[]0;titulo^G^[[2Jmedusa verde^? fin\n";
        QTest::newRow("second pad note of a minute, with its date")
            << true << "segunda" << 0 << "2011-01-05T09:07\tNota 2011-1-5--9-7-2\tSegunda del minuto\n";
        QTest::newRow("nothing") << true << "ballena" << 1 << "";
        QTest::newRow("bad folder") << false << "reunion" << 2 << "";
    }
    void commandLine() {
        QFETCH(bool, agendaFolder);
        QFETCH(QString, query);
        QFETCH(int, status);
        QFETCH(QString, output);
        SearchFolder folder;
        folder.write(QStringLiteral("dias/LUNES, 7 de FEBRERO de 2011.txt"),
                     "\x1b]0;titulo\x07\x1b[2Jmedusa\tverde\x7f\r\nfin");
        folder.write(QStringLiteral("notas/2011-1-5--9-7-2"), "Segunda del minuto");
        QByteArray bytes;
        QTextStream out(&bytes);
        const QString where = agendaFolder ? folder.dir.path() : folder.path(QStringLiteral("no-existe"));
        QCOMPARE(runSearchCommand(where, query, kShownYear, out), status);
        QCOMPARE(QString::fromUtf8(bytes), output);
    }
};

QTEST_GUILESS_MAIN(SearchTest)
#include "tst_search.moc"
