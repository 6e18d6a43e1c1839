// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daykeys.h"
#include "agenda/core/search/searchindex.h"
#include "agenda/core/search/searchtext.h"
#include "benchdata.h"
#include "common/textfile.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QRandomGenerator>
#include <algorithm>
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <map>

namespace {

using namespace quindara;

const int kNotes = int(bench::scaled(7300)); // twenty years of days
const int kContacts = int(bench::scaled(5000));
const int kPadNotes = int(bench::scaled(2000));
constexpr int kNoteBytes = 300;
constexpr double kWarmBudgetMs = 15;
constexpr double kColdBudgetMs = 400;
constexpr double kMemoryBudget = 2.0;
// The year the grid shows, and the rows the result list shows at once.
constexpr int kShownYear = 2011;
constexpr int kVisibleRows = 30;

const QStringList& words() {
    static const QStringList list = {
        "reunión", "con",        "José",   "María",    "mañana",  "llamar",  "médico",   "comprar",
        "pan",     "cumpleaños", "año",    "nuevo",    "oficina", "viaje",   "Sevilla",  "pingüino",
        "acción",  "tarde",      "noche",  "cena",     "familia", "trabajo", "coche",    "taller",
        "banco",   "pagar",      "recibo", "café",     "Ángel",   "Begoña",  "escribir", "carta",
        "jardín",  "lluvia",     "fútbol", "partido",  "colegio", "niños",   "dentista", "farmacia",
        "libro",   "película",   "música", "guitarra", "clase"};
    return list;
}

QString prose(QRandomGenerator& random, int bytes) {
    QString text;
    while (text.size() < bytes) {
        QString word = words().at(random.bounded(int(words().size())));
        // Besides the common words, rarer ones that only a few documents hold.
        if (random.bounded(8) == 0)
            word += QString::number(random.bounded(1000));
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return text;
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Twenty years of day notes, 5,000 contacts in ten categories with their copies in "Todos", 2,000 pad
// notes, and a year of holidays and saints.
const DataFolder& data() {
    static const DataFolder folder = [] {
        const DataFolder made(bench::scratch().filePath(QStringLiteral("search")));
        if (!made.createMissingFolders())
            qFatal("cannot create the benchmark's data folders");
        QRandomGenerator random(15);
        QDate day(2006, 1, 1);
        for (int i = 0; i < kNotes; ++i, day = day.addDays(1))
            write(made.dayNoteFile(dayNoteKey(day)),
                  common::encodeText(prose(random, kNoteBytes), common::Ending::Zoned));
        for (QDate d(2012, 1, 1); d.year() == 2012; d = d.addDays(1)) {
            write(made.saintsFile(annualKey(d)), common::encodeText(prose(random, 60), common::Ending::Line));
            if (d.dayOfYear() % 10 == 0)
                write(made.holidayFile(annualKey(d)),
                      common::encodeText(prose(random, 30), common::Ending::Line));
        }
        for (int i = 0; i < kContacts; ++i) {
            const QString category = QStringLiteral("Grupo %1").arg(i % 10);
            QDir().mkpath(made.categoryFolder(category));
            const QString surname = QStringLiteral("%1 %2").arg(words().at(i % words().size())).arg(i);
            const QStringList fields = {surname,
                                        words().at((i / 7) % words().size()),
                                        prose(random, 30),
                                        QStringLiteral("Madrid"),
                                        QStringLiteral("600 %1").arg(i),
                                        QStringLiteral("c%1@example.com").arg(i),
                                        prose(random, 40)};
            QByteArray card;
            for (const QString& field : fields)
                card += field.toUtf8() + "\r\n";
            write(made.contactFile(category, surname), card);
            write(made.contactFile(folders::allContacts, surname), card);
        }
        QDateTime moment(QDate(2015, 1, 1), QTime(8, 0));
        for (int i = 0; i < kPadNotes; ++i, moment = moment.addSecs(3 * 3600 + 60))
            write(made.noteFile(QStringLiteral("%1-%2-%3--%4-%5")
                                    .arg(moment.date().year())
                                    .arg(moment.date().month())
                                    .arg(moment.date().day())
                                    .arg(moment.time().hour())
                                    .arg(moment.time().minute())),
                  common::encodeText(prose(random, kNoteBytes), common::Ending::Zoned));
        return made;
    }();
    return folder;
}

// A query as the search page runs it: every result found and ordered, the rows in sight described.
qsizetype searchAsShown(SearchIndex& index, const QString& typed) {
    const qsizetype found = index.find(typed, kShownYear);
    for (qsizetype row = 0; row < std::min<qsizetype>(found, kVisibleRows); ++row)
        benchmark::DoNotOptimize(index.hitAt(row));
    return found;
}

// What the user types, one keystroke at a time: every prefix of each query, each query a new start.
const QStringList& keystrokes() {
    static const QStringList list = [] {
        QStringList typed;
        for (const QString& query : {QStringLiteral("reunion con maria"), QStringLiteral("pinguino"),
                                     QStringLiteral("\"cafe con\" 12")})
            for (int length = 1; length <= query.size(); ++length)
                typed.append(query.left(length));
        return typed;
    }();
    return list;
}

// The way to avoid: list every folder, read and scan every file for each query.
qsizetype naiveSearch(const DataFolder& folder, const QString& typed) {
    const SearchQuery query = parseSearchQuery(typed);
    qsizetype found = 0;
    QDirIterator it(folder.programFolder(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains(QLatin1String("/Todos/")))
            continue;
        const auto bytes = common::readBytes(path);
        if (bytes && textMatches(common::decodeText(*bytes), query))
            ++found;
    }
    return found;
}

// One keystroke after the other, the index warm, the shown results described (read from their files).
void SearchTypedCharacter(benchmark::State& state) {
    SearchIndex index(data());
    index.find(QStringLiteral("x"), kShownYear);
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(searchAsShown(index, keystrokes().at(i++ % keystrokes().size())));
}
BENCHMARK(SearchTypedCharacter)->Unit(benchmark::kMillisecond);

// The dearest keystroke: a first letter found in nearly every document, nothing to narrow.
void SearchFirstLetter(benchmark::State& state) {
    SearchIndex index(data());
    index.find(QStringLiteral("x"), kShownYear);
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(searchAsShown(index, i++ % 2 ? QStringLiteral("a") : QStringLiteral("e")));
}
BENCHMARK(SearchFirstLetter)->Unit(benchmark::kMillisecond);

void SearchTypedCharacter_Naive(benchmark::State& state) {
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(naiveSearch(data(), keystrokes().at(i++ % keystrokes().size())));
}
BENCHMARK(SearchTypedCharacter_Naive)->Unit(benchmark::kMillisecond);

// The first query after start: every folder listed and every file read.
void SearchFirstQuery(benchmark::State& state) {
    for (auto _ : state) {
        SearchIndex index(data());
        benchmark::DoNotOptimize(searchAsShown(index, QStringLiteral("reunion")));
    }
}
BENCHMARK(SearchFirstQuery)->Unit(benchmark::kMillisecond);

void SearchFirstQuery_Naive(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(naiveSearch(data(), QStringLiteral("reunion")));
}
BENCHMARK(SearchFirstQuery_Naive)->Unit(benchmark::kMillisecond);

// The index's heap against the text it holds, measured outside the timed runs.
void checkMemory(bench::Budgets& budgets) {
    const std::size_t before = mallinfo2().uordblks;
    auto* index = new SearchIndex(data());
    index->find(QStringLiteral("x"), kShownYear);
    const double heap = double(mallinfo2().uordblks - before);
    const double text = double(index->textBytes());
    const qsizetype documents = index->documentCount();
    delete index;
    const std::string figures =
        QStringLiteral("%1 MB on the heap for %2 MB of text in %3 documents, %4x, budget <= %5x")
            .arg(heap / 1e6, 0, 'f', 2)
            .arg(text / 1e6, 0, 'f', 2)
            .arg(documents)
            .arg(heap / text, 0, 'f', 2)
            .arg(kMemoryBudget)
            .toStdString();
    budgets.judge("search index memory", figures, heap <= kMemoryBudget * text);
}

void checkBudgets(bench::Budgets& budgets) {
    budgets.atMost("SearchTypedCharacter", kWarmBudgetMs, "search, a typed character");
    budgets.atMost("SearchFirstLetter", kWarmBudgetMs, "search, a first letter (the dearest keystroke)");
    budgets.atMost("SearchFirstQuery", kColdBudgetMs, "search, the first query after start");
    checkMemory(budgets);
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, checkBudgets, false);
}
