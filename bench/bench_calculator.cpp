// SPDX-License-Identifier: GPL-3.0-or-later
#include "benchdata.h"
#include "calculator/core/clipboardtext.h"
#include "calculator/core/operations.h"
#include "calculator/core/tape.h"
#include "calculator/ui/calculatorwindow.h"
#include "tests/support/recordingdesktopservices.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <malloc.h>
#include <memory>
#include <string>
#include <vector>

namespace {

const int kRows = int(bench::scaled(10000));
// A key press with its repaint, in CPU time: a quarter of a 60 Hz frame, so a loaded machine still
// keeps up. The palette on row 1 of a tape with roots and non-whole powers may take one frame; a digit,
// which evaluates only the newest row, a millisecond.
constexpr double kKeyBudgetMs = 4.0;
constexpr double kEveryOperationPaletteBudgetMs = 16.0;
constexpr double kDigitBudgetMs = 1.0;

struct RowPattern {
    int code;
    const char* text;
};

// Every operation, in an order that keeps the accumulator inside every operation's range.
constexpr RowPattern kMixed[] = {
    {tallimo::operation::Add, "123.45"},      {tallimo::operation::Subtract, "67.8"},
    {tallimo::operation::Multiply, "1.5"},    {tallimo::operation::Divide, "1.5"},
    {tallimo::operation::Power, "2"},         {tallimo::operation::SquareRoot, ""},
    {tallimo::operation::Percent, "100"},     {tallimo::operation::Reciprocal, ""},
    {tallimo::operation::Reciprocal, ""},     {tallimo::operation::Root, "3"},
    {tallimo::operation::Power, "3"},         {tallimo::operation::Power, "1.5"},
    {tallimo::operation::Root, "1.5"},        {tallimo::operation::Remainder, "1000000"},
    {tallimo::operation::WholeQuotient, "1"},
};
constexpr RowPattern kBasic[] = {
    {tallimo::operation::Add, "123.45"},   {tallimo::operation::Subtract, "67.8"},
    {tallimo::operation::Multiply, "1.5"}, {tallimo::operation::Divide, "1.5"},
    {tallimo::operation::Percent, "100"},
};

template <std::size_t N> tallimo::Tape tapeOf(const RowPattern (&pattern)[N]) {
    tallimo::Tape tape;
    tape.setText(0, QStringLiteral("1000"));
    for (int i = 1; i < kRows; ++i) {
        const RowPattern& row = pattern[std::size_t(i) % N];
        tape.setText(tape.addRow(row.code), QString::fromLatin1(row.text));
    }
    tape.includeAllRows();
    return tape;
}

double heapBytes() {
    return double(mallinfo2().uordblks);
}

// The calculator window with a 10,000-row tape typed in through its keys.
struct LongTapeWindow {
    common::FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(9, 5))};
    common::RecordingDesktopServices desktop;
    std::unique_ptr<tallimo::CalculatorWindow> window;
    double heapGrowth = 0;

    template <std::size_t N> explicit LongTapeWindow(const RowPattern (&pattern)[N]) {
        const double before = heapBytes();
        window = std::make_unique<tallimo::CalculatorWindow>(bench::scratch().path(), clock, desktop);
        window->setSavedLogsOpener([](tallimo::SavedLogsWindow::LogWrite) {});
        window->show();
        press(QStringLiteral("Command2_1"));
        for (int i = 1; i < kRows; ++i) {
            const RowPattern& row = pattern[std::size_t(i) % N];
            press(QStringLiteral("Command3_%1").arg(row.code));
            for (const char* c = row.text; *c != 0; ++c)
                press(*c == '.' ? QStringLiteral("Command4") : QStringLiteral("Command2_%1").arg(*c - '0'));
        }
        press(QStringLiteral("Command5"));
        heapGrowth = heapBytes() - before;
    }
    void press(const QString& name) const { window->findChild<QPushButton*>(name)->click(); }
};

// Built on first use, and closed in main() while the application still exists.
std::unique_ptr<LongTapeWindow>& longTapeHolder() {
    static std::unique_ptr<LongTapeWindow> holder;
    return holder;
}

std::unique_ptr<LongTapeWindow>& moneyTapeHolder() {
    static std::unique_ptr<LongTapeWindow> holder;
    return holder;
}

// Every operation, roots and non-whole powers included.
LongTapeWindow& longTapeWindow() {
    if (!longTapeHolder())
        longTapeHolder() = std::make_unique<LongTapeWindow>(kMixed);
    return *longTapeHolder();
}

// The operations people chain with money: the four rules and percent, amounts with cents.
LongTapeWindow& moneyTapeWindow() {
    if (!moneyTapeHolder())
        moneyTapeHolder() = std::make_unique<LongTapeWindow>(kBasic);
    return *moneyTapeHolder();
}

// Each key press with Qt's repaint of what it changed on the shown window, as the user waits for both.
template <typename Press> void measureKeys(benchmark::State& state, Press press) {
    std::int64_t keys = 0;
    const bench::PaintCounter counter;
    for (auto _ : state) {
        press(keys++);
        bench::repaintShownWindows();
    }
    counter.report(state);
}

// Digit and delete keys on the newest row of the 10,000-row tape, each recalculating.
void WindowDigitKeyOnLongTape(benchmark::State& state) {
    LongTapeWindow& tape = longTapeWindow();
    const tallimo::Tape& model = tape.window->tape();
    measureKeys(state, [&](std::int64_t k) {
        tape.press(k % 2 == 0 ? QStringLiteral("Command2_5") : QStringLiteral("Command9"));
    });
    state.counters["rows"] = model.rowCount();
    state.counters["tape_MB"] = double(model.memoryBytes()) / 1e6;
    state.counters["window_heap_MB"] = tape.heapGrowth / 1e6;
}
BENCHMARK(WindowDigitKeyOnLongTape)->Unit(benchmark::kMillisecond);

// The naive way for the same key: every row of the tape read and evaluated again.
void WindowDigitKeyOnLongTape_Naive(benchmark::State& state) {
    const tallimo::Tape& model = longTapeWindow().window->tape();
    for (auto _ : state) {
        tallimo::Tape fresh;
        fresh.setText(0, model.text(0));
        for (int i = 1; i < model.rowCount(); ++i)
            fresh.setText(fresh.addRow(model.operation(i)), model.text(i));
        fresh.includeAllRows();
        benchmark::DoNotOptimize(fresh.recalculate());
    }
}
BENCHMARK(WindowDigitKeyOnLongTape_Naive)->Unit(benchmark::kMillisecond);

// An operation key and "CE" at the bottom of the 10,000-row tape.
void WindowOperationKeyOnLongTape(benchmark::State& state) {
    LongTapeWindow& tape = longTapeWindow();
    measureKeys(state, [&](std::int64_t k) {
        tape.press(k % 2 == 0 ? QStringLiteral("Command3_0") : QStringLiteral("Command7_1"));
    });
}
BENCHMARK(WindowOperationKeyOnLongTape)->Unit(benchmark::kMillisecond);

// The worst key: the palette changes row 1, so all 10,000 rows are evaluated again.
void measurePaletteOnFirstRow(benchmark::State& state, LongTapeWindow& tape) {
    for (int i = 1; i < kRows - 1; ++i)
        tape.press(QStringLiteral("Command6_0"));
    measureKeys(state, [&](std::int64_t k) {
        // The palette opens (and is painted), then its choice changes row 1.
        tape.press(QStringLiteral("Command1_1"));
        bench::repaintShownWindows();
        tape.press(k % 2 == 0 ? QStringLiteral("Command14_1") : QStringLiteral("Command14_0"));
    });
    for (int i = 1; i < kRows - 1; ++i)
        tape.press(QStringLiteral("Command6_1"));
}

void WindowPaletteOnFirstRowOfLongTape(benchmark::State& state) {
    measurePaletteOnFirstRow(state, longTapeWindow());
}
BENCHMARK(WindowPaletteOnFirstRowOfLongTape)->Unit(benchmark::kMillisecond);

void WindowPaletteOnFirstRowOfMoneyTape(benchmark::State& state) {
    measurePaletteOnFirstRow(state, moneyTapeWindow());
}
BENCHMARK(WindowPaletteOnFirstRowOfMoneyTape)->Unit(benchmark::kMillisecond);

// Ctrl+V of a 10,000-line column copied from a spreadsheet, onto an empty tape, with the repaint; Ctrl+Z
// takes it off again outside the timing.
constexpr double kPasteBudgetMs = 200.0;

QString spreadsheetColumn(int lines) {
    QString text = QStringLiteral("Importe\r\n");
    for (int k = 1; k < lines; ++k)
        text += (k % 3 == 0 ? QStringLiteral("(%1,%2 €)") : QStringLiteral("%1.%2,50"))
                    .arg(k % 997)
                    .arg(k % 1000, 3, 10, QLatin1Char('0')) +
                QStringLiteral("\r\n");
    return text;
}

void sendKey(QWidget* window, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(window, &press);
}

void WindowPasteTenThousandLines(benchmark::State& state) {
    common::FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(9, 5))};
    common::RecordingDesktopServices desktop;
    tallimo::CalculatorWindow window(bench::scratch().path(), clock, desktop);
    window.show();
    QCoreApplication::processEvents();
    desktop.clipboard = spreadsheetColumn(kRows);
    const bench::PaintCounter counter;
    for (auto _ : state) {
        sendKey(&window, Qt::Key_V, Qt::ControlModifier);
        bench::repaintShownWindows();
        state.PauseTiming();
        sendKey(&window, Qt::Key_Z, Qt::ControlModifier);
        bench::repaintShownWindows();
        state.ResumeTiming();
    }
    counter.report(state);
}
BENCHMARK(WindowPasteTenThousandLines)->Unit(benchmark::kMillisecond);

// The naive way for the same column: every number typed on the keys, one row at a time.
void WindowPasteTenThousandLines_Naive(benchmark::State& state) {
    common::FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(9, 5))};
    common::RecordingDesktopServices desktop;
    const QStringList numbers =
        tallimo::readPastedNumbers(spreadsheetColumn(kRows), tallimo::Separators::of(QLocale())).numbers;
    for (auto _ : state) {
        state.PauseTiming();
        tallimo::CalculatorWindow window(bench::scratch().path(), clock, desktop);
        window.show();
        state.ResumeTiming();
        for (const QString& number : numbers) {
            // A negative number is subtracted: the minus key is the subtraction key.
            const bool negative = number.startsWith(u'-');
            sendKey(&window, negative ? Qt::Key_Minus : Qt::Key_Plus, Qt::NoModifier);
            for (const QChar c : number.mid(negative ? 1 : 0))
                sendKey(&window, c == u'.' ? Qt::Key_Period : int(c.unicode()), Qt::NoModifier);
        }
    }
}
BENCHMARK(WindowPasteTenThousandLines_Naive)->Unit(benchmark::kMillisecond)->Iterations(1);

// Whole-tape evaluation in the core, with the rows' numbers already read.
template <std::size_t N> void TapeFullEvaluation(benchmark::State& state, const RowPattern (&pattern)[N]) {
    tallimo::Tape tape = tapeOf(pattern);
    tape.recalculate();
    int k = 0;
    for (auto _ : state) {
        tape.setOperation(1, ++k % 2);
        benchmark::DoNotOptimize(tape.recalculate());
    }
    state.counters["tape_MB"] = double(tape.memoryBytes()) / 1e6;
}
BENCHMARK_CAPTURE(TapeFullEvaluation, every_operation, kMixed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TapeFullEvaluation, four_rules_and_percent, kBasic)->Unit(benchmark::kMillisecond);

// The naive way: the rows' texts read again as well.
template <std::size_t N>
void TapeFullEvaluation_Naive(benchmark::State& state, const RowPattern (&pattern)[N]) {
    const tallimo::Tape pristine = tapeOf(pattern);
    for (auto _ : state) {
        tallimo::Tape tape = pristine;
        benchmark::DoNotOptimize(tape.recalculate());
    }
}
BENCHMARK_CAPTURE(TapeFullEvaluation_Naive, every_operation, kMixed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TapeFullEvaluation_Naive, four_rules_and_percent, kBasic)->Unit(benchmark::kMillisecond);

// Not key presses, but the other whole-tape keys: a format key and back, and the operation log.
void WindowFormatKeysOnLongTape(benchmark::State& state) {
    LongTapeWindow& tape = longTapeWindow();
    int k = 0;
    for (auto _ : state)
        tape.press(++k % 2 ? QStringLiteral("Command8_0") : QStringLiteral("Command8_1"));
}
BENCHMARK(WindowFormatKeysOnLongTape)->Unit(benchmark::kMillisecond);

void WindowLogButtonOnLongTape(benchmark::State& state) {
    LongTapeWindow& tape = longTapeWindow();
    for (auto _ : state)
        tape.press(QStringLiteral("Command11"));
}
BENCHMARK(WindowLogButtonOnLongTape)->Unit(benchmark::kMillisecond);

void checkBudgets(bench::Budgets& budgets) {
    // The long tapes' windows close here, while the application still exists.
    longTapeHolder().reset();
    moneyTapeHolder().reset();
    budgets.atMost("WindowDigitKeyOnLongTape", kDigitBudgetMs,
                   "digit key on a 10,000-row tape, with repaint");
    budgets.atMost("WindowOperationKeyOnLongTape", kKeyBudgetMs,
                   "operation key on a 10,000-row tape, with repaint");
    budgets.atMost("WindowPaletteOnFirstRowOfMoneyTape", kKeyBudgetMs,
                   "palette on row 1 of a 10,000-row tape of money operations, with repaint");
    budgets.atMost("WindowPaletteOnFirstRowOfLongTape", kEveryOperationPaletteBudgetMs,
                   "palette on row 1 of a 10,000-row tape of every operation (the worst key), with repaint");
    budgets.atMost("WindowPasteTenThousandLines", kPasteBudgetMs, "paste of 10,000 lines, with repaint");
}

} // namespace

int main(int argc, char** argv) {
    // Five repetitions unless told otherwise: budgets are judged on the quickest, the steadiest estimate
    // of what a key costs on a shared machine, and the median is printed next to it.
    std::vector<char*> arguments(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=5";
    if (std::none_of(argv + 1, argv + argc,
                     [](const char* a) { return std::strstr(a, "repetitions") != nullptr; }))
        arguments.push_back(repetitions.data());
    int count = int(arguments.size());
    return bench::runBenchmarks(count, arguments.data(), checkBudgets);
}
