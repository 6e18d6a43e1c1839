#include "benchdata.h"

#include <QApplication>

#include "agenda/core/datafolder.h"
#include "agenda/core/daykeys.h"

#include <QDate>
#include <QStringList>
#include <cstdio>
#include <unistd.h>

QTemporaryDir& bench::scratch() {
    static QTemporaryDir dir;
    return dir;
}

const QString& bench::markedProgramFolder() {
    static const QString path = [] {
        const QString folder = scratch().filePath(QStringLiteral("agenda"));
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
        for (QDate day(1960, 1, 1); dated.size() < kFilesPerMarkingFolder; day = day.addDays(1))
            dated.append(quindara::datedKey(day) + quindara::kTxt);
        const auto fill = [](const QString& where, const QStringList& keys) {
            fillFolder(where, kFilesPerMarkingFolder, [&keys](int i) {
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

bench::RememberingReporter::RememberingReporter()
    : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

void bench::RememberingReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.run_type == Run::RT_Iteration)
            milliseconds[run.benchmark_name()] =
                run.GetAdjustedRealTime() * 1000.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
}

int bench::runWidgetBenchmarks(int argc, char** argv, void (*summary)(std::map<std::string, double> ms)) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RememberingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    summary(reporter.milliseconds);
    return 0;
}
