// SPDX-License-Identifier: GPL-3.0-or-later
// The folder index: lookups from memory beside one directory search per lookup, and a cold listing
// beside a raw readdir of the same folder (the disk-speed baseline), at 20,000 and 50,000 names.
#include "benchdata.h"
#include "common/folderindex.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

#include <dirent.h>

namespace {

// Day-key-like names, a few with accents, as an agenda folder holds them.
const QString& folder(int files) {
    static std::map<int, QString> made;
    QString& path = made[files];
    if (path.isEmpty()) {
        path = bench::scratch().filePath(QStringLiteral("index%1").arg(files));
        bench::fillFolder(path, int(bench::scaled(files)), [](int i) {
            return i % 7 == 0 ? QStringLiteral("MIÉRCOLES, %1 de NOMBRE %2.txt").arg(i % 31 + 1).arg(i)
                              : QStringLiteral("%1 de NOMBRE %2.txt").arg(i % 31 + 1).arg(i);
        });
    }
    return path;
}

constexpr int kLookupFiles = 20000;

QString probe(int i) {
    return QStringLiteral("%1 de nombre %2.TXT").arg(i % 31 + 1).arg(i * 7 % (2 * kLookupFiles));
}

// One listing, then every lookup from memory.
void FolderIndexLookup(benchmark::State& state) {
    common::FolderIndex index(folder(kLookupFiles));
    index.refreshIfChanged();
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(index.contains(probe(i++)));
}
BENCHMARK(FolderIndexLookup);

// The naive way: one case-insensitive directory search per lookup.
void FolderIndexLookup_Naive(benchmark::State& state) {
    const QDir dir(folder(kLookupFiles));
    int i = 0;
    for (auto _ : state) {
        const QStringList hit = dir.entryList({probe(i++)}, QDir::Files);
        benchmark::DoNotOptimize(hit);
    }
}
BENCHMARK(FolderIndexLookup_Naive)->Unit(benchmark::kMillisecond);

// A cold index: the whole folder listed into a fresh index, ready for lookups.
void IndexListing(benchmark::State& state) {
    const QString& path = folder(int(state.range(0)));
    for (auto _ : state) {
        common::FolderIndex index(path);
        index.refresh();
        benchmark::DoNotOptimize(index.contains(QStringLiteral("1 de nombre 0.txt")));
    }
}
BENCHMARK(IndexListing)->Arg(20000)->Arg(50000)->Unit(benchmark::kMillisecond);

// The baseline: the names read from the folder with readdir and nothing else.
void RawReaddir(benchmark::State& state) {
    const QByteArray path = QFile::encodeName(folder(int(state.range(0))));
    for (auto _ : state) {
        DIR* dir = ::opendir(path.constData());
        std::size_t bytes = 0;
        while (const dirent* entry = ::readdir(dir))
            bytes += std::strlen(entry->d_name);
        ::closedir(dir);
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(RawReaddir)->Arg(20000)->Arg(50000)->Unit(benchmark::kMillisecond);

void checkBudgets(bench::Budgets& budgets) {
    budgets.atLeastTimesFaster("FolderIndexLookup", "FolderIndexLookup_Naive", 1000,
                               "folder index lookup, 20,000 names");
    budgets.atMostTimes("IndexListing/20000", "RawReaddir/20000", 2.0, "cold folder index, 20,000 names");
    budgets.atMostTimes("IndexListing/50000", "RawReaddir/50000", 2.0, "cold folder index, 50,000 names");
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, checkBudgets, false);
}
