// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/exchange/exchange.h"
#include "agenda/core/formats/icalendar.h"
#include "benchdata.h"
#include "common/folderindex.h"
#include "common/textfile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <QHash>

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

using namespace quindara;

constexpr int kBudgetEvents = 5000;
constexpr int kBudgetContacts = 5000;

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

// The imports are timed on a real disk, flushes and all, as a user's folder is: a folder under /var/tmp
// (never a memory file system such as /dev/shm, where a flush costs nothing). A smoke run times nothing and
// takes the memory file system where there is one, since its repetitions would mostly wait on flushes.
std::unique_ptr<QTemporaryDir> emptyFolder() {
    const QFileInfo disk(bench::smoke() ? QStringLiteral("/dev/shm") : QStringLiteral("/var/tmp"));
    if (disk.isDir() && disk.isWritable())
        return std::make_unique<QTemporaryDir>(disk.filePath() + QStringLiteral("/quindara-bench-XXXXXX"));
    return std::make_unique<QTemporaryDir>();
}

// An address book as a phone exports it: a name, a phone or two, an e-mail, some with an address; every
// tenth surname is shared with another contact.
QByteArray cards(int contacts) {
    QByteArray out;
    for (int i = 0; i < contacts; ++i) {
        const QByteArray surname = "Apellido" + QByteArray::number(i % 10 == 9 ? i - 1 : i);
        const QByteArray given = "Nombre" + QByteArray::number(i);
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + given + " " + surname + "\r\nN:" + surname + ";" +
               given + ";;;\r\nTEL;TYPE=CELL:+34 600 " + QByteArray::number(100000 + i) + "\r\n";
        if (i % 2 == 0)
            out += "TEL;TYPE=HOME:91 555 " + QByteArray::number(1000 + i % 9000) + "\r\n";
        out += "EMAIL:" + given.toLower() + "@example.com\r\n";
        if (i % 3 == 0)
            out += "ADR;TYPE=HOME:;;Calle Mayor " + QByteArray::number(i % 200) +
                   ";Madrid;;28013;Espa\xC3\xB1"
                   "a\r\n";
        out += "END:VCARD\r\n";
    }
    return out;
}

IcsReadOptions options() {
    IcsReadOptions read;
    read.zone = QTimeZone("Europe/Madrid");
    return read;
}

// The whole import into an empty agenda on a disk: reading, checking, planning and writing every file,
// flushed. Making and removing the folder stay outside the timing.
void ImportCalendar(benchmark::State& state) {
    const QByteArray input = calendar(int(bench::scaled(state.range(0))));
    int files = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = emptyFolder();
        state.ResumeTiming();
        const ExchangeResult result =
            importIcsBytes(DataFolder(folder->path()), input, QStringLiteral("bench.ics"), options());
        files = result.reminders.added + result.holidays.added;
        if (result.exitCode() != 0)
            state.SkipWithError("the import failed");
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
    state.counters["texts_added"] = files;
}
BENCHMARK(ImportCalendar)
    ->Unit(benchmark::kMillisecond)
    ->Arg(1000)
    ->Arg(kBudgetEvents)
    ->Iterations(1)
    ->Repetitions(5);

// The same file imported a second time: everything is there already, nothing is written.
void ImportCalendarAgain(benchmark::State& state) {
    const QByteArray input = calendar(int(bench::scaled(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = emptyFolder();
        const DataFolder data(folder->path());
        (void)importIcsBytes(data, input, QStringLiteral("bench.ics"), options());
        state.ResumeTiming();
        const ExchangeResult result = importIcsBytes(data, input, QStringLiteral("bench.ics"), options());
        if (result.reminders.added + result.holidays.added != 0)
            state.SkipWithError("the second import added texts");
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(ImportCalendarAgain)
    ->Unit(benchmark::kMillisecond)
    ->Arg(kBudgetEvents)
    ->Iterations(1)
    ->Repetitions(5);

// A phone's address book into an empty agenda on a disk: two files per contact (its category and "Todos").
void ImportContacts(benchmark::State& state) {
    const std::int64_t contacts = bench::scaled(state.range(0));
    const QByteArray input = cards(int(contacts));
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = emptyFolder();
        state.ResumeTiming();
        const ExchangeResult result =
            importVcfBytes(DataFolder(folder->path()), input, QStringLiteral("bench.vcf"));
        if (result.exitCode() != 0 || result.contacts.added != contacts)
            state.SkipWithError("the import failed");
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(ImportContacts)->Unit(benchmark::kMillisecond)->Arg(kBudgetContacts)->Iterations(1)->Repetitions(5);

// The same address book imported a second time: every card is there already.
void ImportContactsAgain(benchmark::State& state) {
    const QByteArray input = cards(int(bench::scaled(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = emptyFolder();
        const DataFolder data(folder->path());
        (void)importVcfBytes(data, input, QStringLiteral("bench.vcf"));
        state.ResumeTiming();
        const ExchangeResult result = importVcfBytes(data, input, QStringLiteral("bench.vcf"));
        if (result.contacts.added != 0)
            state.SkipWithError("the second import added contacts");
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(ImportContactsAgain)
    ->Unit(benchmark::kMillisecond)
    ->Arg(kBudgetContacts)
    ->Iterations(1)
    ->Repetitions(5);

// The floor of an import on this disk: as many files of a card's size created in two folders, each opened,
// written and closed, with no flush and no rename.
void CreateFiles(benchmark::State& state) {
    const QByteArray bytes(120, 'x');
    const std::int64_t files = bench::scaled(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = emptyFolder();
        const QDir dir(folder->path());
        if (!dir.mkdir(QStringLiteral("a")) || !dir.mkdir(QStringLiteral("b")))
            qFatal("cannot create the benchmark's folders");
        state.ResumeTiming();
        for (const char* sub : {"a/", "b/"}) {
            for (int i = 0; i < files / 2; ++i) {
                const QByteArray path =
                    QFile::encodeName(folder->path()) + '/' + sub + "Apellido" + QByteArray::number(i);
                const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
                if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
                    state.SkipWithError("a file could not be created");
                if (fd >= 0)
                    ::close(fd);
            }
        }
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(CreateFiles)
    ->Unit(benchmark::kMillisecond)
    ->Arg(2 * kBudgetContacts)
    ->Iterations(1)
    ->Repetitions(5);

// Many events on one day, each a text of two lines whose first is the same for all (a rota's shifts, as
// our export writes them): a single file, so the cost is the planning's own, which must grow linearly.
void ImportOneDay(benchmark::State& state) {
    QByteArray input = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//ES\r\n";
    const std::int64_t events = bench::scaled(state.range(0));
    for (int i = 0; i < events; ++i)
        input += "BEGIN:VEVENT\r\nUID:dia-" + QByteArray::number(i) +
                 "\r\nDTSTAMP:20240101T000000Z\r\nDTSTART;VALUE=DATE:20300105\r\nSUMMARY:Guardia\r\n"
                 "DESCRIPTION:Guardia\\nTurno " +
                 QByteArray::number(i) + "\r\nEND:VEVENT\r\n";
    input += "END:VCALENDAR\r\n";
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = emptyFolder();
        state.ResumeTiming();
        const ExchangeResult result =
            importIcsBytes(DataFolder(folder->path()), input, QStringLiteral("bench.ics"), options());
        if (result.reminders.added != events)
            state.SkipWithError("the import did not add every event");
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(ImportOneDay)->Unit(benchmark::kMillisecond)->Arg(5000)->Arg(20000)->Iterations(1)->Repetitions(3);

// Reading and checking alone, without a file written: what the import costs before its writes.
void ReadCalendar(benchmark::State& state) {
    const QByteArray input = calendar(int(bench::scaled(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(readIcs(input, options()));
}
BENCHMARK(ReadCalendar)->Unit(benchmark::kMillisecond)->Arg(kBudgetEvents);

// The naive way: each day's text stored on its own, listing the folder again for every one. Its cost
// grows with the square of the calendar, so it runs on the smaller one only.
void ImportCalendar_Naive(benchmark::State& state) {
    const QByteArray input = calendar(int(bench::scaled(state.range(0))));
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

// Peak memory of the process, in MB, since resetPeakMemory (Linux: VmHWM, reset through clear_refs).
void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}
double peakMemoryMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}
// Imports `input` into an empty folder at each iteration, keeping the largest peak of memory in `peakMb`;
// `import` gives the result's count that must be 1.
void importMeasuringPeak(benchmark::State& state, const std::function<int(const DataFolder&)>& import,
                         double& peakMb) {
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = emptyFolder();
        resetPeakMemory();
        state.ResumeTiming();
        if (import(DataFolder(folder->path())) != 1)
            state.SkipWithError("the import did not add its one item");
        state.PauseTiming();
        peakMb = std::max(peakMb, peakMemoryMb());
        folder.reset();
        state.ResumeTiming();
    }
}

double shortLinesPeakMb = 0;

// A calendar of `state.range(0)` MB of short lines in one event, which nothing reads: what is never read
// must cost its size only, in time and memory.
void ImportShortLines(benchmark::State& state) {
    QByteArray input =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20300105\r\n"
        "SUMMARY:Corto\r\n";
    input += QByteArray("X:1\r\n").repeated(bench::scaled(state.range(0) * 1024 * 1024) / 5);
    input += "END:VEVENT\r\nEND:VCALENDAR\r\n";
    importMeasuringPeak(
        state,
        [&](const DataFolder& data) {
            return importIcsBytes(data, input, QStringLiteral("bench.ics"), options()).reminders.added;
        },
        shortLinesPeakMb);
}
BENCHMARK(ImportShortLines)->Unit(benchmark::kMillisecond)->Arg(4)->Arg(16)->Iterations(1)->Repetitions(5);

double smallEventsPeakMb = 0;

// A calendar of `state.range(0)` MB of small events, all on one day: libical is given it in parts.
void ImportSmallEvents(benchmark::State& state) {
    QByteArray input = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    const QByteArray event =
        "BEGIN:VEVENT\r\nUID:e\r\nDTSTART;VALUE=DATE:20300105\r\nSUMMARY:Corto\r\nEND:VEVENT\r\n";
    input += event.repeated(bench::scaled(state.range(0) * 1024 * 1024) / event.size());
    input += "END:VCALENDAR\r\n";
    importMeasuringPeak(
        state,
        [&](const DataFolder& data) {
            return importIcsBytes(data, input, QStringLiteral("bench.ics"), options()).reminders.added;
        },
        smallEventsPeakMb);
}
BENCHMARK(ImportSmallEvents)->Unit(benchmark::kMillisecond)->Arg(16)->Iterations(1)->Repetitions(5);

double shortCardLinesPeakMb = 0;

// One card followed by `state.range(0)` MB of short lines nothing keeps.
void ImportShortCardLines(benchmark::State& state) {
    QByteArray input = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Sanz;Ana;;;\r\n";
    input += QByteArray("X-A:1\r\n").repeated(bench::scaled(state.range(0) * 1024 * 1024) / 7);
    input += "END:VCARD\r\n";
    importMeasuringPeak(
        state,
        [&](const DataFolder& data) {
            return importVcfBytes(data, input, QStringLiteral("bench.vcf")).contacts.added;
        },
        shortCardLinesPeakMb);
}
BENCHMARK(ImportShortCardLines)->Unit(benchmark::kMillisecond)->Arg(16)->Iterations(1)->Repetitions(5);

// One event holding thousands of empty properties, which libical handles in time that grows with their
// square.
void ImportEmptyProperties(benchmark::State& state) {
    QByteArray input =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20300105\r\n"
        "SUMMARY:Vac\xC3\xADo\r\n";
    input += QByteArray("X:\r\nSUMMARY:\r\nCATEGORIES:\r\n").repeated(bench::scaled(state.range(0)) / 3);
    input += "END:VEVENT\r\nEND:VCALENDAR\r\n";
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = emptyFolder();
        state.ResumeTiming();
        const ExchangeResult result =
            importIcsBytes(DataFolder(folder->path()), input, QStringLiteral("bench.ics"), options());
        if (result.reminders.added != 1)
            state.SkipWithError("the import did not add its event");
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(ImportEmptyProperties)
    ->Unit(benchmark::kMillisecond)
    ->Arg(10000)
    ->Arg(40000)
    ->Iterations(1)
    ->Repetitions(5);

// Cards that all share one surname, each another person: placing one must not walk all the others.
void ImportSharedSurname(benchmark::State& state) {
    QByteArray input;
    const std::int64_t people = bench::scaled(state.range(0));
    for (int i = 0; i < people; ++i)
        input += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Garc\xC3\xAD"
                 "a;Nombre" +
                 QByteArray::number(i) + ";;;\r\nTEL:6" + QByteArray::number(10000000 + i) +
                 "\r\nEND:VCARD\r\n";
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = emptyFolder();
        state.ResumeTiming();
        const ExchangeResult result =
            importVcfBytes(DataFolder(folder->path()), input, QStringLiteral("bench.vcf"));
        if (result.exitCode() != 0 || result.contacts.added == 0)
            state.SkipWithError("the import failed");
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(ImportSharedSurname)
    ->Unit(benchmark::kMillisecond)
    ->Arg(5000)
    ->Arg(20000)
    ->Iterations(1)
    ->Repetitions(5);

void checkBudgets(bench::Budgets& budgets) {
    budgets.atMostWall("ImportCalendar/5000/iterations:1/repeats:5", 1000,
                       "import of a 5,000-event calendar");
    budgets.atMostWall("ImportCalendarAgain/5000/iterations:1/repeats:5", 500,
                       "second import of a 5,000-event calendar");
    budgets.atMostWall("ImportContacts/5000/iterations:1/repeats:5", 2000, "import of 5,000 contacts");
    budgets.atMostWall("ImportContactsAgain/5000/iterations:1/repeats:5", 500,
                       "second import of 5,000 contacts");
    budgets.atMostTimes("ImportOneDay/20000/iterations:1/repeats:3",
                        "ImportOneDay/5000/iterations:1/repeats:3", 5.0,
                        "20,000 events on one day against 5,000 (linear growth)");
    // An import takes at most about 2 s per MB, whatever the file holds, and grows linearly.
    budgets.atMostWall("ImportShortLines/16/iterations:1/repeats:5", 32000, "import of 16 MB of short lines");
    budgets.atMostTimes("ImportShortLines/16/iterations:1/repeats:5",
                        "ImportShortLines/4/iterations:1/repeats:5", 5.0,
                        "16 MB of short lines against 4 MB (linear growth)");
    budgets.judge("peak memory of an import of 16 MB of short lines",
                  std::to_string(int(shortLinesPeakMb)) + " MB (at most 400 MB)", shortLinesPeakMb <= 400);
    budgets.atMostWall("ImportSmallEvents/16/iterations:1/repeats:5", 32000,
                       "import of 16 MB of small events");
    budgets.judge("peak memory of an import of 16 MB of small events",
                  std::to_string(int(smallEventsPeakMb)) + " MB (at most 400 MB)", smallEventsPeakMb <= 400);
    budgets.atMostWall("ImportShortCardLines/16/iterations:1/repeats:5", 32000,
                       "import of a card followed by 16 MB of short lines");
    budgets.judge("peak memory of an import of a card followed by 16 MB of short lines",
                  std::to_string(int(shortCardLinesPeakMb)) + " MB (at most 400 MB)",
                  shortCardLinesPeakMb <= 400);
    budgets.atMostWall("ImportEmptyProperties/40000/iterations:1/repeats:5", 500,
                       "import of an event of 40,000 empty properties (0.2 MB)");
    budgets.atMostTimes("ImportEmptyProperties/40000/iterations:1/repeats:5",
                        "ImportEmptyProperties/10000/iterations:1/repeats:5", 5.0,
                        "40,000 empty properties against 10,000 (linear growth)");
    budgets.atMostWall("ImportSharedSurname/20000/iterations:1/repeats:5", 3200,
                       "import of 20,000 cards of one surname (1.6 MB)");
    budgets.atMostTimes("ImportSharedSurname/20000/iterations:1/repeats:5",
                        "ImportSharedSurname/5000/iterations:1/repeats:5", 8.0,
                        "20,000 cards of one surname against 5,000 (linear growth; a square would be 16x)");
    budgets.compareWall("ImportContacts/5000/iterations:1/repeats:5",
                        "CreateFiles/10000/iterations:1/repeats:5",
                        "import of 5,000 contacts against creating its 10,000 files");
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, checkBudgets, false);
}
