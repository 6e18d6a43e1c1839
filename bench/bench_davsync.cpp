// SPDX-License-Identifier: GPL-3.0-or-later
#include "../tests/support/davserver.h"
#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/dav/davclient.h"
#include "agenda/core/dav/davdiscovery.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/formats/icalendar.h"
#include "agenda/core/formats/vcard.h"
#include "agenda/core/sync/davsync.h"
#include "benchdata.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <memory>
#include <utility>
#include <vector>

#include <time.h>

namespace {

using namespace quindara;

const int kItems = int(bench::scaled(5000));      // four in five events, the rest contacts
const int kUploadItems = int(bench::scaled(500)); // see uploadNote
constexpr double kFirstSyncWallMs = 10000;
constexpr double kNothingChangedCpuMs = 50;

// One local Radicale for the whole program, with an account whose collections the benchmark fills.
struct Bench {
    DavServer server{DavServer::Kind::Radicale};
    bool started = false;
    SyncAccount account;
    std::unique_ptr<QTemporaryDir> agenda; // the agenda the first download filled
    double fromServerMs = 0;
    double toServerMs = 0;
    double toServerCpuMs = 0;
    double toXandikosMs = 0;
    double toXandikosCpuMs = 0;
    std::vector<std::pair<int, double>> radicalePutMs; // items already in the collection, ms a new item
    int nothingChangedRequests = -1;
};

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A collection of Radicale's file storage with `items` events or cards, written straight into its folder:
// Radicale's own cost per upload grows with the collection, which the benchmark does not measure.
QUrl filledCollection(Bench& b, const QString& name, bool addressBook, int items) {
    const QString folder = QDir(b.server.storage()).filePath(QStringLiteral("collection-root/ana/") + name);
    QDir().mkpath(folder);
    writeFile(QDir(folder).filePath(QStringLiteral(".Radicale.props")),
              addressBook ? QByteArray(R"({"tag": "VADDRESSBOOK", "D:displayname": "Bench"})")
                          : QByteArray(R"({"tag": "VCALENDAR", "D:displayname": "Bench"})"));
    const QDate first(2020, 1, 1);
    for (int i = 0; i < items; ++i) {
        if (addressBook) {
            const QString surname = QStringLiteral("Apellido%1").arg(i);
            const QStringList fields = {surname,
                                        QStringLiteral("Nombre"),
                                        QStringLiteral("Calle Mayor %1").arg(i),
                                        QStringLiteral("28001 Madrid"),
                                        QStringLiteral("600 %1").arg(i),
                                        QStringLiteral("n%1@example.com").arg(i),
                                        QStringLiteral("Referencia")};
            writeFile(QDir(folder).filePath(QStringLiteral("c%1.vcf").arg(i)),
                      writeVCards({{fields, QStringLiteral("bench-c%1").arg(i), {}}}, {}));
        } else {
            CalendarItem item{CalendarKind::OneYearReminder,
                              first.addDays(i),
                              QStringLiteral("Cita número %1 con el médico").arg(i),
                              {},
                              false};
            writeFile(QDir(folder).filePath(QStringLiteral("e%1.ics").arg(i)),
                      writeIcs({item}, QStringLiteral("bench")));
        }
    }
    return b.server.url().resolved(QUrl(QStringLiteral("/ana/%1/").arg(name)));
}

Bench& bench() {
    static Bench b;
    if (b.started)
        return b;
    b.started = DavServer::available(DavServer::Kind::Radicale) && b.server.start();
    if (!b.started)
        return b;
    // The first request makes the user's home.
    (void)discoverCollections(b.server.url(), b.server.user(), b.server.password());
    b.account.id = QStringLiteral("bench");
    b.account.server = b.server.url();
    b.account.user = b.server.user();
    b.account.calendar = filledCollection(b, QStringLiteral("eventos"), false, kItems - kItems / 5);
    b.account.addressBook = filledCollection(b, QStringLiteral("contactos"), true, kItems / 5);
    // Radicale reads and caches each item the first time it lists it, as it does on upload: listed once
    // here, so that the first sync meets the server as its items would have left it.
    DavClient client(b.server.url(), b.server.user(), b.server.password());
    for (const QUrl& url : {b.account.calendar, b.account.addressBook})
        (void)client.send("PROPFIND", url, dav::propfindBody({{dav::kDav, QStringLiteral("getetag")}}),
                          {{"Depth", "1"}});
    return b;
}

// The first sync from a full server to an empty agenda.
void FirstSyncFromServer(benchmark::State& state) {
    Bench& b = bench();
    if (!b.started)
        return state.SkipWithError("radicale could not be started");
    for (auto _ : state) {
        b.agenda = std::make_unique<QTemporaryDir>();
        QElapsedTimer wall;
        wall.start();
        const SyncResult down = runSync(DataFolder(b.agenda->path()), b.account, b.server.password());
        b.fromServerMs = double(wall.elapsed());
        if (down.exitCode() != 0 || down.agenda.created != kItems)
            state.SkipWithError("the first sync did not bring every item");
    }
}
BENCHMARK(FirstSyncFromServer)->Unit(benchmark::kMillisecond)->Iterations(1);

// A run that finds nothing changed on either side, 5,000 items.
void NothingChanged(benchmark::State& state) {
    Bench& b = bench();
    if (!b.agenda)
        return state.SkipWithError("the first sync did not run");
    const DataFolder data(b.agenda->path());
    // The files the download wrote are a few seconds old before their stamps are trusted; a smoke run
    // does not wait, and its runs compare the files' contents instead.
    if (!bench::smoke())
        QThread::sleep(4);
    (void)runSync(data, b.account, b.server.password());
    for (auto _ : state) {
        const SyncResult again = runSync(data, b.account, b.server.password());
        b.nothingChangedRequests = again.requests;
        if (again.agenda.any() || again.server.any())
            state.SkipWithError("a run with nothing changed wrote something");
    }
    state.counters["requests"] = b.nothingChangedRequests;
}
BENCHMARK(NothingChanged)->Unit(benchmark::kMillisecond)->Iterations(5);

// An agenda folder with `items` one-year reminders, one a day.
void fillAgenda(const DataFolder& data, int items) {
    (void)data.createMissingFolders();
    const QDate first(2020, 1, 1);
    for (int i = 0; i < items; ++i) {
        const QDate d = first.addDays(i);
        (void)storeDayText(data, DayTextKind::OneYearReminder, QString::number(d.day()), monthName(d.month()),
                           QString::number(d.year()), QStringLiteral("Cita número %1").arg(i));
    }
}

double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The first sync from a full agenda to an empty calendar: wall time, and this program's CPU time.
bool firstUpload(const SyncAccount& account, const QString& password, double& wallMs, double& cpuMs) {
    QTemporaryDir dir;
    const DataFolder data(dir.path());
    fillAgenda(data, kUploadItems);
    QElapsedTimer wall;
    wall.start();
    const double cpu = processCpuMs();
    const SyncResult up = runSync(data, account, password);
    cpuMs = processCpuMs() - cpu;
    wallMs = double(wall.elapsed());
    return up.exitCode() == 0 && up.server.created == kUploadItems;
}

// The first sync from a full agenda to empty collections, at a size Radicale takes in reasonable time.
void FirstSyncToServer(benchmark::State& state) {
    Bench& b = bench();
    if (!b.started)
        return state.SkipWithError("radicale could not be started");
    for (auto _ : state) {
        SyncAccount account = b.account;
        account.id = QStringLiteral("subida");
        static int run = 0; // a new calendar for each repetition
        account.calendar = filledCollection(b, QStringLiteral("subida%1").arg(++run), false, 0);
        account.addressBook = QUrl();
        if (!firstUpload(account, b.server.password(), b.toServerMs, b.toServerCpuMs))
            state.SkipWithError("the first sync did not carry every item");
    }
}
BENCHMARK(FirstSyncToServer)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same to Xandikos, which keeps its collections in git.
void FirstSyncToXandikos(benchmark::State& state) {
    DavServer server(DavServer::Kind::Xandikos);
    if (!DavServer::available(DavServer::Kind::Xandikos) || !server.start())
        return state.SkipWithError("xandikos could not be started");
    const DavDiscovery found = discoverCollections(server.url(), server.user(), server.password());
    if (found.calendars.isEmpty())
        return state.SkipWithError("xandikos offers no calendar");
    SyncAccount account;
    account.id = QStringLiteral("xandikos");
    account.server = server.url();
    account.user = server.user();
    account.calendar = found.calendars.first().url;
    Bench& b = bench();
    for (auto _ : state) {
        if (!firstUpload(account, server.password(), b.toXandikosMs, b.toXandikosCpuMs))
            state.SkipWithError("the first sync did not carry every item");
    }
}
BENCHMARK(FirstSyncToXandikos)->Unit(benchmark::kMillisecond)->Iterations(1);

// Radicale's time for one new item in a calendar that holds 100, 1,000 or 5,000: it checks the new item's
// UID against every item of the collection, so the time grows with it.
void RadicalePerUpload(benchmark::State& state) {
    Bench& b = bench();
    if (!b.started)
        return state.SkipWithError("radicale could not be started");
    constexpr int kPuts = 20;
    static int run = 0; // new calendars for each repetition
    for (auto _ : state) {
        b.radicalePutMs.clear();
        ++run;
        for (const int size : {100, 1000, 5000}) {
            const QUrl url = filledCollection(b, QStringLiteral("tam%1-%2").arg(size).arg(run), false,
                                              int(bench::scaled(size)));
            DavClient client(b.server.url(), b.server.user(), b.server.password());
            (void)client.send("PROPFIND", url, dav::propfindBody({{dav::kDav, QStringLiteral("getetag")}}),
                              {{"Depth", "1"}});
            QElapsedTimer wall;
            wall.start();
            for (int i = 0; i < kPuts; ++i) {
                const CalendarItem item{CalendarKind::OneYearReminder,
                                        QDate(1990, 1, 1).addDays(i),
                                        QStringLiteral("Nueva %1").arg(i),
                                        {},
                                        false};
                (void)client.send("PUT", url.resolved(QUrl(QStringLiteral("nueva%1.ics").arg(i))),
                                  writeIcs({item}, QStringLiteral("bench")),
                                  {{"If-None-Match", "*"}, {"Content-Type", "text/calendar; charset=utf-8"}});
            }
            b.radicalePutMs.emplace_back(size, double(wall.elapsed()) / kPuts);
        }
    }
}
BENCHMARK(RadicalePerUpload)->Unit(benchmark::kMillisecond)->Iterations(1);

void checkBudgets(bench::Budgets& budgets) {
    const Bench& b = bench();
    const auto seconds = [](double ms) { return std::to_string(ms / 1000).substr(0, 5) + " s wall"; };
    budgets.judge("first sync of 5,000 items from the server to an empty agenda",
                  seconds(b.fromServerMs) + ", budget 10 s",
                  b.fromServerMs > 0 && b.fromServerMs <= kFirstSyncWallMs);
    budgets.atMost("NothingChanged/iterations:5", kNothingChangedCpuMs,
                   "a run with nothing changed, 5,000 items");
    budgets.judge("the same run's requests (every collection listed at once: one round trip)",
                  std::to_string(b.nothingChangedRequests) + " requests", b.nothingChangedRequests == 2);
    // The figures below are not judged, and a smoke run's are not worth reading.
    if (bench::smoke())
        return;
    // Both servers take most of an upload's time; ours is the CPU time per item. Shown, not judged: Radicale
    // checks each new item's UID against its whole collection, so 5,000 uploads take it many minutes
    // whatever the client does.
    std::printf("first sync of %d items to an empty Radicale calendar: %s (%.1f ms an item, %.2f ms of it "
                "ours)\n",
                kUploadItems, seconds(b.toServerMs).c_str(), b.toServerMs / kUploadItems,
                b.toServerCpuMs / kUploadItems);
    std::printf("first sync of %d items to an empty Xandikos calendar: %s (%.1f ms an item, %.2f ms of it "
                "ours)\n",
                kUploadItems, seconds(b.toXandikosMs).c_str(), b.toXandikosMs / kUploadItems,
                b.toXandikosCpuMs / kUploadItems);
    for (const auto& [size, ms] : b.radicalePutMs)
        std::printf("Radicale, one new item in a calendar of %d: %.1f ms\n", size, ms);
}

} // namespace

int main(int argc, char** argv) {
    // A smoke run without the servers is skipped (exit code 77), as the sync tests are.
    if (bench::smoke() && !(DavServer::available(DavServer::Kind::Radicale) &&
                            DavServer::available(DavServer::Kind::Xandikos))) {
        std::printf("radicale or xandikos is not installed: nothing to run\n");
        return 77;
    }
    return bench::runBenchmarks(argc, argv, checkBudgets, false);
}
