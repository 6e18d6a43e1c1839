// SPDX-License-Identifier: GPL-3.0-or-later
// The year summary over 7,300 notes (365 in the shown year) and over 100,000 notes in one folder:
// warm, right after a save from the day page, right after another program changed one file, and from
// cold; beside the naive way of one directory search per day.
#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daynotes.h"
#include "benchdata.h"
#include "common/textfile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QThread>
#include <benchmark/benchmark.h>

namespace {

using namespace quindara;

constexpr int kShownYear = 2010;

// 365 notes a year, one for each day but 31 December in leap years, for `years` years around the shown one
// (a hundredth of them in a smoke run).
const DataFolder& data(int years) {
    static std::map<int, DataFolder> made;
    const auto found = made.find(years);
    if (found != made.end())
        return found->second;
    const DataFolder folder(bench::scratch().filePath(QStringLiteral("summary%1").arg(years)));
    if (!folder.createMissingFolders())
        qFatal("cannot create the benchmark's data folders");
    const int filled = int(bench::scaled(years));
    const int firstYear = kShownYear - filled / 2;
    QStringList keys;
    for (int year = firstYear; year < firstYear + filled; ++year)
        for (QDate day(year, 1, 1); keys.size() < (year - firstYear + 1) * 365; day = day.addDays(1))
            keys.append(dayNoteKey(day));
    bench::fillFolder(folder.folder(folders::dayNotes), int(keys.size()),
                      [&](int i) { return keys.at(i) + kTxt; });
    return made.emplace(years, folder).first->second;
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

// The notes of a folder opened a while ago: listed again, to be trusted, once the last change (the
// fixture, or the previous benchmark's saves) is older than the index's distrust of a fresh listing.
void settle(DayNotes& notes) {
    notes.yearSummary(kShownYear);
    QThread::msleep(100);
    notes.yearSummary(kShownYear);
}

// The folder listed once, then every tab press.
void YearSummary(benchmark::State& state) {
    DayNotes notes(data(int(state.range(0))));
    const qsizetype entries = notes.yearSummary(kShownYear).count(QStringLiteral(" de 2010 \n"));
    for (auto _ : state)
        benchmark::DoNotOptimize(notes.yearSummary(kShownYear));
    state.counters["entries"] = double(entries);
}
BENCHMARK(YearSummary)->Arg(20)->Arg(274)->Unit(benchmark::kMillisecond);

// A note saved from the day page, then the tab pressed: our own save costs no new listing. The save
// (its flush to disk above all) is done before the user presses the tab and is timed on its own below.
void YearSummaryAfterSavingANote(benchmark::State& state) {
    DayNotes notes(data(int(state.range(0))));
    settle(notes);
    const QString key = dayNoteKey(QDate(kShownYear, 6, 1));
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!notes.save(key, QString::number(i++)))
            state.SkipWithError("the note could not be saved");
        state.ResumeTiming();
        benchmark::DoNotOptimize(notes.yearSummary(kShownYear));
    }
}
BENCHMARK(YearSummaryAfterSavingANote)->Arg(20)->Arg(274)->Unit(benchmark::kMillisecond);

// The save alone, with its flush to disk: no budget, the disk sets its pace.
void SaveANote(benchmark::State& state) {
    DayNotes notes(data(int(state.range(0))));
    settle(notes);
    const QString key = dayNoteKey(QDate(kShownYear, 6, 1));
    int i = 0;
    for (auto _ : state) {
        if (!notes.save(key, QString::number(i++)))
            state.SkipWithError("the note could not be saved");
    }
}
BENCHMARK(SaveANote)->Arg(20)->Unit(benchmark::kMillisecond);

// Another program (a sync tool) adds or removes one note, then the tab is pressed: the index looks at the
// one name the kernel reports, not at the whole folder.
void YearSummaryAfterAnOutsideChange(benchmark::State& state) {
    const DataFolder& folder = data(int(state.range(0)));
    DayNotes notes(folder);
    notes.yearSummary(kShownYear);
    const QString path =
        folder.folder(folders::dayNotes) + u'/' + dayNoteKey(QDate(kShownYear, 12, 31)) + kTxt;
    int i = 0;
    for (auto _ : state) {
        if (i++ % 2 == 0) {
            QFile outside(path);
            if (outside.open(QIODevice::WriteOnly))
                outside.write("fuera\r\n");
        } else {
            QFile::remove(path);
        }
        benchmark::DoNotOptimize(notes.yearSummary(kShownYear));
    }
    QFile::remove(path);
}
BENCHMARK(YearSummaryAfterAnOutsideChange)->Arg(20)->Arg(274)->Unit(benchmark::kMillisecond);

// The first press: the listing included.
void YearSummaryWithListing(benchmark::State& state) {
    const DataFolder& folder = data(int(state.range(0)));
    for (auto _ : state) {
        DayNotes notes(folder);
        benchmark::DoNotOptimize(notes.yearSummary(kShownYear));
    }
}
BENCHMARK(YearSummaryWithListing)->Arg(20)->Arg(274)->Unit(benchmark::kMillisecond);

void YearSummary_Naive(benchmark::State& state) {
    const DataFolder& folder = data(int(state.range(0)));
    if (summaryWithOneSearchPerDay(folder, kShownYear) != DayNotes(folder).yearSummary(kShownYear))
        state.SkipWithError("the two summaries differ");
    for (auto _ : state)
        benchmark::DoNotOptimize(summaryWithOneSearchPerDay(folder, kShownYear));
}
BENCHMARK(YearSummary_Naive)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(2);

void checkBudgets(bench::Budgets& budgets) {
    budgets.atMost("YearSummary/20", 10, "year summary, 7,300 notes");
    budgets.atLeastTimesFaster("YearSummary/20", "YearSummary_Naive/20/iterations:2", 10,
                               "year summary, 7,300 notes");
    budgets.atMost("YearSummaryAfterSavingANote/20", 10, "year summary right after a save, 7,300 notes");
    budgets.atMost("YearSummaryAfterAnOutsideChange/20", 10,
                   "year summary after another program changed a file, 7,300 notes");
    budgets.atMost("YearSummary/274", 10, "year summary, 100,000 notes in one folder");
    budgets.atMost("YearSummaryAfterSavingANote/274", 10, "year summary right after a save, 100,000 notes");
    budgets.atMost("YearSummaryAfterAnOutsideChange/274", 10,
                   "year summary after another program changed a file, 100,000 notes");
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, checkBudgets, false);
}
