// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing the year overview's twelve panels with their marks over 20,000 files in each marking folder:
// the window's DrawYear (one look at each folder, lookups from memory) beside the same panels drawn with
// one directory search per lookup.
#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/monthpanel.h"
#include "agenda/ui/yearoverviewwindow.h"
#include "benchdata.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <benchmark/benchmark.h>

namespace {

// Years with one-year reminders in the shared data.
constexpr int kYear = 2011;

using Fixture = const QString& (*)();

quindara::DataFolder data(Fixture fixture = bench::markedProgramFolder) {
    return quindara::DataFolder(fixture());
}

// The window's own DrawYear, reached as the user does: the arrows step a year up and down in turn, then
// Qt repaints what changed on the shown window, as the screen gets it.
void DrawYearOverview(benchmark::State& state, Fixture fixture) {
    quindara::YearOverviewWindow window(data(fixture), kYear);
    window.show();
    QCoreApplication::processEvents();
    QPushButton* arrows[2] = {window.findChild<QPushButton*>(QStringLiteral("Command14_0")),
                              window.findChild<QPushButton*>(QStringLiteral("Command14_1"))};
    int turn = 0;
    const bench::PaintCounter counter;
    for (auto _ : state) {
        arrows[turn++ % 2]->click();
        bench::repaintShownWindows();
    }
    counter.report(state);
}
BENCHMARK_CAPTURE(DrawYearOverview, dense, bench::markedProgramFolder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DrawYearOverview, sparse, bench::sparselyMarkedProgramFolder)
    ->Unit(benchmark::kMillisecond);

bool existsBySearch(const QString& folder, const QString& name) {
    return !QDir(folder).entryList({name}, QDir::Files).isEmpty();
}

// The same twelve panels, each mark found by a case-insensitive directory search.
void DrawYearOverview_Naive(benchmark::State& state) {
    QWidget window;
    std::vector<quindara::MonthPanel*> panels;
    for (int month = 1; month <= 12; ++month)
        panels.push_back(new quindara::MonthPanel(month, &window));
    window.show();
    QCoreApplication::processEvents();
    const quindara::DataFolder folder = data();
    const QString holidays = folder.folder(quindara::folders::holidays);
    const QString yearly = folder.folder(quindara::folders::yearlyReminders);
    const QString oneYear = folder.folder(quindara::folders::oneYearReminders);
    int turn = 0;
    for (auto _ : state) {
        const int year = kYear + turn++ % 2;
        for (int month = 1; month <= 12; ++month) {
            const quindara::MonthLayout layout = quindara::monthLayout(year, month);
            quindara::MonthPanel& panel = *panels.at(month - 1);
            for (int index = 0; index < quindara::kGridButtons; ++index) {
                const int day = layout.dayOnButton(index);
                if (day == 0) {
                    panel.hideCell(index);
                    continue;
                }
                const QDate date(year, month, day);
                const QString annual = quindara::annualKey(date) + quindara::kTxt;
                auto mark = quindara::Mark::None;
                if (existsBySearch(holidays, annual))
                    mark = quindara::Mark::Holiday;
                if (existsBySearch(yearly, annual))
                    mark = quindara::Mark::YearlyReminder;
                if (existsBySearch(oneYear, quindara::datedKey(date) + quindara::kTxt))
                    mark = quindara::Mark::OneYearReminder;
                panel.showDay(index, day, quindara::DayMarks::colourOf(mark, index % quindara::kGridColumns),
                              quindara::spokenDay(date));
            }
        }
        bench::repaintShownWindows();
    }
}
BENCHMARK(DrawYearOverview_Naive)->Unit(benchmark::kMillisecond);

// Opening: the first look at the three folders lists them, and 600 controls are made.
void OpenYearOverview(benchmark::State& state) {
    for (auto _ : state) {
        quindara::YearOverviewWindow window(data(), kYear);
        window.show();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(OpenYearOverview)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

namespace {

void checkBudgets(bench::Budgets& budgets) {
    budgets.atMost("DrawYearOverview/dense", 5.0, "year overview redraw with its repaint, dense marks");
    budgets.atMost("DrawYearOverview/sparse", 5.0, "year overview redraw with its repaint, sparse marks");
    budgets.atLeastTimesFaster("DrawYearOverview/dense", "DrawYearOverview_Naive", 10,
                               "year overview redraw with its repaint, dense marks");
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, checkBudgets);
}
