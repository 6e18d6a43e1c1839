// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/searchpage.h"

#include "agenda/ui/addressbookpage.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/notespadpage.h"
#include "common/units.h"

#include <QAbstractListModel>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShortcut>

namespace quindara {

namespace {

// Pale blue: the colour of the page and of its tool button.
constexpr quint32 kSearchPageColour = 0x00FFE8D0;
// Described rows kept for repainting; a scroll through thousands of rows reads each shown one once.
constexpr qsizetype kKeptRows = 512;

// Days open on their day page; what comes back every year opens in the year shown.
void openSearchHit(const SearchHit& hit, const AgendaPages& pages, int shownYear, AgendaPageHost& host) {
    switch (hit.kind) {
    case SearchKind::Contact:
        host.showPage(AgendaPage::AddressBook);
        pages.addressBook->showContact(hit.category, hit.fileName);
        return;
    case SearchKind::PadNote:
        host.showPage(AgendaPage::NotesPad);
        pages.notesPad->openNote(hit.fileName);
        return;
    case SearchKind::Holiday:
    case SearchKind::YearlyReminder:
    case SearchKind::Saint:
    case SearchKind::OneYearReminder:
    case SearchKind::DayNote:
        break;
    }
    if (const std::optional<QDate> day = dayOfHit(hit, shownYear))
        host.openDay(*day);
}

} // namespace

// The rows of the last query: every result, each read from its file when the list first shows it.
class SearchResultModel : public QAbstractListModel {
public:
    explicit SearchResultModel(SearchIndex& index, QObject* parent)
        : QAbstractListModel(parent), index_(index) {}

    // The index ran a new query.
    void reset() {
        beginResetModel();
        shown_.clear();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(index_.matchCount());
    }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
            return {};
        const auto kept = shown_.constFind(index.row());
        if (kept != shown_.constEnd())
            return *kept;
        if (shown_.size() >= kKeptRows)
            shown_.clear();
        const QString line = index_.hitAt(index.row()).display;
        shown_.insert(index.row(), line);
        return line;
    }

private:
    SearchIndex& index_;
    mutable QHash<int, QString> shown_;
};

SearchPage::SearchPage(const DataFolder& data, QWidget* parent) : QFrame(parent), index_(data) {
    setObjectName(QStringLiteral("searchPage"));
    resize(common::twipsSize(8895, 8295));
    setBackColour(this, kSearchPageColour);

    searchLabel_ =
        makeLabel(this, QStringLiteral("searchLabel"), QRect(120, 270, 1215, 375), QStringLiteral("Buscar:"));
    searchLabel_->setFont(arialFont(12, true));

    searchText_ = new QLineEdit(this);
    searchText_->setObjectName(QStringLiteral("searchText"));
    searchText_->setGeometry(common::twipsRect(1335, 240, 7440, 435));
    searchText_->setFont(arialFont(12));
    searchText_->setPlaceholderText(QStringLiteral("Escriba lo que busca"));
    searchText_->setClearButtonEnabled(true);
    searchText_->setAccessibleName(QStringLiteral("Texto a buscar"));
    nameClearButton(searchText_);
    searchLabel_->setBuddy(searchText_);
    searchText_->installEventFilter(this);

    searchCount_ = makeLabel(this, QStringLiteral("searchCount"), QRect(1335, 735, 7440, 315), QString());
    searchCount_->setFont(arialFont(9.75));

    results_ = new SearchResultModel(index_, this);
    searchResults_ = new QListView(this);
    searchResults_->setObjectName(QStringLiteral("searchResults"));
    searchResults_->setGeometry(common::twipsRect(120, 1080, 8655, 7095));
    searchResults_->setFont(arialFont(9.75));
    searchResults_->setAccessibleName(QStringLiteral("Resultados de la búsqueda"));
    searchResults_->setAccessibleDescription(QStringLiteral("Intro abre el resultado elegido"));
    searchResults_->setUniformItemSizes(true);
    searchResults_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    searchResults_->setModel(results_);
    searchResults_->installEventFilter(this);
    setBackColour(searchResults_, 0x00FFFFFF);

    connect(searchText_, &QLineEdit::textChanged, this, &SearchPage::searchText_Change);
    connect(searchResults_, &QListView::clicked, this,
            [this](const QModelIndex& row) { openRow(row.row()); });
}

void SearchPage::showQuery(int shownYear) {
    shownYear_ = shownYear;
    index_.refreshIfChanged();
    searchText_Change();
    searchText_->setFocus(Qt::ShortcutFocusReason);
    searchText_->selectAll();
}

void SearchPage::searchText_Change() {
    const QString typed = searchText_->text();
    const qsizetype found = index_.find(typed.trimmed().isEmpty() ? QString() : typed, shownYear_);
    results_->reset();
    if (found > 0)
        searchResults_->setCurrentIndex(results_->index(0));
    if (typed.trimmed().isEmpty())
        searchCount_->clear();
    else if (found == 0)
        searchCount_->setText(QStringLiteral("No se ha encontrado nada."));
    else if (found == 1)
        searchCount_->setText(QStringLiteral("1 resultado."));
    else
        searchCount_->setText(QStringLiteral("%1 resultados.").arg(found));
}

void SearchPage::openRow(int row) {
    if (row < 0 || row >= index_.matchCount())
        return;
    // A copy: opening may run the query again and replace the list.
    const SearchHit hit = index_.hitAt(row);
    emit hitOpened(hit);
}

// Enter opens the chosen result (the first one from the box); the arrows go from the box to the list.
bool SearchPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (watched == searchText_ || watched == searchResults_)) {
            openRow(searchResults_->currentIndex().row());
            return true;
        }
        if (watched == searchText_ && (key->key() == Qt::Key_Down || key->key() == Qt::Key_PageDown) &&
            results_->rowCount() > 0) {
            searchResults_->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void connectSearchPage(const AgendaPages& pages, QPushButton& button, const AgendaState& state,
                       AgendaPageHost& host, QWidget& window) {
    setBackColour(&button, backColour(pages.search));
    const auto openPage = [&host] { host.openPage(AgendaPage::Search); };
    QObject::connect(&button, &QPushButton::clicked, pages.search, openPage);
    QObject::connect(new QShortcut(QKeySequence::Find, &window), &QShortcut::activated, pages.search,
                     openPage);
    QObject::connect(
        pages.search, &SearchPage::hitOpened, pages.search,
        [pages, &state, &host](const SearchHit& hit) { openSearchHit(hit, pages, state.year(), host); });
}

} // namespace quindara
