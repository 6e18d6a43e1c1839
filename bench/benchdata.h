#pragma once

#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace bench {

inline constexpr int kFilesPerMarkingFolder = 20000;

// An agenda program folder whose three marking folders hold 20,000 files each: every third day of the
// year has a holiday and every fifth a yearly reminder; one-year reminders cover whole years from 1960
// on (through 2014). Old names with no day key fill the rest.
const QString& markedProgramFolder();

// Prints the usual table and keeps each benchmark's mean wall time in milliseconds, for a closing
// comparison. Colours only on a terminal, so scripts reading the table see plain text.
class RememberingReporter : public benchmark::ConsoleReporter {
public:
    RememberingReporter();
    void ReportRuns(const std::vector<Run>& runs) override;

    std::map<std::string, double> milliseconds;
};

// Runs every benchmark of the program inside a QApplication (offscreen unless told otherwise) and
// hands the remembered times to `summary`, which prints the comparison with the budget.
int runWidgetBenchmarks(int argc, char** argv, void (*summary)(std::map<std::string, double> ms));

// Fills `folder` with `count` empty files named by `nameOf(i)`.
template <typename NameOf> void fillFolder(const QString& folder, int count, NameOf nameOf);

// A temporary folder kept for the whole benchmark program.
QTemporaryDir& scratch();

} // namespace bench

#include <QDir>
#include <QFile>

template <typename NameOf> void bench::fillFolder(const QString& folder, int count, NameOf nameOf) {
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile file(QDir(folder).filePath(nameOf(i)));
        if (file.open(QIODevice::WriteOnly))
            file.write("x\r\n");
    }
}
