// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/dav/davclient.h"
#include "agenda/core/dav/davdiscovery.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/sync/davitems.h"
#include "agenda/core/sync/davsync.h"
#include "agenda/core/syncsetup/davaccount.h"
#include "agenda/core/syncsetup/syncsetup.h"
#include "common/textfile.h"
#include "tests/support/davserver.h"
#include "tests/support/faultyproxy.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

using namespace quindara;

namespace {

const QStringList kGarcia = {QStringLiteral("García"),        QStringLiteral("Luisa"),
                             QStringLiteral("Calle Mayor 1"), QStringLiteral("28001 Madrid"),
                             QStringLiteral("600 111 222"),   QStringLiteral("luisa@example.com"),
                             QStringLiteral("Vecina")};

// A data folder of the agenda in a temporary folder.
struct Agenda {
    QTemporaryDir dir;
    DataFolder data{dir.path()};

    Agenda() { QVERIFY(data.createMissingFolders()); }
    QString holiday(int day, int month) const {
        return readDayText(data, DayTextKind::Holiday, QString::number(day), monthName(month),
                           QStringLiteral("2000"))
            .text;
    }
    void setHoliday(int day, int month, const QString& text) const {
        QVERIFY(storeDayText(data, DayTextKind::Holiday, QString::number(day), monthName(month),
                             QStringLiteral("2000"), text));
    }
    QString reminder(const QDate& date) const {
        return readDayText(data, DayTextKind::OneYearReminder, QString::number(date.day()),
                           monthName(date.month()), QString::number(date.year()))
            .text;
    }
    void setReminder(const QDate& date, const QString& text) const {
        QVERIFY(storeDayText(data, DayTextKind::OneYearReminder, QString::number(date.day()),
                             monthName(date.month()), QString::number(date.year()), text));
    }
    QString contactPath(const QString& name) const { return data.contactFile(folders::allContacts, name); }
    std::optional<QStringList> contact(const QString& name) const {
        return readContactCard(contactPath(name));
    }
    void setContact(const QStringList& fields) const {
        QVERIFY(writeContactCard(contactPath(fields.first()), fields));
    }
    QStringList contactNames() const {
        return QDir(data.categoryFolder(folders::allContacts)).entryList(QDir::Files, QDir::Name);
    }
    QStringList reminderNames() const {
        return QDir(data.folder(folders::oneYearReminders)).entryList(QDir::Files, QDir::Name);
    }
};

// Finds (or makes) the calendar and address book of the server's user and keeps the account in `agenda`.
SyncAccount accountFor(const DavServer& server, const Agenda& agenda) {
    const DavDiscovery found = discoverCollections(server.url(), server.user(), server.password());
    SyncAccount account;
    account.id = syncAccountId(server.url(), server.user());
    account.server = server.url();
    account.user = server.user();
    DavError error;
    DavCollection calendar = found.calendars.value(0);
    if (calendar.url.isEmpty())
        calendar = createQuindaraCollection(server.url(), found.calendarHome, false, server.user(),
                                            server.password(), {}, error);
    DavCollection book = found.addressBooks.value(0);
    if (book.url.isEmpty())
        book = createQuindaraCollection(server.url(), found.addressBookHome, true, server.user(),
                                        server.password(), {}, error);
    account.calendar = calendar.url;
    account.calendarName = calendar.name;
    account.addressBook = book.url;
    account.addressBookName = book.name;
    if (!saveSyncAccount(agenda.data, account))
        qWarning("account not saved");
    return account;
}

// The same account reached through the proxy: the status record is the same one.
SyncAccount throughProxy(SyncAccount account, const FaultyProxy& proxy) {
    account.server = proxy.through(account.server);
    account.calendar = proxy.through(account.calendar);
    account.addressBook = proxy.through(account.addressBook);
    return account;
}

SyncResult sync(const Agenda& agenda, const SyncAccount& account, const DavServer& server,
                const SyncOptions& options = {}) {
    const SyncResult result = runSync(agenda.data, account, server.password(), options);
    if (result.exitCode() != 0)
        qWarning("%s", qPrintable(result.summary()));
    return result;
}

// The items the server holds in the collection.
QList<QUrl> serverItems(const DavServer& server, const QUrl& collection) {
    DavClient client(server.url(), server.user(), server.password());
    const DavReply reply =
        client.send("PROPFIND", collection, dav::propfindBody({{dav::kDav, QStringLiteral("getetag")}}),
                    {{"Depth", "1"}});
    const MultiStatus listing = dav::parseMultiStatus(reply.body);
    QList<QUrl> items;
    for (const DavResponse& response : listing.responses) {
        if (const QUrl url = client.resolved(response.href); url.path() != collection.path())
            items.append(url);
    }
    return items;
}

int serverCount(const DavServer& server, const QUrl& collection) {
    return int(serverItems(server, collection).size());
}

// Runs the program's --sync on the folder; kills it after `killAfterMs` unless negative. The exit code.
int runProgram(const Agenda& agenda, const DavServer& server, int killAfterMs, QString* said = nullptr) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUINDARA_DAV_PASSWORD"), server.password());
    environment.remove(QStringLiteral("DISPLAY"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUINDARA_PROGRAM),
                  {QStringLiteral("--folder"), agenda.dir.path(), QStringLiteral("--sync")});
    if (!process.waitForStarted(10000))
        return -1;
    if (killAfterMs >= 0 && !process.waitForFinished(killAfterMs)) {
        process.kill(); // SIGKILL: no clean-up of any kind
        process.waitForFinished(10000);
        return -9;
    }
    process.waitForFinished(120000);
    if (said)
        *said = QString::fromLocal8Bit(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString systemPython() {
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
               ? QStringLiteral("/usr/bin/python3")
               : QStandardPaths::findExecutable(QStringLiteral("python3"));
}

// What another CalDAV/CardDAV client sees: one line per event (start, summary, yearly or not) and per card.
const char* const kIndependentClient = R"(
import sys, caldav, requests, vobject
from xml.etree import ElementTree
url, user, password, calendar, book = sys.argv[1:]
auth = (user, password)
client = caldav.DAVClient(url, username=user, password=password)
lines = []
for event in caldav.Calendar(client=client, url=calendar).events():
    v = event.vobject_instance.vevent
    lines.append('EVENT %s %s%s' % (v.dtstart.value.isoformat(), v.summary.value, ' YEARLY' if hasattr(v, 'rrule') else ''))
listing = requests.request('PROPFIND', book, auth=auth, headers={'Depth': '1'})
for href in ElementTree.fromstring(listing.content).iter('{DAV:}href'):
    if href.text.endswith('.vcf'):
        card = vobject.readOne(requests.get(requests.compat.urljoin(book, href.text), auth=auth).content.decode('utf-8'))
        lines.append('CARD %s %s' % (card.fn.value, card.tel.value))
print(chr(10).join(sorted(lines)))
)";

// What a sync tool has brought so far of A's folder to machine B: every file but those under `notYet`. A's
// own status record arrives there as `recordAs`: on B it is not this machine's record.
void carry(const Agenda& a, const Agenda& b, const SyncAccount& account, const QString& notYet,
           const QString& recordAs) {
    const QDir from(a.dir.path());
    QDirIterator files(from.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (path.startsWith(notYet + u'/'))
            continue;
        const QString to = path == syncStatusPath(a.data, account)
                               ? QDir(syncFolderPath(b.data)).filePath(recordAs)
                               : b.dir.filePath(from.relativeFilePath(path));
        QVERIFY(QDir().mkpath(QFileInfo(to).path()));
        QFile::remove(to);
        QVERIFY(QFile::copy(path, to));
    }
}

// Starts the program's --sync-setup on a terminal whose screen is full, so that it stops while showing the
// password prompt, and says whether the terminal echoes what is typed at that moment.
const char* const kEchoAtThePrompt = R"(
import fcntl, os, pty, signal, sys, termios, time
program, folder = sys.argv[1:]
pid, fd = pty.fork()
if pid == 0:
    flags = fcntl.fcntl(1, fcntl.F_GETFL)
    fcntl.fcntl(1, fcntl.F_SETFL, flags | os.O_NONBLOCK)
    # Full once it stays full for a while: the terminal moves what was written on in the background.
    full = 0
    while full < 3:
        try:
            os.write(1, b'.' * 1024)
            full = 0
        except BlockingIOError:
            full += 1
            time.sleep(0.1)
    fcntl.fcntl(1, fcntl.F_SETFL, flags)
    os.execv(program, [program, '--folder', folder, '--sync-setup', 'http://127.0.0.1:9/', '--user', 'ana'])
for _ in range(1200):
    call = open('/proc/%d/syscall' % pid).read().split()
    if call[0] == '1' and int(call[1], 16) == 2:
        break
    time.sleep(0.05)
else:
    sys.exit('the prompt was never written')
print('echo', 'on' if termios.tcgetattr(fd)[3] & termios.ECHO else 'off')
os.kill(pid, signal.SIGKILL)
os.waitpid(pid, 0)
)";

// The servers installed here; a machine with neither fails the test rather than running no row.
QList<DavServer::Kind> installedServers() {
    QList<DavServer::Kind> kinds;
    for (const auto kind : {DavServer::Kind::Radicale, DavServer::Kind::Xandikos}) {
        if (DavServer::available(kind))
            kinds.append(kind);
    }
    if (kinds.isEmpty())
        QTest::qFail("neither radicale nor xandikos is installed (scripts/install-deps installs both)",
                     __FILE__, __LINE__);
    return kinds;
}

const char* serverName(DavServer::Kind kind) {
    return kind == DavServer::Kind::Radicale ? "radicale" : "xandikos";
}

void addServers() {
    QTest::addColumn<DavServer::Kind>("kind");
    for (const auto kind : installedServers())
        QTest::newRow(serverName(kind)) << kind;
}

#define START_SERVER(server)                                                                                 \
    QFETCH(DavServer::Kind, kind);                                                                           \
    DavServer server(kind);                                                                                  \
    QVERIFY2(server.start(), "the server did not start")

// What answers at the server's address when no server does.
enum class Peer {
    Nobody,     // the port is closed
    NoSuchHost, // the name is not known
    Silent,     // takes the connection and never says a word
    PlainText,  // answers an https request with plain HTTP
};

enum class Change {
    OnAgenda,
    OnServer,
    OnBoth,
    DeletedOnAgenda,
    DeletedOnServer,
    DeletedHereChangedThere,
    ChangedHereDeletedThere
};

enum class CardEdit { Email, PhoneAndEmailOnBoth, StreetAndNote };

} // namespace

Q_DECLARE_METATYPE(DavServer::Kind)
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(FaultyProxy::Fault)
Q_DECLARE_METATYPE(CardEdit)
Q_DECLARE_METATYPE(Peer)

class TestDavSync : public QObject {
    Q_OBJECT

private slots:
    void firstRunCarriesEverythingAndTheNextOnlyLists_data() { addServers(); }
    void firstRunCarriesEverythingAndTheNextOnlyLists() {
        START_SERVER(server);
        Agenda a;
        const QDate dentist(2026, 1, 5);
        a.setHoliday(25, 12, QStringLiteral("Navidad"));
        a.setHoliday(6, 1, QStringLiteral("Reyes\nRoscón con nata"));
        a.setReminder(dentist, QStringLiteral("Dentista a las 10"));
        a.setContact(kGarcia);
        const SyncAccount account = accountFor(server, a);
        SyncResult first = sync(a, account, server);
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(first.server.created, 4);
        QCOMPARE(first.agenda.created, 0);

        // From a full server to an empty agenda.
        Agenda b;
        SyncResult copy = sync(b, account, server);
        QCOMPARE(copy.exitCode(), 0);
        QCOMPARE(copy.agenda.created, 4);
        QCOMPARE(copy.server.created, 0);
        QCOMPARE(b.holiday(25, 12), QStringLiteral("Navidad"));
        QCOMPARE(b.holiday(6, 1), QStringLiteral("Reyes\nRoscón con nata"));
        QCOMPARE(b.reminder(dentist), QStringLiteral("Dentista a las 10"));
        QCOMPARE(b.contact(QStringLiteral("García")), std::optional<QStringList>(kGarcia));
        // As the summary names it.
        QCOMPARE(SyncItems(b.data, false, false, {}, dentist)
                     .localNow(QStringLiteral("recordatorionoanual/2026-01-05"))
                     .what,
                 QStringLiteral("recordatorio de un año 5/1/2026"));

        // Nothing changed: one listing per collection, nothing written on either side.
        for (const Agenda* agenda : {&a, &b, &a}) {
            const SyncResult again = sync(*agenda, account, server);
            QCOMPARE(again.exitCode(), 0);
            QVERIFY(!again.agenda.any() && !again.server.any());
            QCOMPARE(again.requests, 2);
        }
        // A token the server no longer knows: everything is listed again, and nothing changes.
        const QString statusFile = syncStatusPath(a.data, account);
        QStringList lines = common::readLines(statusFile);
        lines.replaceInStrings(QRegularExpression(QStringLiteral("^(token\t[^\t]*\t).+$")),
                               QStringLiteral("\\1http%3A//example.com/olvidado"));
        QVERIFY(common::writeLines(statusFile, lines));
        const SyncResult relisted = sync(a, account, server);
        QCOMPARE(relisted.exitCode(), 0);
        QVERIFY(!relisted.agenda.any() && !relisted.server.any());
    }

    void aChangeTravelsAndNothingIsLost_data() {
        QTest::addColumn<DavServer::Kind>("kind");
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("expected"); // the holiday's text on both agendas afterwards
        const QString both = QStringLiteral("Navidad en casa de B\n----- Arriba, la versión del servidor");
        for (const auto kind : installedServers()) {
            const char* name = serverName(kind);
            QTest::addRow("%s: changed on the agenda", name)
                << kind << Change::OnAgenda << "Navidad en casa de A";
            QTest::addRow("%s: changed on the server", name)
                << kind << Change::OnServer << "Navidad en casa de B";
            QTest::addRow("%s: changed on both", name) << kind << Change::OnBoth << both;
            QTest::addRow("%s: deleted on the agenda", name) << kind << Change::DeletedOnAgenda << QString();
            QTest::addRow("%s: deleted on the server", name) << kind << Change::DeletedOnServer << QString();
            QTest::addRow("%s: deleted here, changed there", name)
                << kind << Change::DeletedHereChangedThere << "Navidad en casa de B";
            QTest::addRow("%s: changed here, deleted there", name)
                << kind << Change::ChangedHereDeletedThere << "Navidad en casa de A";
        }
    }
    void aChangeTravelsAndNothingIsLost() {
        START_SERVER(server);
        QFETCH(Change, change);
        QFETCH(QString, expected);
        Agenda a;
        Agenda b;
        a.setHoliday(25, 12, QStringLiteral("Navidad"));
        a.setContact(kGarcia);
        const SyncAccount account = accountFor(server, a);
        QCOMPARE(sync(a, account, server).exitCode(), 0);
        QCOMPARE(sync(b, account, server).exitCode(), 0);

        QStringList changedCard = kGarcia;
        changedCard[4] = QStringLiteral("600 999 888");
        const bool hereChanges = change == Change::OnAgenda || change == Change::OnBoth ||
                                 change == Change::ChangedHereDeletedThere;
        const bool thereChanges = change == Change::OnServer || change == Change::OnBoth ||
                                  change == Change::DeletedHereChangedThere;
        if (thereChanges) {
            b.setHoliday(25, 12, QStringLiteral("Navidad en casa de B"));
            b.setContact(changedCard);
        }
        if (change == Change::DeletedOnServer || change == Change::ChangedHereDeletedThere) {
            b.setHoliday(25, 12, QString());
            QVERIFY(QFile::remove(b.contactPath(QStringLiteral("García"))));
        }
        QCOMPARE(sync(b, account, server).exitCode(), 0);
        if (hereChanges) {
            a.setHoliday(25, 12, QStringLiteral("Navidad en casa de A"));
            a.setContact(changedCard);
        }
        if (change == Change::DeletedOnAgenda || change == Change::DeletedHereChangedThere) {
            a.setHoliday(25, 12, QString());
            QVERIFY(QFile::remove(a.contactPath(QStringLiteral("García"))));
        }
        QCOMPARE(sync(a, account, server).exitCode(), 0);
        QCOMPARE(sync(b, account, server).exitCode(), 0);

        QCOMPARE(a.holiday(25, 12), b.holiday(25, 12));
        if (change == Change::OnBoth) {
            QVERIFY2(a.holiday(25, 12).startsWith(expected), qPrintable(a.holiday(25, 12)));
            QVERIFY(a.holiday(25, 12).endsWith(QStringLiteral("\nNavidad en casa de A")));
        } else {
            QCOMPARE(a.holiday(25, 12), expected);
        }
        const bool gone = expected.isEmpty();
        QCOMPARE(a.contact(QStringLiteral("García")).has_value(), !gone);
        QCOMPARE(a.contact(QStringLiteral("García")), b.contact(QStringLiteral("García")));
        if (!gone)
            QCOMPARE(a.contact(QStringLiteral("García")), std::optional<QStringList>(changedCard));
        // Settled: a further run of either changes nothing.
        for (const Agenda* agenda : {&a, &b}) {
            const SyncResult again = sync(*agenda, account, server);
            QVERIFY(!again.agenda.any() && !again.server.any());
        }
    }

    // The item changes on the server between the listing and the write, and again before each retry:
    // every write is refused (412), the newest version is read and merged with the agenda's own text, so
    // each text is kept once.
    void aWriteRaceKeepsBothTexts_data() { addServers(); }
    void aWriteRaceKeepsBothTexts() {
        START_SERVER(server);
        FaultyProxy proxy(server.port());
        QVERIFY(proxy.start());
        Agenda a;
        Agenda b;
        a.setHoliday(25, 12, QStringLiteral("Navidad"));
        const SyncAccount direct = accountFor(server, a);
        const SyncAccount account = throughProxy(direct, proxy);
        QCOMPARE(sync(a, account, server).exitCode(), 0);
        QCOMPARE(sync(b, direct, server).exitCode(), 0);
        a.setHoliday(25, 12, QStringLiteral("Navidad en casa de A"));
        int races = 0;
        proxy.beforeRequests("PUT", 2, [&] {
            b.setHoliday(25, 12, QStringLiteral("Navidad en casa de B %1").arg(++races));
            QCOMPARE(sync(b, direct, server).server.changed, 1);
        });
        const SyncResult result = sync(a, account, server);
        QCOMPARE(races, 2);
        QCOMPARE(result.exitCode(), 0);
        QCOMPARE(result.server.merged, 1);
        QCOMPARE(sync(b, direct, server).agenda.changed, 1);
        QCOMPARE(b.holiday(25, 12), a.holiday(25, 12));
        QVERIFY2(a.holiday(25, 12).startsWith(QStringLiteral("Navidad en casa de B 2\n-----")),
                 qPrintable(a.holiday(25, 12)));
        QVERIFY(a.holiday(25, 12).endsWith(QStringLiteral("-----\nNavidad en casa de A")));
        QCOMPARE(a.holiday(25, 12).count(QStringLiteral("Navidad")), 2);
    }

    // One request fails once (an error status, a cut connection, an answer without the item); the next
    // runs leave both sides as if it had never failed: nothing lost, nothing doubled, nothing written over.
    void aFailedRequestLosesNothing_data() {
        QTest::addColumn<DavServer::Kind>("kind");
        QTest::addColumn<FaultyProxy::Fault>("fault");
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Change>("change");
        using F = FaultyProxy::Fault;
        const struct {
            const char* name;
            F fault;
            const char* verb;
            const char* body;
            Change change;
        } rows[] = {
            {"multiget 503, changed there", F::Unavailable, "REPORT", "multiget", Change::OnServer},
            {"multiget 503, deleted here, changed there", F::Unavailable, "REPORT", "multiget",
             Change::DeletedHereChangedThere},
            {"multiget 403, deleted here, changed there", F::Forbidden, "REPORT", "multiget",
             Change::DeletedHereChangedThere},
            {"multiget cut, deleted here, changed there", F::Cut, "REPORT", "multiget",
             Change::DeletedHereChangedThere},
            {"multiget without the item, deleted here, changed there", F::MissingResponse, "REPORT",
             "multiget", Change::DeletedHereChangedThere},
            {"listing 503, changed on both", F::Unavailable, "REPORT", "sync-collection", Change::OnBoth},
            {"PUT 412, changed here", F::PreconditionFailed, "PUT", "", Change::OnAgenda},
            {"PUT 503, changed here", F::Unavailable, "PUT", "", Change::OnAgenda},
            {"PUT cut, changed on both", F::Cut, "PUT", "", Change::OnBoth},
            {"DELETE 412, deleted here", F::PreconditionFailed, "DELETE", "", Change::DeletedOnAgenda},
            {"DELETE 503, deleted here", F::Unavailable, "DELETE", "", Change::DeletedOnAgenda},
        };
        for (const auto kind : installedServers()) {
            for (const auto& row : rows)
                QTest::addRow("%s: %s", serverName(kind), row.name)
                    << kind << row.fault << QByteArray(row.verb) << QByteArray(row.body) << row.change;
        }
    }
    void aFailedRequestLosesNothing() {
        START_SERVER(server);
        QFETCH(FaultyProxy::Fault, fault);
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, body);
        QFETCH(Change, change);
        FaultyProxy proxy(server.port());
        QVERIFY(proxy.start());
        Agenda a;
        Agenda b;
        a.setHoliday(25, 12, QStringLiteral("Navidad"));
        const SyncAccount direct = accountFor(server, a);
        const SyncAccount account = throughProxy(direct, proxy); // the other client goes direct
        QCOMPARE(sync(a, account, server).exitCode(), 0);
        QCOMPARE(sync(b, direct, server).exitCode(), 0);

        const QString there = QStringLiteral("Navidad en casa de B");
        const QString here = QStringLiteral("Navidad en casa de A");
        if (change == Change::OnServer || change == Change::OnBoth ||
            change == Change::DeletedHereChangedThere) {
            b.setHoliday(25, 12, there);
            QCOMPARE(sync(b, direct, server).server.changed, 1);
        }
        if (change == Change::OnAgenda || change == Change::OnBoth)
            a.setHoliday(25, 12, here);
        if (change == Change::DeletedOnAgenda || change == Change::DeletedHereChangedThere)
            a.setHoliday(25, 12, QString());
        proxy.failOnce(fault, verb, body);
        (void)runSync(a.data, account, server.password());
        QVERIFY(proxy.used());
        QCOMPARE(sync(a, account, server).exitCode(), 0);
        QCOMPARE(sync(b, direct, server).exitCode(), 0);

        const QString text = a.holiday(25, 12);
        QCOMPARE(b.holiday(25, 12), text);
        switch (change) {
        case Change::OnServer:
        case Change::DeletedHereChangedThere: // the changed one is kept
            QCOMPARE(text, there);
            break;
        case Change::OnAgenda:
            QCOMPARE(text, here);
            break;
        case Change::OnBoth: // each text once
            QCOMPARE(text.count(there), 1);
            QCOMPARE(text.count(here), 1);
            QCOMPARE(text.count(QStringLiteral("-----")), 2);
            break;
        default:
            QCOMPARE(text, QString());
        }
        QCOMPARE(serverCount(server, direct.calendar), text.isEmpty() ? 0 : 1);
        for (const Agenda* agenda : {&a, &b}) {
            const SyncResult again = sync(*agenda, agenda == &a ? account : direct, server);
            QVERIFY(!again.agenda.any() && !again.server.any());
        }
    }

    void aServerStoppedMidRunResumesWithNothingLostOrDoubled_data() { addServers(); }
    void aServerStoppedMidRunResumesWithNothingLostOrDoubled() {
        START_SERVER(server);
        Agenda a;
        const QDate first(2026, 1, 1);
        for (int day = 0; day < 40; ++day)
            a.setReminder(first.addDays(day), QStringLiteral("Cita %1").arg(day));
        const SyncAccount account = accountFor(server, a);
        SyncOptions options;
        options.progress = [&](SyncPhase phase, qsizetype done, qsizetype) {
            if (phase == SyncPhase::Writing && done >= 16)
                server.stop();
        };
        const SyncResult cut = runSync(a.data, account, server.password(), options);
        QCOMPARE(cut.exitCode(), 4);
        QCOMPARE(cut.error.kind, DavErrorKind::Unreachable);
        QVERIFY(cut.server.created >= 16 && cut.server.created < 40);
        QVERIFY(server.start());
        const SyncResult resumed = sync(a, account, server);
        QCOMPARE(resumed.exitCode(), 0);
        QCOMPARE(cut.server.created + resumed.server.created, 40);
        Agenda b;
        const SyncResult copy = sync(b, account, server);
        QCOMPARE(copy.agenda.created, 40);
        QCOMPARE(b.reminderNames(), a.reminderNames());
        QCOMPARE(b.reminder(first.addDays(39)), QStringLiteral("Cita 39"));
    }

    // A side that suddenly looks empty while the status lists many items empties nothing until confirmed.
    void anEmptiedSideAsksFirst_data() { addServers(); }
    void anEmptiedSideAsksFirst() {
        START_SERVER(server);
        Agenda a;
        const QDate first(2026, 6, 1);
        for (int day = 0; day < 6; ++day)
            a.setReminder(first.addDays(day), QStringLiteral("Guardia %1").arg(day));
        const SyncAccount account = accountFor(server, a);
        QCOMPARE(sync(a, account, server).exitCode(), 0);
        for (const QString& name : a.reminderNames())
            QVERIFY(QFile::remove(QDir(a.data.folder(folders::oneYearReminders)).filePath(name)));
        const SyncResult asked = runSync(a.data, account, server.password());
        QVERIFY(asked.emptySideQuestion.contains(QStringLiteral("¿Se borra todo también en el servidor?")));
        QCOMPARE(asked.exitCode(), 3);
        QCOMPARE(serverCount(server, account.calendar), 6);
        SyncOptions options;
        options.emptySideConfirmed = true;
        const SyncResult confirmed = sync(a, account, server, options);
        QCOMPARE(confirmed.server.deleted, 6);
        QCOMPARE(serverCount(server, account.calendar), 0);
    }

    // A server item the agenda holds only in part keeps everything else when the agenda changes its text.
    void aChangedTextKeepsWhatTheServerItemCarried_data() { addServers(); }
    void aChangedTextKeepsWhatTheServerItemCarried() {
        START_SERVER(server);
        Agenda a;
        const SyncAccount account = accountFor(server, a);
        DavClient client(server.url(), server.user(), server.password());
        const QByteArray event = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\nBEGIN:VEVENT\r\n"
                                 "UID:reunion-1@movil\r\nDTSTAMP:20260101T090000Z\r\n"
                                 "DTSTART:20260210T100000\r\nDTEND:20260210T110000\r\nSUMMARY:Reunión\r\n"
                                 "DESCRIPTION:Sala 3\r\nLOCATION:Oficina\r\nX-MOVIL-COLOR:rojo\r\n"
                                 "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Aviso\r\nTRIGGER:-PT15M\r\n"
                                 "END:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        const QByteArray card =
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:tarjeta-1@movil\r\nFN:Pedro Ruiz\r\n"
            "N:Ruiz;Pedro;;;\r\nTEL:600 222 333\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRg==\r\n"
            "X-MOVIL-ANILLO:suave\r\nEND:VCARD\r\n";
        const QUrl eventUrl = account.calendar.resolved(QUrl(QStringLiteral("reunion-1.ics")));
        const QUrl cardUrl = account.addressBook.resolved(QUrl(QStringLiteral("tarjeta-1.vcf")));
        QVERIFY(client.send("PUT", eventUrl, event, {{"Content-Type", "text/calendar"}}).ok());
        QVERIFY(client.send("PUT", cardUrl, card, {{"Content-Type", "text/vcard"}}).ok());
        QCOMPARE(sync(a, account, server).agenda.created, 2);
        const QDate day(2026, 2, 10);
        QCOMPARE(a.reminder(day), QStringLiteral("10:00 Reunión"));
        a.setReminder(day, QStringLiteral("10:00 Reunión de equipo"));
        std::optional<QStringList> ruiz = a.contact(QStringLiteral("Ruiz"));
        QVERIFY(ruiz);
        (*ruiz)[4] = QStringLiteral("600 444 555");
        a.setContact(*ruiz);
        QCOMPARE(sync(a, account, server).server.changed, 2);

        const QString onServer = QString::fromUtf8(client.send("GET", eventUrl).body);
        for (const char* kept : {"LOCATION:Oficina", "X-MOVIL-COLOR:rojo", "TRIGGER:-PT15M",
                                 "DESCRIPTION:Sala 3", "DTSTART:20260210T100000", "UID:reunion-1@movil"})
            QVERIFY2(onServer.contains(QLatin1String(kept)), kept);
        QVERIFY2(onServer.contains(QStringLiteral("SUMMARY:Reunión de equipo\r\n")), qPrintable(onServer));
        const QString cardOnServer = QString::fromUtf8(client.send("GET", cardUrl).body);
        for (const char* kept : {"PHOTO", "X-MOVIL-ANILLO:suave", "TEL:600 444 555", "UID:tarjeta-1@movil"})
            QVERIFY2(cardOnServer.contains(QLatin1String(kept)), kept);
        QVERIFY(!cardOnServer.contains(QStringLiteral("600 222 333")));
        // Read back, the texts are the agenda's: nothing more to do.
        const SyncResult again = sync(a, account, server);
        QVERIFY(!again.agenda.any() && !again.server.any());
    }

    // A weekly server event, and a second event of a day another one fills, come to each of their days on
    // the agenda after what the day holds; they are never given back as the agenda's own, follow the server
    // when it changes or deletes them, and leave what the user typed on those days.
    void aServerItemOfSeveralDaysComesToEachDayOnce_data() { addServers(); }
    void aServerItemOfSeveralDaysComesToEachDayOnce() {
        START_SERVER(server);
        Agenda a;
        Agenda b;
        const SyncAccount account = accountFor(server, a);
        DavClient client(server.url(), server.user(), server.password());
        const auto put = [&](const char* name, const QByteArray& event) {
            const QByteArray body =
                "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\nBEGIN:VEVENT\r\n"
                "UID:" +
                QByteArray(name) + "@movil\r\nDTSTAMP:20260101T090000Z\r\n" + event +
                "END:VEVENT\r\nEND:VCALENDAR\r\n";
            QVERIFY(client
                        .send("PUT", account.calendar.resolved(QUrl(QString::fromLatin1(name) + ".ics")),
                              body, {{"Content-Type", "text/calendar"}})
                        .ok());
        };
        put("serie", "DTSTART;VALUE=DATE:20260105\r\nRRULE:FREQ=WEEKLY;COUNT=4\r\nSUMMARY:Reunión\r\n");
        put("dentista", "DTSTART;VALUE=DATE:20260112\r\nSUMMARY:Dentista\r\n");
        put("cita-a", "DTSTART;VALUE=DATE:20260202\r\nSUMMARY:Médico\r\n");
        put("cita-b", "DTSTART;VALUE=DATE:20260202\r\nSUMMARY:Recoger el coche\r\n");
        const QDate monday(2026, 1, 5);
        a.setReminder(monday.addDays(14), QStringLiteral("Llevar el informe"));
        SyncOptions options;
        options.today = QDate(2026, 1, 1);
        const SyncResult first = sync(a, account, server, options);
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(first.server.created, 1);
        QCOMPARE(first.agenda.created, 4); // the series and each single event once
        QVERIFY2(first.leftOut.isEmpty(), qPrintable(first.summary()));
        const QStringList days = {QStringLiteral("Reunión"), QStringLiteral("Dentista\nReunión"),
                                  QStringLiteral("Llevar el informe\nReunión"), QStringLiteral("Reunión")};
        QVERIFY(saveSyncAccount(b.data, account));
        for (const Agenda* agenda : {&a, &b, &a, &b}) {
            const SyncResult again = sync(*agenda, account, server, options);
            QCOMPARE(again.exitCode(), 0);
            QVERIFY(!again.server.any());
            QVERIFY(agenda == &b || (!again.agenda.any() && again.requests == 2));
            for (int week = 0; week < 4; ++week)
                QCOMPARE(agenda->reminder(monday.addDays(7 * week)), days[week]);
            QCOMPARE(agenda->reminder(QDate(2026, 2, 2)), QStringLiteral("Médico\nRecoger el coche"));
        }
        QCOMPARE(serverCount(server, account.calendar), 5);

        // The user changes one day's line: it is that day's own text now; the server changes the event,
        // then deletes it.
        a.setReminder(monday.addDays(21), QStringLiteral("Reunión en la sala 2"));
        const SyncResult edited = sync(a, account, server, options);
        QCOMPARE(edited.server.created, 1);
        QCOMPARE(edited.server.changed, 1); // that date taken out of the series, so no phone shows both
        const QUrl series = account.calendar.resolved(QUrl(QStringLiteral("serie.ics")));
        QVERIFY(client.send("GET", series).body.contains("EXDATE;VALUE=DATE:20260126"));
        QCOMPARE(sync(b, account, server, options).agenda.created, 1);
        QCOMPARE(b.reminder(monday.addDays(21)), QStringLiteral("Reunión en la sala 2"));
        put("serie",
            "DTSTART;VALUE=DATE:20260112\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\nSUMMARY:Reunión de equipo\r\n");
        const SyncResult changed = sync(a, account, server, options);
        QCOMPARE(changed.agenda.changed, 1);
        QVERIFY(!changed.server.any());
        QCOMPARE(a.reminder(monday), QString());
        QCOMPARE(a.reminder(monday.addDays(7)), QStringLiteral("Dentista\nReunión de equipo"));
        QCOMPARE(a.reminder(monday.addDays(14)), QStringLiteral("Llevar el informe\nReunión de equipo"));
        QCOMPARE(a.reminder(monday.addDays(21)), QStringLiteral("Reunión en la sala 2\nReunión de equipo"));
        QVERIFY(client.send("DELETE", series).ok());
        const SyncResult deleted = sync(a, account, server, options);
        QCOMPARE(deleted.agenda.deleted, 1);
        QVERIFY(!deleted.server.any());
        QCOMPARE(a.reminder(monday.addDays(7)), QStringLiteral("Dentista"));
        QCOMPARE(a.reminder(monday.addDays(14)), QStringLiteral("Llevar el informe"));
        QCOMPARE(a.reminder(monday.addDays(21)), QStringLiteral("Reunión en la sala 2"));
        const SyncResult settled = sync(a, account, server, options);
        QVERIFY(!settled.agenda.any() && !settled.server.any());
        QCOMPARE(serverCount(server, account.calendar), 5);
    }

    // A phone's card keeps every line the agenda did not change (typed address, phones and e-mails, company,
    // birthday, photo); numbers and addresses changed on both sides reach the server one property each.
    void aPhoneCardKeepsWhatTheAgendaLeftAlone_data() {
        QTest::addColumn<DavServer::Kind>("kind");
        QTest::addColumn<CardEdit>("edit");
        QTest::addColumn<QByteArrayList>("added"); // lines of the server card afterwards
        QTest::addColumn<QByteArrayList>("gone");  // lines of the phone's card no longer there
        QTest::addColumn<int>("phones");
        for (const auto kind : {DavServer::Kind::Radicale, DavServer::Kind::Xandikos}) {
            if (!DavServer::available(kind))
                continue;
            const char* name = kind == DavServer::Kind::Radicale ? "radicale" : "xandikos";
            QTest::addRow("%s: e-mail changed on the agenda", name)
                << kind << CardEdit::Email << QByteArrayList{"EMAIL:ana.goni@correo.es"}
                << QByteArrayList{"EMAIL;TYPE=home:ana@correo.es"} << 3;
            QTest::addRow("%s: phone and e-mail changed on both sides", name)
                << kind << CardEdit::PhoneAndEmailOnBoth
                << QByteArrayList{"TEL;TYPE=cell:+34 611 222 999", "TEL:+34 948 654 321",
                                  "EMAIL;TYPE=home:ana@pamplona.es", "EMAIL:ana.goni@correo.es"}
                << QByteArrayList{"TEL;TYPE=cell:+34 611 222 333", "EMAIL;TYPE=home:ana@correo.es"} << 4;
            QTest::addRow("%s: street and note changed on the agenda", name)
                << kind << CardEdit::StreetAndNote
                << QByteArrayList{"ADR;TYPE=home:;;Calle Estafeta 7;Pamplona;Navarra;31001;España",
                                  "NOTE:Llamar por la tarde"}
                << QByteArrayList{"ADR;TYPE=home:;;Calle Estafeta 5;Pamplona;Navarra;31001;España",
                                  "BDAY:1980-05-01"}
                << 3;
        }
    }
    void aPhoneCardKeepsWhatTheAgendaLeftAlone() {
        START_SERVER(server);
        QFETCH(CardEdit, edit);
        QFETCH(QByteArrayList, added);
        QFETCH(QByteArrayList, gone);
        QFETCH(int, phones);
        Agenda a;
        const SyncAccount account = accountFor(server, a);
        DavClient client(server.url(), server.user(), server.password());
        const QByteArrayList lines = {"UID:ana-1@movil",
                                      "FN:Ana Goñi",
                                      "N:Goñi;Ana;;;",
                                      "ADR;TYPE=home:;;Calle Estafeta 5;Pamplona;Navarra;31001;España",
                                      "TEL;TYPE=work:+34 948 111 222",
                                      "TEL;TYPE=home:+34 948 333 444",
                                      "ORG:Ayuntamiento de Pamplona",
                                      "BDAY:1980-05-01",
                                      "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ=="};
        const QUrl url = account.addressBook.resolved(QUrl(QStringLiteral("ana-1.vcf")));
        const auto put = [&](const QByteArray& cell, const QByteArray& email) {
            const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\n" + lines.join("\r\n") +
                                    "\r\nTEL;TYPE=cell:" + cell + "\r\nEMAIL;TYPE=home:" + email +
                                    "\r\nEND:VCARD\r\n";
            QVERIFY(client.send("PUT", url, card, {{"Content-Type", "text/vcard"}}).ok());
        };
        put("+34 611 222 333", "ana@correo.es");
        QCOMPARE(sync(a, account, server).agenda.created, 1);
        std::optional<QStringList> ana = a.contact(QStringLiteral("Goñi"));
        QVERIFY(ana);
        if (edit == CardEdit::StreetAndNote) {
            (*ana)[2] = QStringLiteral("Calle Estafeta 7");
            (*ana)[6] = QStringLiteral("Llamar por la tarde\n") + (*ana)[6];
            (*ana)[6].remove(QStringLiteral("\nCumpleaños: 1980-05-01"));
        } else {
            (*ana)[5] = QStringLiteral("ana.goni@correo.es");
        }
        if (edit == CardEdit::PhoneAndEmailOnBoth) {
            (*ana)[4].replace(QStringLiteral("+34 611 222 333"), QStringLiteral("+34 948 654 321"));
            put("+34 611 222 999", "ana@pamplona.es");
        }
        a.setContact(*ana);
        const SyncResult changed = sync(a, account, server);
        QCOMPARE(changed.server.changed + changed.server.merged, 1);

        const QByteArray onServer = client.send("GET", url).body;
        for (const QByteArray& line :
             lines + QByteArrayList{"TEL;TYPE=cell:+34 611 222 333", "EMAIL;TYPE=home:ana@correo.es"} + added)
            QVERIFY2(onServer.contains("\r\n" + line + "\r\n") != gone.contains(line), onServer.constData());
        QCOMPARE(onServer.count("\r\nTEL"), phones);
        QCOMPARE(onServer.count("\r\nEMAIL"), edit == CardEdit::PhoneAndEmailOnBoth ? 2 : 1);
        QCOMPARE(onServer.count("NOTE"), edit == CardEdit::StreetAndNote ? 1 : 0);
        QVERIFY2(!onServer.contains(" / "), onServer.constData());
        // The agenda keeps both versions in its own way.
        if (edit == CardEdit::PhoneAndEmailOnBoth)
            QCOMPARE(a.contact(QStringLiteral("Goñi"))->value(5),
                     QStringLiteral("ana@pamplona.es / ana.goni@correo.es"));
        const SyncResult again = sync(a, account, server);
        QVERIFY(!again.agenda.any() && !again.server.any());
    }

    // A phone edits what the agenda uploaded: a title edit replaces only the first line, a line added comes
    // once, and the next run finds nothing to do and writes no file; a text of one line goes without a
    // DESCRIPTION repeating it.
    void aPhoneEditOfATextKeepsItsLines_data() {
        QTest::addColumn<DavServer::Kind>("kind");
        QTest::addColumn<QString>("text");    // the agenda's, uploaded
        QTest::addColumn<QByteArray>("from"); // what the phone changes in the item...
        QTest::addColumn<QByteArray>("to");   // ... into what
        QTest::addColumn<QString>("expected");
        // Ending with a line end of its own, as typed.
        const QString list =
            QStringLiteral("Comprar pan\nLlamar al médico: 600 111 222\nRecoger el paquete\n");
        for (const auto kind : {DavServer::Kind::Radicale, DavServer::Kind::Xandikos}) {
            if (!DavServer::available(kind))
                continue;
            const char* name = kind == DavServer::Kind::Radicale ? "radicale" : "xandikos";
            QTest::addRow("%s: title edited", name)
                << kind << list << QByteArray("SUMMARY:Comprar pan\r\n")
                << QByteArray("SUMMARY:Comprar pan y leche\r\n")
                << QStringLiteral("Comprar pan y leche\nLlamar al médico: 600 111 222\nRecoger el paquete\n");
            QTest::addRow("%s: line added", name)
                << kind << list << QByteArray("Recoger el paquete")
                << QByteArray("Recoger el paquete\\nRegar")
                << QStringLiteral("Comprar pan\nLlamar al médico: 600 111 222\nRecoger el paquete\nRegar\n");
            // Sent without DESCRIPTION; an older upload had it, and its title edit is read the same way.
            QTest::addRow("%s: one line, title edited", name)
                << kind << QStringLiteral("Dentista") << QByteArray("SUMMARY:Dentista\r\n")
                << QByteArray("SUMMARY:Dentista a las 10\r\nDESCRIPTION:Dentista\r\n")
                << QStringLiteral("Dentista a las 10");
        }
    }
    void aPhoneEditOfATextKeepsItsLines() {
        START_SERVER(server);
        QFETCH(QString, text);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, expected);
        Agenda a;
        const QDate day(2026, 3, 2);
        a.setReminder(day, text);
        const SyncAccount account = accountFor(server, a);
        QCOMPARE(sync(a, account, server).server.created, 1);
        DavClient client(server.url(), server.user(), server.password());
        const QUrl url = serverItems(server, account.calendar).value(0);
        QByteArray body = client.send("GET", url).body.replace("\r\n ", "");
        QVERIFY2(body.contains(from), body.constData());
        QCOMPARE(body.contains("DESCRIPTION"), text.contains(u'\n'));
        body.replace(from, to);
        QVERIFY(client.send("PUT", url, body, {{"Content-Type", "text/calendar"}}).ok());
        // A phone's own event of every day of two weeks from that day, its DESCRIPTION with a line end of
        // its own.
        QVERIFY(
            client
                .send("PUT", account.calendar.resolved(QUrl(QStringLiteral("gimnasio.ics"))),
                      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\nBEGIN:VEVENT\r\n"
                      "UID:gimnasio@movil\r\nDTSTAMP:20260101T090000Z\r\nDTSTART;VALUE=DATE:20260302\r\n"
                      "RRULE:FREQ=DAILY;COUNT=14\r\nSUMMARY:Gimnasio\r\nDESCRIPTION:Gimnasio\\nToalla\\n\r\n"
                      "END:VEVENT\r\nEND:VCALENDAR\r\n",
                      {{"Content-Type", "text/calendar"}})
                .ok());
        SyncOptions options;
        options.today = day;
        const SyncResult changed = sync(a, account, server, options);
        QVERIFY2(changed.agenda.changed == 1 && changed.agenda.created == 1 && !changed.server.any(),
                 qPrintable(changed.summary()));
        QCOMPARE(a.reminder(day), expected + QStringLiteral("\nGimnasio\nToalla\n"));
        QCOMPARE(a.reminder(day.addDays(13)), QStringLiteral("Gimnasio\nToalla\n"));
        QCOMPARE(a.reminderNames().size(), 14);
        const QDir folder(a.data.folder(folders::oneYearReminders));
        QStringList files;
        for (const QString& name : a.reminderNames())
            files.append(folder.filePath(name));
        files.append(QDir(syncFolderPath(a.data)).filePath(account.id + QStringLiteral(".status")));
        QHash<QString, QDateTime> written;
        for (const QString& file : std::as_const(files))
            written.insert(file, QFileInfo(file).lastModified());
        QTest::qWait(1100); // a file written again would show a later time
        const SyncResult again = sync(a, account, server, options);
        QVERIFY2(!again.agenda.any() && !again.server.any(), qPrintable(again.summary()));
        for (const QString& file : std::as_const(files))
            QCOMPARE(QFileInfo(file).lastModified(), written.value(file));
    }

    // A weekly series with a moved occurrence (a second VEVENT with RECURRENCE-ID): a date the user took
    // out goes out of the rule, and a moved occurrence the user took out goes with its date; the other
    // moved occurrence stays.
    void aDateTakenOutOfASeriesWithAMovedOneLeavesIt_data() { addServers(); }
    void aDateTakenOutOfASeriesWithAMovedOneLeavesIt() {
        START_SERVER(server);
        Agenda a;
        const SyncAccount account = accountFor(server, a);
        DavClient client(server.url(), server.user(), server.password());
        const QUrl url = account.calendar.resolved(QUrl(QStringLiteral("clase.ics")));
        const QByteArray event =
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\n"
            "BEGIN:VEVENT\r\nUID:clase@movil\r\nDTSTAMP:20260101T090000Z\r\n"
            "DTSTART;VALUE=DATE:20260105\r\nRRULE:FREQ=WEEKLY;COUNT=5\r\nSUMMARY:Clase\r\n"
            "END:VEVENT\r\nBEGIN:VEVENT\r\nUID:clase@movil\r\nDTSTAMP:20260101T090000Z\r\n"
            "RECURRENCE-ID;VALUE=DATE:20260112\r\nDTSTART;VALUE=DATE:20260113\r\n"
            "SUMMARY:Clase\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:clase@movil\r\n"
            "DTSTAMP:20260101T090000Z\r\nRECURRENCE-ID;VALUE=DATE:20260126\r\n"
            "DTSTART;VALUE=DATE:20260127\r\nSUMMARY:Clase\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        QVERIFY(client.send("PUT", url, event, {{"Content-Type", "text/calendar"}}).ok());
        SyncOptions options;
        options.today = QDate(2026, 1, 1);
        QCOMPARE(sync(a, account, server, options).agenda.created, 1);
        QCOMPARE(a.reminderNames().size(), 5);
        a.setReminder(QDate(2026, 1, 19), QStringLiteral("Clase suspendida"));
        a.setReminder(QDate(2026, 1, 13), QString());
        const SyncResult taken = sync(a, account, server, options);
        QCOMPARE(taken.server.created, 1);
        QCOMPARE(taken.server.changed, 1);
        const QByteArray onServer = client.send("GET", url).body;
        for (const char* line : {"EXDATE;VALUE=DATE:20260119", "EXDATE;VALUE=DATE:20260112",
                                 "RECURRENCE-ID;VALUE=DATE:20260126"})
            QVERIFY2(onServer.contains(line), onServer.constData());
        QVERIFY2(!onServer.contains("20260113"), onServer.constData());
        // Another agenda sees each day once.
        Agenda b;
        QVERIFY(saveSyncAccount(b.data, account));
        QCOMPARE(sync(b, account, server, options).exitCode(), 0);
        QCOMPARE(b.reminder(QDate(2026, 1, 19)), QStringLiteral("Clase suspendida"));
        QCOMPARE(b.reminder(QDate(2026, 1, 13)), QString());
        QCOMPARE(b.reminder(QDate(2026, 1, 27)), QStringLiteral("Clase"));
        const SyncResult again = sync(a, account, server, options);
        QVERIFY(!again.agenda.any() && !again.server.any());
    }

    void aWrongPasswordIsRefused() {
        if (!DavServer::available(DavServer::Kind::Radicale))
            QSKIP("radicale is not installed");
        DavServer server(DavServer::Kind::Radicale);
        QVERIFY(server.start());
        Agenda a;
        a.setHoliday(25, 12, QStringLiteral("Navidad"));
        const SyncAccount account = accountFor(server, a);
        const SyncResult result = runSync(a.data, account, QStringLiteral("otra"));
        QCOMPARE(result.error.kind, DavErrorKind::WrongPassword);
        QCOMPARE(result.exitCode(), 1);
        QVERIFY(result.summary().contains(QStringLiteral("contraseña")));
        QCOMPARE(a.holiday(25, 12), QStringLiteral("Navidad"));
    }

    // No server to talk to is told in Spanish words, whatever the network library said, and ends with 4;
    // one that never answers is given up when the answer timeout passes.
    void anUnreachableServerIsToldInSpanish_data() {
        QTest::addColumn<Peer>("peer");
        QTest::addColumn<QString>("told");
        QTest::newRow("connection refused")
            << Peer::Nobody << QStringLiteral("el servidor rechaza la conexión");
        QTest::newRow("host not found")
            << Peer::NoSuchHost << QStringLiteral("no se encuentra el servidor «servidor.invalid»");
        QTest::newRow("never answers") << Peer::Silent << QStringLiteral("el servidor no contesta");
        QTest::newRow("no https") << Peer::PlainText
                                  << QStringLiteral("no se puede establecer una conexión cifrada");
    }
    void anUnreachableServerIsToldInSpanish() {
        QFETCH(Peer, peer);
        QFETCH(QString, told);
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        const quint16 port = listener.serverPort();
        if (peer == Peer::Nobody)
            listener.close();
        connect(&listener, &QTcpServer::newConnection, &listener, [&] {
            while (QTcpSocket* socket = listener.nextPendingConnection()) {
                if (peer != Peer::PlainText)
                    continue;
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    socket->readAll();
                    socket->write("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
                    socket->disconnectFromHost();
                });
            }
        });
        Agenda a;
        a.setHoliday(25, 12, QStringLiteral("Navidad"));
        SyncAccount account;
        account.server =
            peer == Peer::NoSuchHost
                ? QUrl(QStringLiteral("https://servidor.invalid/"))
                : QUrl(QStringLiteral("%1://127.0.0.1:%2/")
                           .arg(peer == Peer::PlainText ? QStringLiteral("https") : QStringLiteral("http"))
                           .arg(port));
        account.user = QStringLiteral("ana");
        account.id = syncAccountId(account.server, account.user);
        account.calendar = account.server.resolved(QUrl(QStringLiteral("ana/calendario/")));
        SyncOptions options;
        options.answerTimeoutMs = 300;
        QElapsedTimer elapsed;
        elapsed.start();
        const SyncResult result = runSync(a.data, account, QStringLiteral("clave"), options);
        QVERIFY(elapsed.elapsed() < 5000);
        QCOMPARE(result.error.kind, DavErrorKind::Unreachable);
        QCOMPARE(result.exitCode(), 4);
        QVERIFY2(result.summary().startsWith(QStringLiteral("No se ha terminado: ") + told),
                 qPrintable(result.summary()));
    }

    // On a folder that cannot take the account (a full disk), --sync-setup says so and makes nothing on the
    // server; with room again it makes the "Quindara" collections and keeps the account.
    void aSetUpThatCannotBeSavedMakesNothing() {
        if (!DavServer::available(DavServer::Kind::Radicale))
            QSKIP("radicale is not installed");
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        DavServer server(DavServer::Kind::Radicale);
        QVERIFY(server.start());
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("datos"));
        QVERIFY(QDir().mkpath(folder));
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("cannot mount a tmpfs");
        const auto unmount =
            qScopeGuard([&folder] { ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH); });
        QFile filler(QDir(folder).filePath(QStringLiteral("relleno")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
        filler.close();
        const auto setUp = [&](QString* said) {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QUINDARA_DAV_PASSWORD"), server.password());
            process.setProcessEnvironment(environment);
            process.start(QStringLiteral(QUINDARA_PROGRAM),
                          {QStringLiteral("--folder"), folder, QStringLiteral("--sync-setup"),
                           server.url().toString(), QStringLiteral("--user"), server.user()});
            process.waitForFinished(60000);
            *said = QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
            return process.exitCode();
        };
        QString said;
        QCOMPARE(setUp(&said), 2);
        QVERIFY2(said.contains(QStringLiteral("No se ha hecho nada: no se ha podido guardar la cuenta")),
                 qPrintable(said));
        DavDiscovery found = discoverCollections(server.url(), server.user(), server.password());
        QCOMPARE(found.calendars.size() + found.addressBooks.size(), 0);
        QVERIFY(readSyncAccounts(DataFolder(folder)).isEmpty());

        QVERIFY(filler.remove());
        QCOMPARE(setUp(&said), 0);
        found = discoverCollections(server.url(), server.user(), server.password());
        QCOMPARE(found.calendars.size(), 1);
        QCOMPARE(found.addressBooks.size(), 1);
        const QList<SyncAccount> accounts = readSyncAccounts(DataFolder(folder));
        QCOMPARE(accounts.size(), 1);
        QCOMPARE(accounts.first().calendar, found.calendars.first().url);
        QCOMPARE(accounts.first().addressBook, found.addressBooks.first().url);
    }

    // What is typed after the password prompt shows never appears on the terminal: the echo is off before
    // the prompt is written.
    void thePasswordPromptHidesWhatIsTyped() {
        QTemporaryDir folder;
        QProcess prompt;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QUINDARA_DAV_PASSWORD"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*=false"));
        prompt.setProcessEnvironment(environment);
        prompt.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        prompt.start(systemPython(), {QStringLiteral("-c"), QString::fromUtf8(kEchoAtThePrompt),
                                      QStringLiteral(QUINDARA_PROGRAM), folder.path()});
        QVERIFY(prompt.waitForFinished(90000));
        QCOMPARE(QString::fromUtf8(prompt.readAll()).trimmed(), QStringLiteral("echo off"));
    }

    // kill -9 of the sync process at several points, then a whole run: both sides end with the same items,
    // each once, and no text lost.
    void aKilledSyncLosesNothing_data() { addServers(); }
    void aKilledSyncLosesNothing() {
        START_SERVER(server);
        Agenda a;
        Agenda b;
        const QDate first(2026, 3, 1);
        for (int day = 0; day < 24; ++day)
            a.setReminder(first.addDays(day), QStringLiteral("Clase %1").arg(day));
        for (int day = 20; day < 30; ++day) // four days on both sides with other texts
            b.setReminder(first.addDays(day), QStringLiteral("Turno %1").arg(day));
        for (int n = 0; n < 4; ++n) {
            QStringList card = kGarcia;
            card[0] = QStringLiteral("García %1").arg(n);
            a.setContact(card);
        }
        const SyncAccount account = accountFor(server, a);
        // A weekly event of the server on four of those days.
        const QByteArray weekly =
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\nBEGIN:VEVENT\r\nUID:semanal@movil\r\n"
            "DTSTAMP:20260101T090000Z\r\nDTSTART;VALUE=DATE:20260302\r\nRRULE:FREQ=WEEKLY;COUNT=4\r\n"
            "SUMMARY:Reunión semanal\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        DavClient client(server.url(), server.user(), server.password());
        QVERIFY(client
                    .send("PUT", account.calendar.resolved(QUrl(QStringLiteral("semanal.ics"))), weekly,
                          {{"Content-Type", "text/calendar"}})
                    .ok());
        QVERIFY(saveSyncAccount(b.data, account));
        QCOMPARE(sync(b, account, server).exitCode(), 0);
        QRandomGenerator random(29);
        for (int round = 0; round < 8; ++round)
            QVERIFY(runProgram(a, server, int(random.bounded(150, 1200))) != -1);
        QString said;
        QCOMPARE(runProgram(a, server, -1, &said), 0);
        QCOMPARE(sync(b, account, server).exitCode(), 0);
        QCOMPARE(a.reminderNames(), b.reminderNames());
        QCOMPARE(a.reminderNames().size(), 30);
        for (int day = 0; day < 30; ++day) {
            const QString text = a.reminder(first.addDays(day));
            QCOMPARE(text, b.reminder(first.addDays(day)));
            if (day < 24)
                QVERIFY2(text.contains(QStringLiteral("Clase %1").arg(day)), qPrintable(text));
            if (day >= 20)
                QVERIFY2(text.contains(QStringLiteral("Turno %1").arg(day)), qPrintable(text));
            QCOMPARE(text.count(QStringLiteral("Clase")) + text.count(QStringLiteral("Turno")),
                     day >= 20 && day < 24 ? 2 : 1);
            QCOMPARE(text.count(QStringLiteral("Reunión semanal")), day % 7 == 1 && day < 29 ? 1 : 0);
        }
        QCOMPARE(a.contactNames(), b.contactNames());
        QCOMPARE(a.contactNames().size(), 4);
        QCOMPARE(serverCount(server, account.calendar), 31);
        QCOMPARE(serverCount(server, account.addressBook), 4);
    }

    void anUntrustedCertificateIsRefusedWithItsFingerprint() {
        const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
        if (!DavServer::available(DavServer::Kind::Radicale) || openssl.isEmpty())
            QSKIP("radicale or openssl is not installed");
        QTemporaryDir keys;
        const QString certificate = keys.filePath(QStringLiteral("cert.pem"));
        const QString key = keys.filePath(QStringLiteral("key.pem"));
        QProcess make;
        make.start(openssl,
                   {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", certificate,
                    "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
        QVERIFY(make.waitForFinished(60000) && make.exitCode() == 0);
        QProcess print;
        print.start(openssl, {"x509", "-in", certificate, "-noout", "-fingerprint", "-sha256"});
        QVERIFY(print.waitForFinished(10000));
        const QString fingerprint =
            QString::fromLatin1(print.readAllStandardOutput()).section(u'=', 1).trimmed().toUpper();
        QVERIFY(!fingerprint.isEmpty());
        DavServer server(DavServer::Kind::Radicale);
        server.useCertificate(certificate, key);
        QVERIFY(server.start());

        const DavDiscovery refused = discoverCollections(server.url(), server.user(), server.password());
        QCOMPARE(refused.error.kind, DavErrorKind::CertificateNotTrusted);
        QCOMPARE(refused.error.fingerprint, fingerprint);
        SyncResult result;
        result.error = refused.error;
        QCOMPARE(result.exitCode(), 1);
        QVERIFY(result.summary().contains(fingerprint));
        // Once the user accepted that fingerprint, the server is reached.
        const DavDiscovery accepted =
            discoverCollections(server.url(), server.user(), server.password(), fingerprint);
        QCOMPARE(accepted.error.kind, DavErrorKind::None);
        QVERIFY(accepted.calendarHome.isValid());
    }

    // Another client reads what the agenda wrote: every holiday, reminder and contact, right dates and texts.
    void anotherClientSeesWhatTheAgendaWrote_data() { addServers(); }
    void anotherClientSeesWhatTheAgendaWrote() {
        const QString python = systemPython();
        QProcess probe;
        probe.start(python, {QStringLiteral("-c"), QStringLiteral("import caldav, requests, vobject")});
        if (python.isEmpty() || !probe.waitForFinished(30000) || probe.exitCode() != 0)
            QSKIP("python3-caldav is not installed");
        START_SERVER(server);
        Agenda a;
        a.setHoliday(25, 12, QStringLiteral("Navidad"));
        a.setHoliday(29, 2, QStringLiteral("Bisiesto"));
        a.setReminder(QDate(2026, 1, 5), QStringLiteral("Dentista\nLlevar la tarjeta"));
        a.setContact(kGarcia);
        const SyncAccount account = accountFor(server, a);
        QCOMPARE(sync(a, account, server).exitCode(), 0);
        QProcess client;
        client.start(python, {QStringLiteral("-c"), QString::fromUtf8(kIndependentClient),
                              server.url().toString(), server.user(), server.password(),
                              account.calendar.toString(), account.addressBook.toString()});
        QVERIFY(client.waitForFinished(60000));
        QVERIFY2(client.exitCode() == 0, client.readAllStandardError().constData());
        const QStringList seen = QString::fromUtf8(client.readAllStandardOutput()).trimmed().split(u'\n');
        const QStringList expected = {QStringLiteral("CARD Luisa García 600 111 222"),
                                      QStringLiteral("EVENT 2000-02-29 Bisiesto YEARLY"),
                                      QStringLiteral("EVENT 2000-12-25 Navidad YEARLY"),
                                      QStringLiteral("EVENT 2026-01-05 Dentista")};
        QCOMPARE(seen, expected);
    }

    // Each machine keeps its own status record. A writes a day note and syncs; the folder reaches B, its
    // record too, without the note yet: B's first run brings the note from the server, and nothing is
    // deleted anywhere. The lines A's run added for a weekly server event are that event's on B too, not
    // B's own. Conflict copies of the records are removed; another machine's record stays, also when B
    // stops syncing.
    void anotherMachinesRecordDeletesNothing_data() { addServers(); }
    void anotherMachinesRecordDeletesNothing() {
        START_SERVER(server);
        Agenda a;
        a.setHoliday(25, 12, QStringLiteral("Navidad"));
        SyncAccount account = accountFor(server, a);
        account.withNotes = true;
        const QDate today = QDate::currentDate();
        const QByteArray weekly = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\nBEGIN:VEVENT\r\n"
                                  "UID:serie@movil\r\nDTSTAMP:20260101T090000Z\r\nDTSTART;VALUE=DATE:" +
                                  today.toString(u"yyyyMMdd").toLatin1() +
                                  "\r\nRRULE:FREQ=WEEKLY;COUNT=2\r\nSUMMARY:Reunión\r\nEND:VEVENT\r\n"
                                  "END:VCALENDAR\r\n";
        QVERIFY(DavClient(server.url(), server.user(), server.password())
                    .send("PUT", account.calendar.resolved(QUrl(QStringLiteral("serie.ics"))), weekly,
                          {{"Content-Type", "text/calendar"}})
                    .ok());
        const QString key = dayNoteKey(today);
        const QString note = QStringLiteral("Llamar a Luisa");
        QVERIFY(DayNotes(a.data).save(key, note));
        QCOMPARE(sync(a, account, server).server.created, 2);
        QCOMPARE(a.reminder(today.addDays(7)), QStringLiteral("Reunión"));

        Agenda b;
        const QString aRecord = account.id + QStringLiteral(".otro-equipo-a1b2c3.status");
        carry(a, b, account, a.data.folder(folders::dayNotes), aRecord);
        const QDir records(syncFolderPath(b.data));
        for (const QString& copy :
             {account.id + QStringLiteral(".sync-conflict-20261207-101500-ABCDEFG.status"),
              account.id + QStringLiteral(".otro-equipo-a1b2c3 (conflicted copy 2026-12-07 "
                                          "101500).status")})
            QVERIFY(common::writeLines(records.filePath(copy), {QStringLiteral("quindara-sync-status 1")}));
        const SyncResult onB = sync(b, account, server);
        QCOMPARE(onB.exitCode(), 0);
        QVERIFY(!onB.server.any());
        QCOMPARE(onB.agenda.created, 1);
        const SyncResult onA = sync(a, account, server);
        QCOMPARE(onA.exitCode(), 0);
        QVERIFY(!onA.agenda.any() && !onA.server.any());
        QCOMPARE(serverCount(server, account.calendar), 3);
        for (const Agenda* agenda : {&a, &b}) {
            QCOMPARE(DayNotes(agenda->data).load(key).text, note);
            QCOMPARE(agenda->holiday(25, 12), QStringLiteral("Navidad"));
            QCOMPARE(agenda->reminder(today.addDays(7)), QStringLiteral("Reunión"));
        }

        const QString bRecord = QFileInfo(syncStatusPath(b.data, account)).fileName();
        QStringList expected = {account.id + QStringLiteral(".account"), aRecord, bRecord};
        expected.sort();
        QCOMPARE(records.entryList(QDir::Files, QDir::Name), expected);
        QVERIFY(removeSyncAccount(b.data, account));
        QCOMPARE(records.entryList(QDir::Files), QStringList{aRecord});
    }

    // The single record of earlier versions may have been written by another machine: a machine's first
    // run takes from it only which items are the same on both sides, and an item one side lacks is created
    // there again, whichever side deleted it. From then on the machine's own record tells of deletions.
    void aRecordOfEarlierVersionsDeletesNothing_data() { addServers(); }
    void aRecordOfEarlierVersionsDeletesNothing() {
        START_SERVER(server);
        Agenda a;
        const QDate dentist(2026, 1, 5);
        a.setHoliday(25, 12, QStringLiteral("Navidad"));
        a.setHoliday(6, 1, QStringLiteral("Reyes"));
        a.setReminder(dentist, QStringLiteral("Dentista"));
        a.setContact(kGarcia);
        const SyncAccount account = accountFor(server, a);
        QCOMPARE(sync(a, account, server).server.created, 4);
        Agenda b;
        carry(a, b, account, a.data.folder(folders::oneYearReminders),
              account.id + QStringLiteral(".status"));
        a.setHoliday(6, 1, QString());
        QCOMPARE(sync(a, account, server).server.deleted, 1);

        const SyncResult first = sync(b, account, server);
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(first.agenda.created, 1);
        QCOMPARE(first.server.created, 1);
        QCOMPARE(first.agenda.deleted + first.server.deleted + first.agenda.merged + first.server.changed, 0);
        QCOMPARE(b.reminder(dentist), QStringLiteral("Dentista"));
        QCOMPARE(b.holiday(6, 1), QStringLiteral("Reyes"));
        b.setReminder(dentist, QString());
        QCOMPARE(sync(b, account, server).server.deleted, 1);
        QCOMPARE(sync(a, account, server).agenda.deleted, 1);
        QCOMPARE(a.reminder(dentist), QString());
    }
};

QTEST_GUILESS_MAIN(TestDavSync)
#include "tst_davsync.moc"
