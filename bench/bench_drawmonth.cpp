// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing the month grid with its marks over 20,000 files in each marking folder: the window's DrawMonth
// and the repaint of the shown window (one listing per changed folder, lookups from memory) beside the
// naive one-listing-per-lookup way, on densely and on realistically marked folders. Start-up over the
// same folders, and over 100,000 files in one folder.
#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/ui/agendawindow.h"
#include "benchdata.h"
#include "common/clock.h"
#include "tests/support/recordingdesktopservices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <benchmark/benchmark.h>

namespace {

constexpr int kYear = 2011;
constexpr int kLargeFolderFiles = 100000;

using Fixture = const QString& (*)();

// The window's own DrawMonth, reached as the user does: by the month buttons, January and February in
// turn, then Qt's repaint of what changed on the shown window, as the screen gets it.
void DrawMonth(benchmark::State& state, Fixture programFolder) {
    common::FixedClock clock(QDateTime(QDate(kYear, 1, 15), QTime(10, 0)));
    common::RecordingDesktopServices desktop;
    quindara::AgendaWindow window(programFolder(), clock, desktop);
    window.show();
    QCoreApplication::processEvents();
    QAbstractButton* months[2] = {window.findChild<QAbstractButton*>(QStringLiteral("Command4_0")),
                                  window.findChild<QAbstractButton*>(QStringLiteral("Command4_1"))};
    int turn = 0;
    const bench::PaintCounter counter;
    for (auto _ : state) {
        months[turn++ % 2]->click();
        bench::repaintShownWindows();
    }
    counter.report(state);
}
BENCHMARK_CAPTURE(DrawMonth, dense, bench::markedProgramFolder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DrawMonth, sparse, bench::sparselyMarkedProgramFolder)->Unit(benchmark::kMillisecond);

// The same with the whole window painted again into an image, as if every control had changed: an upper
// bound, shown beside the budget.
void DrawMonthAndPaintWholeWindow(benchmark::State& state) {
    common::FixedClock clock(QDateTime(QDate(kYear, 1, 15), QTime(10, 0)));
    common::RecordingDesktopServices desktop;
    quindara::AgendaWindow window(bench::markedProgramFolder(), clock, desktop);
    window.show();
    QCoreApplication::processEvents();
    QImage screen(window.size(), QImage::Format_RGB32);
    QAbstractButton* months[2] = {window.findChild<QAbstractButton*>(QStringLiteral("Command4_0")),
                                  window.findChild<QAbstractButton*>(QStringLiteral("Command4_1"))};
    int turn = 0;
    for (auto _ : state) {
        months[turn++ % 2]->click();
        window.render(&screen);
    }
}
BENCHMARK(DrawMonthAndPaintWholeWindow)->Unit(benchmark::kMillisecond);

// Only the marks of one month from the folder indexes, without the buttons.
void MarksOfAMonth(benchmark::State& state, Fixture programFolder) {
    quindara::DayMarks marks{quindara::DataFolder(programFolder())};
    const QString year = QString::number(kYear);
    const quindara::MonthLayout layout = quindara::monthLayout(kYear, 1);
    for (auto _ : state) {
        marks.refresh();
        for (int day = 1; day <= layout.daysInMonth; ++day) {
            const auto mark = marks.markOf(QString::number(day), QStringLiteral("ENERO"), year);
            benchmark::DoNotOptimize(quindara::DayMarks::colourOf(mark, layout.buttonOfDay(day) % 7));
        }
    }
}
BENCHMARK_CAPTURE(MarksOfAMonth, dense, bench::markedProgramFolder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MarksOfAMonth, sparse, bench::sparselyMarkedProgramFolder)->Unit(benchmark::kMillisecond);

// The naive way: a case-insensitive directory search for every one of the three files of every day.
bool existsBySearch(const QString& folder, const QString& name) {
    return !QDir(folder).entryList({name}, QDir::Files).isEmpty();
}

void MarksOfAMonth_Naive(benchmark::State& state, Fixture programFolder) {
    const quindara::DataFolder data(programFolder());
    const QString holidays = data.folder(quindara::folders::holidays);
    const QString yearly = data.folder(quindara::folders::yearlyReminders);
    const QString oneYear = data.folder(quindara::folders::oneYearReminders);
    const QString year = QString::number(kYear);
    const quindara::MonthLayout layout = quindara::monthLayout(kYear, 1);
    for (auto _ : state) {
        for (int day = 1; day <= layout.daysInMonth; ++day) {
            const QString annual = quindara::annualKey(QString::number(day), QStringLiteral("ENERO"));
            auto mark = quindara::Mark::None;
            if (existsBySearch(holidays, annual + quindara::kTxt))
                mark = quindara::Mark::Holiday;
            if (existsBySearch(yearly, annual + quindara::kTxt))
                mark = quindara::Mark::YearlyReminder;
            if (existsBySearch(oneYear,
                               quindara::datedKey(QString::number(day), QStringLiteral("ENERO"), year) +
                                   quindara::kTxt))
                mark = quindara::Mark::OneYearReminder;
            benchmark::DoNotOptimize(quindara::DayMarks::colourOf(mark, layout.buttonOfDay(day) % 7));
        }
    }
}
BENCHMARK_CAPTURE(MarksOfAMonth_Naive, dense, bench::markedProgramFolder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MarksOfAMonth_Naive, sparse, bench::sparselyMarkedProgramFolder)
    ->Unit(benchmark::kMillisecond);

// 100,000 one-year reminders in one folder.
const QString& largeProgramFolder() {
    static const QString path = [] {
        const QString folder = bench::scratch().filePath(QStringLiteral("large"));
        const quindara::DataFolder data(folder);
        if (!data.createMissingFolders())
            qFatal("cannot create the benchmark's data folders");
        const int files = int(bench::scaled(kLargeFolderFiles));
        bench::fillFolder(data.folder(quindara::folders::oneYearReminders), files, [](int i) {
            return quindara::datedKey(QDate(1800, 1, 1).addDays(i)) + quindara::kTxt;
        });
        return folder;
    }();
    return path;
}

// Start-up to the shown, painted window: every folder is listed for the first time.
void OpenTheWindow(benchmark::State& state, Fixture programFolder) {
    common::FixedClock clock(QDateTime(QDate(kYear, 1, 15), QTime(10, 0)));
    common::RecordingDesktopServices desktop;
    programFolder();
    for (auto _ : state) {
        quindara::AgendaWindow window(programFolder(), clock, desktop);
        window.show();
        QCoreApplication::processEvents();
    }
}
BENCHMARK_CAPTURE(OpenTheWindow, three_folders_of_20000, bench::markedProgramFolder)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(OpenTheWindow, one_folder_of_100000, largeProgramFolder)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void checkBudgets(bench::Budgets& budgets) {
    for (const char* fixture : {"dense", "sparse"}) {
        const std::string draw = std::string("DrawMonth/") + fixture;
        const std::string what = std::string("month redraw with its repaint, ") + fixture + " marks";
        budgets.atMost(draw, 1.0, what.c_str());
        budgets.atLeastTimesFaster(draw, std::string("MarksOfAMonth_Naive/") + fixture, 2500, what.c_str());
    }
    budgets.atMost("OpenTheWindow/three_folders_of_20000/iterations:5", 120,
                   "start-up to the shown window, 3 x 20,000 files");
    // Growth at most linear: five times the files of one folder may not cost more than the 3 x 20,000 budget
    // scaled by the number of files (100,000 / 60,000).
    budgets.atMost("OpenTheWindow/one_folder_of_100000/iterations:5", 200,
                   "start-up to the shown window, 100,000 files in one folder");
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, checkBudgets);
}
