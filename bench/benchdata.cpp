// SPDX-License-Identifier: GPL-3.0-or-later
#include "benchdata.h"

#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"

#include <QApplication>
#include <QDate>
#include <QEvent>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

bool bench::smoke() {
    static const bool on = qEnvironmentVariableIntValue("QUINDARA_BENCH_SMOKE") != 0;
    return on;
}

std::int64_t bench::scaled(std::int64_t full) {
    return smoke() ? std::max<std::int64_t>(1, full / 100) : full;
}

QTemporaryDir& bench::scratch() {
    // A smoke run's data goes to the memory file system where there is one: it is made anew every run.
    static QTemporaryDir dir = [] {
        const QFileInfo memory(QStringLiteral("/dev/shm"));
        return smoke() && memory.isDir() && memory.isWritable()
                   ? QTemporaryDir(QStringLiteral("/dev/shm/quindara-bench-XXXXXX"))
                   : QTemporaryDir();
    }();
    return dir;
}

namespace {

// Fills the three marking folders of `folder` with 20,000 files each, the given keys first.
QString markedFolder(const QString& name, const QStringList& holidays, const QStringList& yearly,
                     const QStringList& dated) {
    const QString folder = bench::scratch().filePath(name);
    const quindara::DataFolder data(folder);
    if (!data.createMissingFolders())
        qFatal("cannot create the benchmark's data folders");
    const auto fill = [](const QString& where, const QStringList& keys) {
        bench::fillFolder(where, int(bench::scaled(bench::kFilesPerMarkingFolder)), [&keys](int i) {
            return i < keys.size() ? keys[i] + quindara::kTxt : QStringLiteral("antiguo %1.txt").arg(i);
        });
    };
    fill(data.folder(quindara::folders::holidays), holidays);
    fill(data.folder(quindara::folders::yearlyReminders), yearly);
    fill(data.folder(quindara::folders::oneYearReminders), dated);
    return folder;
}

} // namespace

const QString& bench::markedProgramFolder() {
    static const QString path = [] {
        QStringList holidays;
        QStringList yearly;
        int i = 0;
        for (QDate day(2012, 1, 1); day.year() == 2012; day = day.addDays(1), ++i) {
            if (i % 3 == 0)
                holidays.append(quindara::annualKey(day));
            if (i % 5 == 0)
                yearly.append(quindara::annualKey(day));
        }
        QStringList dated;
        for (QDate day(1960, 1, 1); dated.size() < scaled(kFilesPerMarkingFolder); day = day.addDays(1))
            dated.append(quindara::datedKey(day));
        return markedFolder(QStringLiteral("agenda"), holidays, yearly, dated);
    }();
    return path;
}

const QString& bench::sparselyMarkedProgramFolder() {
    static const QString path = [] {
        QStringList holidays;
        QStringList yearly;
        QStringList dated;
        for (int month = 1; month <= 12; ++month) {
            for (int day : {1, 15})
                holidays.append(quindara::annualKey(QDate(2012, month, day)));
            yearly.append(quindara::annualKey(QDate(2012, month, 20)));
            for (int year = 1990; year <= 2030; ++year)
                dated.append(quindara::datedKey(QDate(year, month, 8)));
        }
        return markedFolder(QStringLiteral("sparse"), holidays, yearly, dated);
    }();
    return path;
}

bench::PaintCounter::PaintCounter() {
    QCoreApplication::instance()->installEventFilter(this);
}

bench::PaintCounter::~PaintCounter() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool bench::PaintCounter::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Paint)
        ++paints;
    return false;
}

void bench::PaintCounter::report(benchmark::State& state) const {
    if (paints == 0)
        state.SkipWithError("nothing was repainted");
    else if (state.iterations() > 0)
        state.counters["paints"] = double(paints) / double(state.iterations());
}

void bench::repaintShownWindows() {
    QCoreApplication::processEvents();
}

bench::RememberingReporter::RememberingReporter()
    : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

void bench::RememberingReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred)
            anyError = true;
        if (run.run_type != Run::RT_Iteration || run.error_occurred)
            continue;
        const double toMs = 1000.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
        // Over repetitions, the quickest run counts for CPU budgets; wall budgets look at the fastest and
        // median wall times.
        const double cpuMs = run.GetAdjustedCPUTime() * toMs;
        const double wallMs = run.GetAdjustedRealTime() * toMs;
        const auto [kept, added] = timings.try_emplace(run.benchmark_name());
        Timing& timing = kept->second;
        if (added || cpuMs < timing.cpuMs) {
            timing.cpuMs = cpuMs;
            timing.wallMs = wallMs;
        }
        timing.wallsMs.push_back(wallMs);
        std::vector<double> sorted = timing.wallsMs;
        std::sort(sorted.begin(), sorted.end());
        timing.minWallMs = sorted.front();
        const size_t middle = sorted.size() / 2;
        timing.medianWallMs =
            sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    }
}

const bench::Timing* bench::Budgets::find(const std::string& name, const char* what) {
    const auto found = timings_.find(name);
    if (found != timings_.end() && found->second.cpuMs > 0)
        // A smoke run only asks that the benchmark ran: its times on a hundredth of the data judge nothing.
        return smoke() ? nullptr : &found->second;
    // Left out by a filter, or failed (which fails the run on its own). A smoke run filters nothing: there
    // the budget names a benchmark that no longer exists.
    std::printf("budget %s: %s was not run%s\n", what, name.c_str(), smoke() ? " | MISSED" : "");
    allMet_ = allMet_ && !smoke();
    return nullptr;
}

void bench::Budgets::atMost(const std::string& name, double limitMs, const char* what) {
    const Timing* t = find(name, what);
    if (t == nullptr)
        return;
    const bool met = t->cpuMs <= limitMs;
    allMet_ = allMet_ && met;
    std::printf("budget %s: %.3f ms CPU (%.3f ms wall), budget %.3g ms CPU | %s\n", what, t->cpuMs, t->wallMs,
                limitMs, met ? "ok" : "MISSED");
}

void bench::Budgets::atMostWall(const std::string& name, double limitMs, const char* what) {
    const Timing* t = find(name, what);
    if (t == nullptr)
        return;
    const bool met = t->minWallMs <= limitMs;
    allMet_ = allMet_ && met;
    std::printf("budget %s: %.3f ms wall at best of %zu, median %.3f ms (%.3f ms CPU), budget %.3g ms wall | "
                "%s\n",
                what, t->minWallMs, t->wallsMs.size(), t->medianWallMs, t->cpuMs, limitMs,
                met ? "ok" : "MISSED");
}

void bench::Budgets::compareWall(const std::string& name, const std::string& baseline, const char* what) {
    const Timing* t = find(name, what);
    const Timing* base = find(baseline, what);
    if (t == nullptr || base == nullptr)
        return;
    std::printf("ratio %s: %.3f ms wall at best against %.3f ms = %.2fx\n", what, t->minWallMs,
                base->minWallMs, t->minWallMs / base->minWallMs);
}

void bench::Budgets::atMostTimes(const std::string& name, const std::string& baseline, double factor,
                                 const char* what) {
    const Timing* t = find(name, what);
    const Timing* base = find(baseline, what);
    if (t == nullptr || base == nullptr)
        return;
    const double ratio = t->cpuMs / base->cpuMs;
    const bool met = ratio <= factor;
    allMet_ = allMet_ && met;
    std::printf("budget %s: %.3f ms CPU (%.3f ms wall) against %.3f ms CPU (%.3f ms wall) = %.2fx, "
                "budget <= %.3gx | %s\n",
                what, t->cpuMs, t->wallMs, base->cpuMs, base->wallMs, ratio, factor, met ? "ok" : "MISSED");
}

void bench::Budgets::atLeastTimesFaster(const std::string& name, const std::string& naive, double factor,
                                        const char* what) {
    const Timing* t = find(name, what);
    const Timing* slow = find(naive, what);
    if (t == nullptr || slow == nullptr)
        return;
    const double ratio = slow->cpuMs / t->cpuMs;
    const bool met = ratio >= factor;
    allMet_ = allMet_ && met;
    std::printf("budget %s: %.3f ms CPU (%.3f ms wall), the naive way %.1f ms CPU (%.1f ms wall) = %.0fx "
                "faster, budget >= %.0fx | %s\n",
                what, t->cpuMs, t->wallMs, slow->cpuMs, slow->wallMs, ratio, factor, met ? "ok" : "MISSED");
}

void bench::Budgets::judge(const char* what, const std::string& figures, bool met) {
    if (smoke())
        return;
    allMet_ = allMet_ && met;
    std::printf("budget %s: %s | %s\n", what, figures.c_str(), met ? "ok" : "MISSED");
}

int bench::runBenchmarks(int argc, char** argv, void (*check)(Budgets& budgets), bool widgets) {
    if (widgets && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A smoke run: one iteration (the least a zero minimum time gives) and one repetition, whatever was
    // asked before; later flags win.
    std::vector<char*> arguments(argv, argv + argc);
    std::string once = "--benchmark_min_time=0";
    std::string oneRepetition = "--benchmark_repetitions=1";
    if (smoke())
        arguments.insert(arguments.end(), {once.data(), oneRepetition.data()});
    int count = int(arguments.size());
    std::unique_ptr<QCoreApplication> app;
    if (widgets)
        app = std::make_unique<QApplication>(count, arguments.data());
    else
        app = std::make_unique<QCoreApplication>(count, arguments.data());
    benchmark::Initialize(&count, arguments.data());
    RememberingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\n");
    Budgets budgets(reporter.timings);
    check(budgets);
    if (reporter.anyError)
        std::printf("a benchmark reported an error | MISSED\n");
    else if (smoke() && budgets.allMet())
        std::printf("smoke run: every benchmark ran, no budget judged\n");
    std::fflush(stdout);
    return budgets.allMet() && !reporter.anyError ? 0 : 1;
}
