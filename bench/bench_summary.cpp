#include "agenda/core/calendar.h"
#include "agenda/core/datafolder.h"
#include "agenda/core/daykeys.h"
#include "agenda/core/daynotes.h"
#include "benchdata.h"
#include "common/textfile.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

namespace {

using namespace quindara;

constexpr int kFirstNoteYear = 2000;
constexpr int kNoteYears = 20; // 7,300 notes
constexpr int kShownYear = 2010;

// 365 notes a year, one for each day but 31 December in leap years.
const DataFolder& data() {
    static const DataFolder folder = [] {
        const DataFolder made(bench::scratch().filePath(QStringLiteral("summary")));
        made.createMissingFolders();
        QStringList keys;
        for (int year = kFirstNoteYear; year < kFirstNoteYear + kNoteYears; ++year)
            for (QDate day(year, 1, 1); keys.size() < (year - kFirstNoteYear + 1) * 365; day = day.addDays(1))
                keys.append(dayNoteKey(day));
        bench::fillFolder(made.folder(folders::dayNotes), int(keys.size()),
                          [&](int i) { return keys.at(i) + kTxt; });
        return made;
    }();
    return folder;
}

// The way to avoid: one case-insensitive directory search for every day of the year.
QString summaryWithOneSearchPerDay(const DataFolder& folder, int year) {
    const QDir notes(folder.folder(folders::dayNotes));
    QString summary;
    int weekday = janFirstWeekday(year);
    for (QDate day(year, 1, 1); day.year() == year; day = day.addDays(1)) {
        const QString key =
            dayNoteKey(weekday, QString::number(day.day()), monthName(day.month()), QString::number(year));
        const QStringList found = notes.entryList({key + kTxt}, QDir::Files);
        if (!found.isEmpty()) {
            summary += key + kSummarySeparator;
            summary += common::readTextOrEmpty(notes.filePath(found.first()), common::Ending::Zoned);
            summary += kSummarySeparator + kSummarySeparator;
        }
        weekday = (weekday + 1) % kGridColumns;
    }
    return summary;
}

double indexedMilliseconds() {
    DayNotes notes(data());
    notes.yearSummary(kShownYear);
    QElapsedTimer timer;
    timer.start();
    constexpr int kRuns = 20;
    for (int i = 0; i < kRuns; ++i)
        benchmark::DoNotOptimize(notes.yearSummary(kShownYear));
    return double(timer.nsecsElapsed()) / 1e6 / kRuns;
}

// The folder listed once, then every tab press: the budget is 20 ms.
void YearSummary(benchmark::State& state) {
    DayNotes notes(data());
    const qsizetype entries = notes.yearSummary(kShownYear).count(QStringLiteral(" de 2010 \n"));
    for (auto _ : state)
        benchmark::DoNotOptimize(notes.yearSummary(kShownYear));
    state.counters["entries"] = double(entries);
    state.counters["budget_ms"] = 20;
}
BENCHMARK(YearSummary)->Unit(benchmark::kMillisecond);

// A note saved from the day page, then the tab pressed: our own save costs no new listing.
void YearSummaryAfterSavingANote(benchmark::State& state) {
    DayNotes notes(data());
    notes.yearSummary(kShownYear);
    const QString key = dayNoteKey(QDate(kShownYear, 6, 1));
    int i = 0;
    for (auto _ : state) {
        notes.save(key, QString::number(i++));
        benchmark::DoNotOptimize(notes.yearSummary(kShownYear));
    }
    state.counters["budget_ms"] = 20;
}
BENCHMARK(YearSummaryAfterSavingANote)->Unit(benchmark::kMillisecond);

// The first press, or the first after another program changed the folder: the listing included.
void YearSummaryWithListing(benchmark::State& state) {
    for (auto _ : state) {
        DayNotes notes(data());
        benchmark::DoNotOptimize(notes.yearSummary(kShownYear));
    }
}
BENCHMARK(YearSummaryWithListing)->Unit(benchmark::kMillisecond);

void YearSummaryOneSearchPerDay(benchmark::State& state) {
    const double indexed = indexedMilliseconds();
    if (summaryWithOneSearchPerDay(data(), kShownYear) != DayNotes(data()).yearSummary(kShownYear))
        state.SkipWithError("the two summaries differ");
    QElapsedTimer timer;
    timer.start();
    int runs = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(summaryWithOneSearchPerDay(data(), kShownYear));
        ++runs;
    }
    state.counters["times_slower"] = double(timer.nsecsElapsed()) / 1e6 / std::max(runs, 1) / indexed;
}
BENCHMARK(YearSummaryOneSearchPerDay)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
