// SPDX-License-Identifier: GPL-3.0-or-later
// --remind over ten years of day notes, with a holiday or reminder on most days: what it costs to find
// today's notice and check it against the once-a-day record, beside the naive way of reading every note.
#include "agenda/core/days/daykeys.h"
#include "agenda/core/reminders/remindcommand.h"
#include "benchdata.h"
#include "common/textfile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

namespace {

using namespace quindara;

constexpr double kBudgetMs = 50;
const QDate kToday(2026, 12, 8);

// 3,650 day notes (each with a timed line) over ten years up to today, a holiday every third day of the
// year, a yearly reminder every fifth and a one-year reminder on every day of the ten years.
const DataFolder& data() {
    static const DataFolder folder = [] {
        const DataFolder made(bench::scratch().filePath(QStringLiteral("remind")));
        if (!made.createMissingFolders())
            qFatal("cannot create the benchmark's data folders");
        const int days = int(bench::scaled(3650));
        const QDate first = kToday.addDays(1 - days);
        bench::fillFolder(made.folder(folders::dayNotes), days,
                          [&](int i) { return dayNoteKey(first.addDays(i)) + kTxt; });
        bench::fillFolder(made.folder(folders::oneYearReminders), days,
                          [&](int i) { return datedKey(first.addDays(i)) + kTxt; });
        bench::fillFolder(made.folder(folders::holidays), int(bench::scaled(122)),
                          [](int i) { return annualKey(QDate(2024, 1, 1).addDays(3 * i)) + kTxt; });
        bench::fillFolder(made.folder(folders::yearlyReminders), int(bench::scaled(73)),
                          [](int i) { return annualKey(QDate(2024, 1, 1).addDays(5 * i)) + kTxt; });
        if (!common::writeText(made.dayNoteFile(dayNoteKey(kToday)), QStringLiteral("10:00 Dentista"),
                               common::Ending::Zoned))
            qFatal("cannot write today's note");
        return made;
    }();
    return folder;
}

// What --remind does before it talks to the desktop: today's and tomorrow's texts, the folder's settings and
// the record of what was told today.
void RemindToday(benchmark::State& state) {
    const DataFolder& folder = data();
    const NoticeRecord record(folder.programFolder(), bench::scratch().filePath(QStringLiteral("state")));
    if (noticeToTell(folder, kToday, record, false).isEmpty())
        state.SkipWithError("nothing due today");
    for (auto _ : state)
        benchmark::DoNotOptimize(noticeToTell(folder, kToday, record, false));
}
BENCHMARK(RemindToday)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The way to avoid: every note of the folder read to find the day's timed lines.
void RemindToday_Naive(benchmark::State& state) {
    const DataFolder& folder = data();
    const QDir notes(folder.folder(folders::dayNotes));
    const QString wanted = dayNoteKey(kToday) + kTxt;
    for (auto _ : state) {
        QStringList timed;
        for (const QString& name : notes.entryList(QDir::Files)) {
            const QString text = common::readTextOrEmpty(notes.filePath(name), common::Ending::Zoned);
            if (name.compare(wanted, Qt::CaseInsensitive) == 0)
                timed = timedLines(text);
        }
        benchmark::DoNotOptimize(timed);
    }
}
BENCHMARK(RemindToday_Naive)->Unit(benchmark::kMillisecond)->Repetitions(5);

void checkBudgets(bench::Budgets& budgets) {
    budgets.atMost("RemindToday/repeats:5", kBudgetMs, "--remind over ten years of notes");
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, checkBudgets, false);
}
