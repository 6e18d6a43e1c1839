#include "../tests/support/davserver.h"
#include "agenda/core/contactcard.h"
#include "agenda/core/datafolder.h"
#include "agenda/core/davsync.h"
#include "agenda/core/daykeys.h"
#include "agenda/core/daytexts.h"
#include "benchdata.h"

#include <QDate>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace quindara;

constexpr int kItems = 5000;
constexpr double kFirstSyncWallMs = 10000;
constexpr double kNothingChangedCpuMs = 50;

// One local Radicale for the whole program, its account and the agendas synced with it.
struct Bench {
    DavServer server{DavServer::Kind::Radicale};
    bool started = false;
    int collections = 0;
    double toServerMs = 0;
    double fromServerMs = 0;
    int nothingChangedRequests = -1;
};

Bench& bench() {
    static Bench b;
    if (!b.started)
        b.started = DavServer::available(DavServer::Kind::Radicale) && b.server.start();
    return b;
}

// The collections of a fresh server, so that the first sync starts from an empty server.
SyncAccount freshAccount(Bench& b) {
    DavServer& server = b.server;
    const DavDiscovery found = discoverCollections(server.url(), server.user(), server.password());
    SyncAccount account;
    account.server = server.url();
    account.user = server.user();
    account.id = QStringLiteral("bench%1").arg(++b.collections);
    DavError error;
    const QUrl& home = found.calendarHome;
    account.calendar =
        createQuindaraCollection(server.url(), home, false, server.user(), server.password(), {}, error).url;
    account.addressBook =
        createQuindaraCollection(server.url(), home, true, server.user(), server.password(), {}, error).url;
    return account;
}

// An agenda with `items` things to sync: four in five one-year reminders, the rest contacts.
std::unique_ptr<QTemporaryDir> fullAgenda(int items) {
    auto dir = std::make_unique<QTemporaryDir>();
    const DataFolder data(dir->path());
    (void)data.createMissingFolders();
    const QDate first(2020, 1, 1);
    const int contacts = items / 5;
    for (int i = 0; i < items - contacts; ++i) {
        const QDate d = first.addDays(i);
        (void)storeDayText(data, DayTextKind::OneYearReminder, QString::number(d.day()), monthName(d.month()),
                           QString::number(d.year()), QStringLiteral("Cita número %1 con el médico").arg(i));
    }
    for (int i = 0; i < contacts; ++i) {
        const QString name = QStringLiteral("Apellido%1").arg(i);
        (void)writeContactCard(data.contactFile(folders::allContacts, name),
                               {name, QStringLiteral("Nombre"), QStringLiteral("Calle Mayor %1").arg(i),
                                QStringLiteral("28001 Madrid"), QStringLiteral("600 %1").arg(i),
                                QStringLiteral("n%1@example.com").arg(i), QStringLiteral("Referencia")});
    }
    return dir;
}

// Both directions of a first sync: a full agenda to an empty server, then that server to an empty agenda.
// Then a run with nothing changed, repeated.
void DavSync(benchmark::State& state) {
    Bench& b = bench();
    if (!b.started) {
        state.SkipWithError("radicale could not be started");
        return;
    }
    const int items = int(state.range(0));
    const SyncAccount account = freshAccount(b);
    const auto agenda = fullAgenda(items);
    QElapsedTimer wall;
    wall.start();
    const SyncResult up = runSync(DataFolder(agenda->path()), account, b.server.password());
    b.toServerMs = double(wall.restart());
    QTemporaryDir empty;
    const SyncResult down = runSync(DataFolder(empty.path()), account, b.server.password());
    b.fromServerMs = double(wall.elapsed());
    if (up.exitCode() != 0 || down.exitCode() != 0 || up.server.created != items ||
        down.agenda.created != items) {
        state.SkipWithError("the first sync did not carry every item");
        return;
    }
    // Settle the tokens once, then time the runs that find nothing.
    (void)runSync(DataFolder(agenda->path()), account, b.server.password());
    for (auto _ : state) {
        const SyncResult again = runSync(DataFolder(agenda->path()), account, b.server.password());
        b.nothingChangedRequests = again.requests;
        if (again.agenda.any() || again.server.any())
            state.SkipWithError("a run with nothing changed wrote something");
    }
    state.counters["first_to_server_s"] = b.toServerMs / 1000;
    state.counters["first_from_server_s"] = b.fromServerMs / 1000;
    state.counters["requests"] = b.nothingChangedRequests;
}
BENCHMARK(DavSync)->Unit(benchmark::kMillisecond)->Arg(kItems)->Iterations(5);

void checkBudgets(bench::Budgets& budgets) {
    const Bench& b = bench();
    budgets.atMost("DavSync/5000/iterations:5", kNothingChangedCpuMs,
                   "a run with nothing changed, 5,000 items");
    budgets.judge("the same run's requests (every collection listed at once: one round trip)",
                  std::to_string(b.nothingChangedRequests) + " requests", b.nothingChangedRequests == 2);
    const auto seconds = [](double ms) { return std::to_string(ms / 1000).substr(0, 5) + " s wall"; };
    budgets.judge("first sync of 5,000 items to an empty server", seconds(b.toServerMs),
                  b.toServerMs > 0 && b.toServerMs <= kFirstSyncWallMs);
    budgets.judge("first sync of 5,000 items from the server to an empty agenda", seconds(b.fromServerMs),
                  b.fromServerMs > 0 && b.fromServerMs <= kFirstSyncWallMs);
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, checkBudgets, false);
}
