// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace bench {

// A smoke run, as `make test` runs every benchmark (QUINDARA_BENCH_SMOKE=1 in the environment, read before
// the benchmarks are registered): each benchmark once (unless it fixes its own iterations or repetitions),
// on a hundredth of its data, to check that it still runs and that its results are sane. Its times are not
// judged: the budgets' names must still name benchmarks that ran, and nothing more.
bool smoke();
// The size of a benchmark's data (files, rows, bytes): `full`, or in a smoke run a hundredth of it (at
// least 1). Benchmarks keep their full sizes in their names and arguments, so both runs share them.
std::int64_t scaled(std::int64_t full);

inline constexpr int kFilesPerMarkingFolder = 20000;

// An agenda program folder whose three marking folders hold 20,000 files each, densely marked: every
// third day of the year has a holiday and every fifth a yearly reminder; one-year reminders cover whole
// years from 1960 on (through 2014). Old names with no day key fill the rest.
const QString& markedProgramFolder();
// The same amount of files with realistic marks: a few holidays and reminders a month (a day stops at
// its first mark, so sparse marks make every day look in all three folders). Old names fill the rest.
const QString& sparselyMarkedProgramFolder();

// CPU and wall time of one iteration (of the quickest repetition, for a benchmark run several times), in
// milliseconds.
struct Timing {
    double cpuMs = 0;
    double wallMs = 0;
    // Over the repetitions of a benchmark run several times: the fastest wall time, which budgets on work
    // that waits on the disk are judged on (the steadiest estimate on a shared machine), and the median.
    double minWallMs = 0;
    double medianWallMs = 0;
    std::vector<double> wallsMs;
};
using Timings = std::map<std::string, Timing>;

// Prints the usual table and keeps each benchmark's mean times, for the closing budget lines. Colours
// only on a terminal, so scripts reading the table see plain text.
class RememberingReporter : public benchmark::ConsoleReporter {
public:
    RememberingReporter();
    void ReportRuns(const std::vector<Run>& runs) override;

    Timings timings;
    bool anyError = false;
};

// The closing lines: each budget judged on CPU time (shared machines inflate wall time), with the wall
// time beside it, except the wall-time budgets of work that waits on the disk. Every check prints one line
// starting "budget" and ending "ok" or "MISSED". In a smoke run a check only asks that the benchmarks it
// names ran, and prints a line only when one did not.
class Budgets {
public:
    explicit Budgets(Timings timings) : timings_(std::move(timings)) {}

    // `name` takes at most `limitMs` of CPU time.
    void atMost(const std::string& name, double limitMs, const char* what);
    // The fastest repetition of `name` takes at most `limitMs` of wall time: for work that waits on the
    // disk, whose flushes cost no CPU time.
    void atMostWall(const std::string& name, double limitMs, const char* what);
    // Prints how many times the fastest wall time of `baseline` the fastest of `name` takes; judges nothing.
    void compareWall(const std::string& name, const std::string& baseline, const char* what);
    // `name` takes at most `factor` times the CPU time of `baseline`.
    void atMostTimes(const std::string& name, const std::string& baseline, double factor, const char* what);
    // `naive` takes at least `factor` times the CPU time of `name`.
    void atLeastTimesFaster(const std::string& name, const std::string& naive, double factor,
                            const char* what);

    // A figure that is not a time (memory, say): `figures` describes it, `met` judges it.
    void judge(const char* what, const std::string& figures, bool met);

    bool allMet() const { return allMet_; }

private:
    const Timing* find(const std::string& name, const char* what);

    Timings timings_;
    bool allMet_ = true;
};

// Runs every benchmark of the program (inside a QApplication on the offscreen platform unless told
// otherwise when `widgets`), then `check` on the times. The exit status is non-zero when a benchmark
// failed or a budget was missed. A smoke run gives each benchmark one iteration and one repetition, unless
// it fixes its own.
int runBenchmarks(int argc, char** argv, void (*check)(Budgets& budgets), bool widgets = true);

// Counts the paint events the application delivers while it lives. A benchmark that times Qt's own repaint
// of a shown window (the parts a change made dirty, painted into the window's backing store, as the screen
// gets them) reports an error when nothing was painted, so it can never time an empty loop.
class PaintCounter : public QObject {
public:
    PaintCounter();
    ~PaintCounter() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Ends `state` with an error when no paint event came, else adds the paints per iteration.
    void report(benchmark::State& state) const;

    long long paints = 0;
};

// Delivers the pending repaints of the shown windows, as the event loop does after a click.
void repaintShownWindows();

// Fills `folder` with `count` small files named by `nameOf(i)`, then lets a moment pass: a folder index
// distrusts a listing made within a few hundredths of a second of the folder's last change, and a user's
// folder was last changed long before.
template <typename NameOf> void fillFolder(const QString& folder, int count, NameOf nameOf);

// A temporary folder kept for the whole benchmark program.
QTemporaryDir& scratch();

} // namespace bench

#include <QDir>
#include <QFile>
#include <QThread>

template <typename NameOf> void bench::fillFolder(const QString& folder, int count, NameOf nameOf) {
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile file(QDir(folder).filePath(nameOf(i)));
        if (file.open(QIODevice::WriteOnly))
            file.write("x\r\n");
    }
    QThread::msleep(100);
}
