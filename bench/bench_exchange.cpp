#include "agenda/core/datafolder.h"
#include "agenda/core/daykeys.h"
#include "agenda/core/daytexts.h"
#include "agenda/core/exchange.h"
#include "agenda/core/icalendar.h"
#include "benchdata.h"
#include "common/folderindex.h"
#include "common/textfile.h"

#include <QDate>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <QHash>

#include <memory>

namespace {

using namespace quindara;

constexpr int kBudgetEvents = 5000;
constexpr double kBudgetMs = 2000;

// A calendar as a busy user's export looks: timed meetings in a named zone, all-day days, weekly series
// of ten and yearly birthdays.
QByteArray calendar(int events) {
    static QHash<int, QByteArray> made;
    if (made.contains(events))
        return made.value(events);
    const QByteArray bytes = [events] {
        QByteArray out =
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//ES\r\n"
            "BEGIN:VTIMEZONE\r\nTZID:Europe/Madrid\r\n"
            "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nDTSTART:19700329T020000\r\n"
            "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
            "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nDTSTART:19701025T030000\r\n"
            "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
        const QDate first(2015, 1, 1);
        for (int i = 0; i < events; ++i) {
            const QDate day = first.addDays(i * 3 % 5000);
            out += "BEGIN:VEVENT\r\nUID:bench-" + QByteArray::number(i) +
                   "@example.com\r\nDTSTAMP:20240101T000000Z\r\n";
            if (i % 10 < 7) {
                out += "DTSTART;TZID=Europe/Madrid:" + day.toString(u"yyyyMMdd").toLatin1() + "T093000\r\n";
                out += "DTEND;TZID=Europe/Madrid:" + day.toString(u"yyyyMMdd").toLatin1() + "T103000\r\n";
            } else {
                out += "DTSTART;VALUE=DATE:" + day.toString(u"yyyyMMdd").toLatin1() + "\r\n";
                if (i % 10 == 8)
                    out += "RRULE:FREQ=WEEKLY;COUNT=10\r\n";
                else if (i % 10 == 9 && i % 20 == 19)
                    out += "RRULE:FREQ=YEARLY\r\n";
            }
            out += "SUMMARY:Reuni\xC3\xB3n n\xC3\xBAmero " + QByteArray::number(i) + "\\, sala " +
                   QByteArray::number(i % 7) + "\r\nEND:VEVENT\r\n";
        }
        out += "END:VCALENDAR\r\n";
        return out;
    }();
    made.insert(events, bytes);
    return bytes;
}

// The budget is for the program's own work. On a busy ext4 disk the kernel's search for a free inode
// (thousands of files just deleted by the previous run) costs more than everything else together, so
// the folders go to memory when the system has a memory file system.
std::unique_ptr<QTemporaryDir> emptyFolder() {
    const QFileInfo memory(QStringLiteral("/dev/shm"));
    if (memory.isDir() && memory.isWritable())
        return std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/quindara-bench-XXXXXX"));
    return std::make_unique<QTemporaryDir>();
}

IcsReadOptions options() {
    IcsReadOptions read;
    read.zone = QTimeZone("Europe/Madrid");
    return read;
}

// The whole import into an empty agenda: reading, checking, planning and writing every file. Making and
// removing the folder stay outside the timing.
void ImportCalendar(benchmark::State& state) {
    const QByteArray input = calendar(int(state.range(0)));
    int files = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = emptyFolder();
        state.ResumeTiming();
        const ExchangeResult result =
            importIcsBytes(DataFolder(folder->path()), input, QStringLiteral("bench.ics"), options());
        files = result.reminders.added + result.holidays.added;
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
    state.counters["texts_added"] = files;
}
BENCHMARK(ImportCalendar)->Unit(benchmark::kMillisecond)->Arg(1000)->Arg(kBudgetEvents);

// Reading and checking alone, without a file written: what the import costs before its writes.
void ReadCalendar(benchmark::State& state) {
    const QByteArray input = calendar(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(readIcs(input, options()));
}
BENCHMARK(ReadCalendar)->Unit(benchmark::kMillisecond)->Arg(kBudgetEvents);

// The naive way: each day's text stored on its own, listing the folder again for every one. Its cost
// grows with the square of the calendar, so it runs on the smaller one only.
void ImportCalendar_Naive(benchmark::State& state) {
    const QByteArray input = calendar(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = emptyFolder();
        const DataFolder data(folder->path());
        if (!data.createMissingFolders())
            qFatal("cannot create the benchmark's data folders");
        state.ResumeTiming();
        const IcsReading reading = readIcs(input, options());
        for (const CalendarItem& item : reading.items) {
            const DayTextKind kind = item.kind == CalendarKind::Holiday ? DayTextKind::Holiday
                                     : item.kind == CalendarKind::YearlyReminder
                                         ? DayTextKind::YearlyReminder
                                         : DayTextKind::OneYearReminder;
            const DayTextPlace place =
                dayTextPlace(data, kind, QString::number(item.date.day()), monthName(item.date.month()),
                             QString::number(item.date.year()));
            common::FolderIndex index(place.folder);
            index.refresh();
            const QString path = index.pathFor(place.fileName);
            const QString existing = common::readTextOrEmpty(path, place.ending);
            const QString text = existing.isEmpty() ? item.text : existing + u'\n' + item.text;
            if (existing != item.text && !common::writeText(path, text, place.ending))
                state.SkipWithError("a day text could not be written");
        }
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(ImportCalendar_Naive)->Unit(benchmark::kMillisecond)->Arg(1000)->Iterations(1);

void checkBudgets(bench::Budgets& budgets) {
    budgets.atMost("ImportCalendar/5000", kBudgetMs, "import of a 5,000-event calendar");
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, checkBudgets, false);
}
