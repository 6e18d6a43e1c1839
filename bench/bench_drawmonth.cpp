// Drawing the month grid with its marks over 20,000 files in each marking folder: the window's DrawMonth
// (one listing per changed folder, lookups from memory) beside the naive one-listing-per-lookup way.
#include "agenda/core/calendar.h"
#include "agenda/core/daykeys.h"
#include "agenda/core/daymarks.h"
#include "agenda/ui/agendawindow.h"
#include "benchdata.h"
#include "common/clock.h"
#include "common/desktopservices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kYear = 2011;

const QString& programFolder() {
    return bench::markedProgramFolder();
}

// The window's own DrawMonth, reached as the user does: by the month buttons, January and February in turn.
void DrawMonth(benchmark::State& state) {
    common::FixedClock clock(QDateTime(QDate(kYear, 1, 15), QTime(10, 0)));
    common::RecordingDesktopServices desktop;
    quindara::AgendaWindow window(programFolder(), clock, desktop);
    QAbstractButton* months[2] = {window.findChild<QAbstractButton*>(QStringLiteral("Command4_0")),
                                  window.findChild<QAbstractButton*>(QStringLiteral("Command4_1"))};
    int turn = 0;
    for (auto _ : state)
        months[turn++ % 2]->click();
}
BENCHMARK(DrawMonth)->Unit(benchmark::kMillisecond);

// Only the marks of one month from the folder indexes, without the buttons.
void MarksOfAMonth(benchmark::State& state) {
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
BENCHMARK(MarksOfAMonth)->Unit(benchmark::kMillisecond);

// The naive way: a case-insensitive directory search for every one of the three files of every day.
bool existsBySearch(const QString& folder, const QString& name) {
    return !QDir(folder).entryList({name}, QDir::Files).isEmpty();
}

void MarksOfAMonth_Naive(benchmark::State& state) {
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
BENCHMARK(MarksOfAMonth_Naive)->Unit(benchmark::kMillisecond);

// Start-up over the same folders: every folder is listed for the first time.
void OpenTheWindow(benchmark::State& state) {
    common::FixedClock clock(QDateTime(QDate(kYear, 1, 15), QTime(10, 0)));
    common::RecordingDesktopServices desktop;
    for (auto _ : state) {
        quindara::AgendaWindow window(programFolder(), clock, desktop);
        window.show();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(OpenTheWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

static void printSummary(std::map<std::string, double> ms) {
    const double window = ms["DrawMonth"];
    const double indexed = ms["MarksOfAMonth"];
    const double naive = ms["MarksOfAMonth_Naive"];
    if (window > 0 && indexed > 0 && naive > 0) {
        std::printf("\nDrawMonth with marks, %d files in each marking folder (budget 1 ms):\n",
                    bench::kFilesPerMarkingFolder);
        std::printf("  window DrawMonth %.3f ms | marks from the index %.3f ms | naive listing per lookup "
                    "%.1f ms | naive / index %.0fx | %s\n",
                    window, indexed, naive, naive / indexed, window < 1.0 ? "within budget" : "OVER BUDGET");
    }
}

int main(int argc, char** argv) {
    return bench::runWidgetBenchmarks(argc, argv, printSummary);
}
