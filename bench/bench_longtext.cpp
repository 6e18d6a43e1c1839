// SPDX-License-Identifier: GPL-3.0-or-later
// Showing a text that is one long line: a day note on the day page, and the current log in the saved logs
// browser, each with Qt's repaint of the shown window. Beside the naive way: the whole line put in a box
// that wraps at word boundaries, whose cost grows with the square of a line with no blank in it.
#include "agenda/core/days/daykeys.h"
#include "agenda/ui/agendawindow.h"
#include "benchdata.h"
#include "calculator/ui/savedlogswindow.h"
#include "common/clock.h"
#include "common/textfile.h"
#include "tests/support/recordingdesktopservices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <benchmark/benchmark.h>

namespace {

constexpr double kShowBudgetMs = 500;
const QDate kToday(2011, 1, 5);

QByteArray oneLine(qsizetype bytes) {
    return QByteArray(bench::scaled(bytes), 'x') + "\r\n";
}

// A data folder whose 5th and 6th of January 2011 have a one-line note of `bytes` bytes.
QString noteFolder(qsizetype bytes) {
    const QString folder = bench::scratch().filePath(QStringLiteral("notes%1").arg(bytes));
    QDir().mkpath(folder + QStringLiteral("/dias"));
    for (int day : {5, 6}) {
        const QString path = folder + QStringLiteral("/dias/") + quindara::dayNoteKey(QDate(2011, 1, day)) +
                             QStringLiteral(".txt");
        if (!common::writeBytes(path, oneLine(bytes)))
            qFatal("cannot write the benchmark's notes");
    }
    return folder;
}

QAbstractButton* dayButton(const QWidget& window, int day) {
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->objectName().startsWith(QLatin1String("Command1_")) &&
            button->text() == QString::number(day))
            return button;
    }
    qFatal("no button for day %d", day);
}

// Clicks the 5th and the 6th in turn: each click shows the other day's note on the day page.
void ShowOneLineDayNote(benchmark::State& state) {
    common::FixedClock clock(QDateTime(kToday, QTime(10, 0)));
    common::RecordingDesktopServices desktop;
    quindara::AgendaWindow window(noteFolder(state.range(0)), clock, desktop);
    window.show();
    QApplication::processEvents();
    const std::array<QAbstractButton*, 2> days = {dayButton(window, 6), dayButton(window, 5)};
    int turn = 0;
    const bench::PaintCounter counter;
    for (auto _ : state) {
        days[turn++ % 2]->click();
        bench::repaintShownWindows();
    }
    counter.report(state);
}
BENCHMARK(ShowOneLineDayNote)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The saved logs browser opened on a current log of one line.
void ShowOneLineSavedLog(benchmark::State& state) {
    const QString folder = bench::scratch().filePath(QStringLiteral("log%1").arg(state.range(0)));
    QDir().mkpath(folder + QStringLiteral("/operaciones"));
    if (!common::writeBytes(folder + QStringLiteral("/operacion.txt"), oneLine(state.range(0))))
        qFatal("cannot write the benchmark's log");
    common::FixedClock clock(QDateTime(kToday, QTime(10, 0)));
    common::RecordingDesktopServices desktop;
    const bench::PaintCounter counter;
    for (auto _ : state) {
        tallimo::SavedLogsWindow window(folder, clock, desktop);
        window.show();
        bench::repaintShownWindows();
    }
    counter.report(state);
}
BENCHMARK(ShowOneLineSavedLog)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The naive way: the whole line in a box wrapping at word boundaries.
void ShowOneLineDayNote_Naive(benchmark::State& state) {
    const QString text(bench::scaled(state.range(0)), u'x');
    QPlainTextEdit box;
    box.resize(520, 360);
    box.show();
    const bench::PaintCounter counter;
    for (auto _ : state) {
        box.setPlainText(text);
        bench::repaintShownWindows();
        box.clear();
    }
    counter.report(state);
}
BENCHMARK(ShowOneLineDayNote_Naive)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(1);

void checkBudgets(bench::Budgets& budgets) {
    budgets.atMost("ShowOneLineDayNote/1000000", kShowBudgetMs, "a day note of one 1 MB line, with repaint");
    budgets.atMost("ShowOneLineSavedLog/1000000", kShowBudgetMs,
                   "a saved log of one 1 MB line, with repaint");
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, checkBudgets);
}
