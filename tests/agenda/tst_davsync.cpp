#include "../support/davserver.h"
#include "agenda/core/contactcard.h"
#include "agenda/core/datafolder.h"
#include "agenda/core/davsync.h"
#include "agenda/core/daykeys.h"
#include "agenda/core/daytexts.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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

SyncResult sync(const Agenda& agenda, const SyncAccount& account, const DavServer& server,
                const SyncOptions& options = {}) {
    const SyncResult result = runSync(agenda.data, account, server.password(), options);
    if (result.exitCode() != 0)
        qWarning("%s", qPrintable(result.summary()));
    return result;
}

void addServers() {
    QTest::addColumn<DavServer::Kind>("kind");
    for (const auto kind : {DavServer::Kind::Radicale, DavServer::Kind::Xandikos}) {
        if (DavServer::available(kind))
            QTest::newRow(kind == DavServer::Kind::Radicale ? "radicale" : "xandikos") << kind;
    }
}

#define START_SERVER(server)                                                                                 \
    QFETCH(DavServer::Kind, kind);                                                                           \
    DavServer server(kind);                                                                                  \
    QVERIFY2(server.start(), "the server did not start")

enum class Change {
    OnAgenda,
    OnServer,
    OnBoth,
    DeletedOnAgenda,
    DeletedOnServer,
    DeletedHereChangedThere,
    ChangedHereDeletedThere
};

} // namespace

Q_DECLARE_METATYPE(DavServer::Kind)
Q_DECLARE_METATYPE(Change)

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

        // Nothing changed: one listing per collection, nothing written on either side.
        for (const Agenda* agenda : {&a, &b, &a}) {
            const SyncResult again = sync(*agenda, account, server);
            QCOMPARE(again.exitCode(), 0);
            QVERIFY(!again.agenda.any() && !again.server.any());
            QCOMPARE(again.requests, 2);
        }
    }

    void aChangeTravelsAndNothingIsLost_data() {
        QTest::addColumn<DavServer::Kind>("kind");
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("expected"); // the holiday's text on both agendas afterwards
        const QString both = QStringLiteral("Navidad en casa de B\n----- Arriba, la versión del servidor");
        for (const auto kind : {DavServer::Kind::Radicale, DavServer::Kind::Xandikos}) {
            if (!DavServer::available(kind))
                continue;
            const char* name = kind == DavServer::Kind::Radicale ? "radicale" : "xandikos";
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

    // The item changes on the server between the listing and the write: the write is refused (412),
    // the new version is read and both texts are kept.
    void aWriteRaceKeepsBothTexts_data() { addServers(); }
    void aWriteRaceKeepsBothTexts() {
        START_SERVER(server);
        Agenda a;
        Agenda b;
        a.setHoliday(25, 12, QStringLiteral("Navidad"));
        const SyncAccount account = accountFor(server, a);
        QCOMPARE(sync(a, account, server).exitCode(), 0);
        QCOMPARE(sync(b, account, server).exitCode(), 0);
        a.setHoliday(25, 12, QStringLiteral("Navidad en casa de A"));
        SyncOptions options;
        bool raced = false;
        options.progress = [&](SyncPhase phase, qsizetype, qsizetype) {
            if (phase != SyncPhase::Writing || raced)
                return;
            raced = true;
            b.setHoliday(25, 12, QStringLiteral("Navidad en casa de B"));
            QCOMPARE(sync(b, account, server).server.changed, 1);
        };
        const SyncResult result = sync(a, account, server, options);
        QVERIFY(raced);
        QCOMPARE(result.exitCode(), 0);
        QCOMPARE(result.server.merged, 1);
        QCOMPARE(sync(b, account, server).agenda.changed, 1);
        QCOMPARE(b.holiday(25, 12), a.holiday(25, 12));
        QVERIFY(a.holiday(25, 12).startsWith(QStringLiteral("Navidad en casa de B\n")));
        QVERIFY(a.holiday(25, 12).endsWith(QStringLiteral("\nNavidad en casa de A")));
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
};

QTEST_GUILESS_MAIN(TestDavSync)
#include "tst_davsync.moc"
