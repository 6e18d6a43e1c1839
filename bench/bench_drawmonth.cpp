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
#include <map>
#include <string>
#include <unistd.h>

namespace {

constexpr int kFilesPerFolder = 20000;
constexpr int kYear = 2011;

// Every third day of the year has a holiday and every fifth a yearly reminder; one-year reminders cover
// whole years from 1960 on. Old names with no day key fill each folder up to 20,000 files.
const QString& programFolder() {
    static const QString path = [] {
        const QString folder = bench::scratch().filePath(QStringLiteral("agenda"));
        const quindara::DataFolder data(folder);
        data.createMissingFolders();
        QStringList annualKeys;
        for (QDate day(2012, 1, 1); day.year() == 2012; day = day.addDays(1))
            annualKeys.append(quindara::annualKey(day));
        QStringList holidays;
        QStringList yearly;
        for (int i = 0; i < annualKeys.size(); ++i) {
            if (i % 3 == 0)
                holidays.append(annualKeys[i] + quindara::kTxt);
            if (i % 5 == 0)
                yearly.append(annualKeys[i] + quindara::kTxt);
        }
        QStringList dated;
        for (QDate day(1960, 1, 1); dated.size() < kFilesPerFolder; day = day.addDays(1))
            dated.append(quindara::datedKey(day) + quindara::kTxt);
        const auto fill = [](const QString& where, const QStringList& keys) {
            bench::fillFolder(where, kFilesPerFolder, [&keys](int i) {
                return i < keys.size() ? keys[i] : QStringLiteral("antiguo %1.txt").arg(i);
            });
        };
        fill(data.folder(quindara::folders::holidays), holidays);
        fill(data.folder(quindara::folders::yearlyReminders), yearly);
        fill(data.folder(quindara::folders::oneYearReminders), dated);
        return folder;
    }();
    return path;
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

// Prints the usual table and keeps each benchmark's mean wall time for the closing comparison.
class RememberingReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so scripts reading the table see plain text.
    RememberingReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration)
                milliseconds[run.benchmark_name()] =
                    run.GetAdjustedRealTime() * 1000.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }
    std::map<std::string, double> milliseconds;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RememberingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double window = reporter.milliseconds["DrawMonth"];
    const double indexed = reporter.milliseconds["MarksOfAMonth"];
    const double naive = reporter.milliseconds["MarksOfAMonth_Naive"];
    if (window > 0 && indexed > 0 && naive > 0) {
        std::printf("\nDrawMonth with marks, %d files in each marking folder (budget 1 ms):\n",
                    kFilesPerFolder);
        std::printf("  window DrawMonth %.3f ms | marks from the index %.3f ms | naive listing per lookup "
                    "%.1f ms | naive / index %.0fx | %s\n",
                    window, indexed, naive, naive / indexed, window < 1.0 ? "within budget" : "OVER BUDGET");
    }
    return 0;
}
