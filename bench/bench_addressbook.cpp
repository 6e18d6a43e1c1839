// SPDX-License-Identifier: GPL-3.0-or-later
// The address book at 20,000 contacts in each of two categories: a search keystroke and opening a category
// on the real page (shown, painted), beside the naive way of folding every name and refilling a
// QListWidget.
#include "agenda/core/contacts/contactlist.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/ui/addressbookpage.h"
#include "benchdata.h"
#include "common/clock.h"
#include "common/folderindex.h"
#include "tests/support/recordingdesktopservices.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHash>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <benchmark/benchmark.h>

namespace {

constexpr int kContacts = 20000;
const QString kAll = QStringLiteral("Todos");
const QString kFamily = QStringLiteral("Familia");

// Surnames as people file them: a few common first surnames, accents, a second surname and a number
// that keeps each name its own.
QString contactName(int i) {
    static const QStringList first = {
        QStringLiteral("García"),    QStringLiteral("González"),  QStringLiteral("Rodríguez"),
        QStringLiteral("Fernández"), QStringLiteral("López"),     QStringLiteral("Martínez"),
        QStringLiteral("Sánchez"),   QStringLiteral("Pérez"),     QStringLiteral("Gómez"),
        QStringLiteral("Martín"),    QStringLiteral("Jiménez"),   QStringLiteral("Ruiz"),
        QStringLiteral("Hernández"), QStringLiteral("Díaz"),      QStringLiteral("Moreno"),
        QStringLiteral("Álvarez"),   QStringLiteral("Muñoz"),     QStringLiteral("Romero"),
        QStringLiteral("Alonso"),    QStringLiteral("Gutiérrez"), QStringLiteral("Navarro"),
        QStringLiteral("Torres"),    QStringLiteral("Domínguez"), QStringLiteral("Vázquez"),
        QStringLiteral("Ramos"),     QStringLiteral("Gil"),       QStringLiteral("Ramírez"),
        QStringLiteral("Serrano"),   QStringLiteral("Blanco"),    QStringLiteral("Suárez"),
        QStringLiteral("Molina"),    QStringLiteral("Morales"),   QStringLiteral("Ortega"),
        QStringLiteral("Delgado"),   QStringLiteral("Castro"),    QStringLiteral("Ortiz"),
        QStringLiteral("Rubio"),     QStringLiteral("Marín"),     QStringLiteral("Sanz"),
        QStringLiteral("Núñez")};
    const qsizetype n = first.size();
    return QStringLiteral("%1 %2 %3").arg(first.at(i % n), first.at((i / n) % n)).arg(i);
}

// A program folder with two categories of 20,000 contacts each.
const quindara::DataFolder& data() {
    static const quindara::DataFolder folder = [] {
        const quindara::DataFolder made(bench::scratch().filePath(QStringLiteral("addressbook")));
        const QString root = made.folder(quindara::folders::addressBook);
        for (const QString& category : {kAll, kFamily})
            bench::fillFolder(QDir(root).filePath(category), int(bench::scaled(kContacts)), contactName);
        return made;
    }();
    return folder;
}

QString categoryFolder(const QString& category) {
    return QDir(data().folder(quindara::folders::addressBook)).filePath(category);
}

struct ShownPage {
    common::RecordingDesktopServices desktop;
    const common::FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(10, 0))};
    quindara::AddressBookPage page{data(), desktop, clock};
    QComboBox* combo3 = page.findChild<QComboBox*>(QStringLiteral("Combo3"));
    QLineEdit* text8 = page.findChild<QLineEdit*>(QStringLiteral("Text8"));
    QAbstractItemView* file2 = page.findChild<QAbstractItemView*>(QStringLiteral("File2"));

    ShownPage() {
        page.loadCategories();
        page.show();
        QCoreApplication::processEvents();
    }
    void chooseCategory(const QString& category) {
        const int index = combo3->findText(category);
        combo3->setCurrentIndex(index);
        emit combo3->activated(index);
    }
    // The contacts the list shows after the last iteration, none being an error.
    void report(benchmark::State& state) const {
        const int shown = file2->model()->rowCount();
        if (shown == 0)
            state.SkipWithError("the list shows no contact");
        state.counters["shown"] = double(shown);
    }
};

// Typing a letter into the search box and taking it back, with the list and the box painted.
void SearchKeystroke(benchmark::State& state) {
    ShownPage shown;
    shown.chooseCategory(kAll);
    const QString typed[2] = {QStringLiteral("Ga"), QStringLiteral("G")};
    int turn = 0;
    const bench::PaintCounter counter;
    for (auto _ : state) {
        shown.text8->setText(typed[turn++ % 2]);
        bench::repaintShownWindows();
    }
    counter.report(state);
    shown.report(state);
}
BENCHMARK(SearchKeystroke)->Unit(benchmark::kMillisecond);

// The same keystrokes the naive way: every name folded and tested, the whole list widget refilled.
void SearchKeystroke_Naive(benchmark::State& state) {
    QWidget window;
    auto* list = new QListWidget(&window);
    list->setGeometry(0, 0, 185, 381);
    window.show();
    QStringList names = QDir(categoryFolder(kAll)).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    const QString typed[2] = {QStringLiteral("Ga"), QStringLiteral("G")};
    int turn = 0;
    for (auto _ : state) {
        const QString prefix = common::FolderIndex::foldName(typed[turn++ % 2]);
        QStringList found;
        for (const QString& name : std::as_const(names)) {
            if (common::FolderIndex::foldName(name).startsWith(prefix))
                found.append(name);
        }
        list->clear();
        list->addItems(found);
        bench::repaintShownWindows();
    }
}
BENCHMARK(SearchKeystroke_Naive)->Unit(benchmark::kMillisecond);

// Picking the other category from Combo3: its folder listed and indexed, the whole page painted.
void OpenCategory(benchmark::State& state) {
    ShownPage shown;
    const QString categories[2] = {kAll, kFamily};
    int turn = 0;
    const bench::PaintCounter counter;
    for (auto _ : state) {
        shown.chooseCategory(categories[turn++ % 2]);
        bench::repaintShownWindows();
    }
    counter.report(state);
    shown.report(state);
}
BENCHMARK(OpenCategory)->Unit(benchmark::kMillisecond);

// The naive way: a sorted listing with file information for every name, every name folded into a
// lookup table, the whole list widget refilled and painted.
void OpenCategory_Naive(benchmark::State& state) {
    QWidget window;
    auto* list = new QListWidget(&window);
    list->setGeometry(0, 0, 185, 381);
    window.show();
    const QString categories[2] = {kAll, kFamily};
    int turn = 0;
    for (auto _ : state) {
        const QStringList names = QDir(categoryFolder(categories[turn++ % 2]))
                                      .entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
        QHash<QString, QString> byFolded;
        for (const QString& name : names)
            byFolded.insert(common::FolderIndex::foldName(name), name);
        benchmark::DoNotOptimize(byFolded);
        list->clear();
        list->addItems(names);
        bench::repaintShownWindows();
    }
}
BENCHMARK(OpenCategory_Naive)->Unit(benchmark::kMillisecond);

// The parts of opening a category: reading the names from the folder, then folding and sorting them.
void ListCategoryNames(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(quindara::fileNamesIn(categoryFolder(kAll)));
}
BENCHMARK(ListCategoryNames)->Unit(benchmark::kMillisecond);

void IndexCategoryNames(benchmark::State& state) {
    const QStringList names = quindara::fileNamesIn(categoryFolder(kAll));
    quindara::ContactNameIndex index;
    for (auto _ : state) {
        index.setNames(names);
        benchmark::DoNotOptimize(index.size());
    }
}
BENCHMARK(IndexCategoryNames)->Unit(benchmark::kMillisecond);

void checkBudgets(bench::Budgets& budgets) {
    budgets.atMost("SearchKeystroke", 2.0, "address-book search keystroke with painting, 20,000 contacts");
    budgets.atMost("OpenCategory", 20.0, "address-book category opened with painting, 20,000 contacts");
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, checkBudgets);
}
