#include "benchdata.h"
#include "common/folderindex.h"

#include <QDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kFiles = 20000;

const QString& folder() {
    static const QString path = [] {
        const QString p = bench::scratch().filePath(QStringLiteral("index"));
        bench::fillFolder(p, kFiles,
                          [](int i) { return QStringLiteral("%1 de NOMBRE %2.txt").arg(i % 31 + 1).arg(i); });
        return p;
    }();
    return path;
}

QString probe(int i) {
    return QStringLiteral("%1 de nombre %2.TXT").arg(i % 31 + 1).arg(i * 7 % (2 * kFiles));
}

// One listing, then every lookup from memory.
void FolderIndexLookup(benchmark::State& state) {
    common::FolderIndex index(folder());
    index.refreshIfChanged();
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(index.contains(probe(i++)));
}
BENCHMARK(FolderIndexLookup);

// The naive way: one case-insensitive directory search per lookup.
void FolderIndexLookup_Naive(benchmark::State& state) {
    const QDir dir(folder());
    int i = 0;
    for (auto _ : state) {
        const QStringList hit = dir.entryList({probe(i++)}, QDir::Files);
        benchmark::DoNotOptimize(hit);
    }
}
BENCHMARK(FolderIndexLookup_Naive)->Unit(benchmark::kMillisecond);

void IndexListing(benchmark::State& state) {
    for (auto _ : state) {
        common::FolderIndex index(folder());
        index.refresh();
        benchmark::DoNotOptimize(index.names().size());
    }
}
BENCHMARK(IndexListing)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
