#include "agenda/core/calendar.h"
#include "agenda/core/datafolder.h"
#include "agenda/core/daykeys.h"
#include "agenda/core/daymarks.h"
#include "agenda/ui/monthpanel.h"
#include "agenda/ui/yearoverviewwindow.h"
#include "benchdata.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <benchmark/benchmark.h>

namespace {

constexpr int kFilesPerFolder = 20000;

// A program folder whose three marking folders hold 20,000 files each; some of them mark 2026 and 2027.
const quindara::DataFolder& data() {
    static const quindara::DataFolder folder = [] {
        quindara::DataFolder made(bench::scratch().filePath(QStringLiteral("overview")));
        made.createMissingFolders();
        const QDate start(1950, 1, 1);
        const auto annual = [&](int i, const char* filler) {
            // Every fifth day of the year is marked; the rest of the folder is other files.
            if (i < 366 && i % 5 == 0)
                return quindara::annualKey(start.addDays(i)) + quindara::kTxt;
            return QStringLiteral("%1 %2.txt").arg(QString::fromLatin1(filler)).arg(i);
        };
        bench::fillFolder(made.folder(quindara::folders::holidays), kFilesPerFolder,
                          [&](int i) { return annual(i, "fiesta"); });
        bench::fillFolder(made.folder(quindara::folders::yearlyReminders), kFilesPerFolder,
                          [&](int i) { return annual(i + 2, "aviso"); });
        // One-year reminders every third day from 1950 on, so every drawn year has about 120.
        bench::fillFolder(made.folder(quindara::folders::oneYearReminders), kFilesPerFolder,
                          [&](int i) { return quindara::datedKey(start.addDays(3 * i)) + quindara::kTxt; });
        return made;
    }();
    return folder;
}

// Steps the shown window a year up and down, so every iteration redraws all twelve panels.
void DrawYearOverview(benchmark::State& state) {
    quindara::YearOverviewWindow window(data(), 2026);
    window.show();
    QPushButton* up = window.findChild<QPushButton*>(QStringLiteral("Command14_0"));
    QPushButton* down = window.findChild<QPushButton*>(QStringLiteral("Command14_1"));
    bool forward = true;
    for (auto _ : state) {
        (forward ? up : down)->click();
        forward = !forward;
        // Painting happens later in the event loop, as it would between two clicks.
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(DrawYearOverview)->Unit(benchmark::kMillisecond);

bool naiveExists(const QString& folder, const QString& name) {
    return !QDir(folder).entryList({name}, QDir::Files).isEmpty();
}

// The same twelve panels drawn with one case-insensitive directory search per lookup.
void DrawYearOverview_Naive(benchmark::State& state) {
    QWidget window;
    std::vector<quindara::MonthPanel*> panels;
    for (int month = 1; month <= 12; ++month)
        panels.push_back(new quindara::MonthPanel(month, &window));
    window.show();
    const quindara::DataFolder& folder = data();
    const QString holidays = folder.folder(quindara::folders::holidays);
    const QString yearly = folder.folder(quindara::folders::yearlyReminders);
    const QString oneYear = folder.folder(quindara::folders::oneYearReminders);
    int year = 2026;
    for (auto _ : state) {
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
                quindara::Mark mark = quindara::Mark::None;
                if (naiveExists(holidays, annual))
                    mark = quindara::Mark::Holiday;
                if (naiveExists(yearly, annual))
                    mark = quindara::Mark::YearlyReminder;
                if (naiveExists(oneYear, quindara::datedKey(date) + quindara::kTxt))
                    mark = quindara::Mark::OneYearReminder;
                panel.showDay(index, day, quindara::DayMarks::colourOf(mark, index % quindara::kGridColumns));
            }
        }
        year = year == 2026 ? 2027 : 2026;
    }
}
BENCHMARK(DrawYearOverview_Naive)->Unit(benchmark::kMillisecond)->Iterations(2);

// Opening lists the three folders once and builds the 600 controls.
void OpenYearOverview(benchmark::State& state) {
    for (auto _ : state) {
        quindara::YearOverviewWindow window(data(), 2026);
        benchmark::DoNotOptimize(&window);
    }
}
BENCHMARK(OpenYearOverview)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
