// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/searchpage.h"

#include "agenda/ui/controls.h"
#include "common/units.h"

#include <QAbstractListModel>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

namespace quindara {

namespace {

// Pale blue: the colour of the page and of its tool button.
constexpr quint32 kSearchPageColour = 0x00FFE8D0;
// Described rows kept for repainting; a scroll through thousands of rows reads each shown one once.
constexpr qsizetype kKeptRows = 512;

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

    searchLabel =
        makeLabel(this, QStringLiteral("searchLabel"), QRect(120, 270, 1215, 375), QStringLiteral("Buscar:"));
    searchLabel->setFont(arialFont(12, true));

    searchText = new QLineEdit(this);
    searchText->setObjectName(QStringLiteral("searchText"));
    searchText->setGeometry(common::twipsRect(1335, 240, 7440, 435));
    searchText->setFont(arialFont(12));
    searchText->setPlaceholderText(QStringLiteral("Escriba lo que busca"));
    searchText->setClearButtonEnabled(true);
    searchText->setAccessibleName(QStringLiteral("Texto a buscar"));
    nameClearButton(searchText);
    searchLabel->setBuddy(searchText);
    searchText->installEventFilter(this);

    searchCount = makeLabel(this, QStringLiteral("searchCount"), QRect(1335, 735, 7440, 315), QString());
    searchCount->setFont(arialFont(9.75));

    results_ = new SearchResultModel(index_, this);
    searchResults = new QListView(this);
    searchResults->setObjectName(QStringLiteral("searchResults"));
    searchResults->setGeometry(common::twipsRect(120, 1080, 8655, 7095));
    searchResults->setFont(arialFont(9.75));
    searchResults->setAccessibleName(QStringLiteral("Resultados de la búsqueda"));
    searchResults->setAccessibleDescription(QStringLiteral("Intro abre el resultado elegido"));
    searchResults->setUniformItemSizes(true);
    searchResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    searchResults->setModel(results_);
    searchResults->installEventFilter(this);
    setBackColour(searchResults, 0x00FFFFFF);

    connect(searchText, &QLineEdit::textChanged, this, &SearchPage::searchText_Change);
    connect(searchResults, &QListView::clicked, this, [this](const QModelIndex& row) { openRow(row.row()); });
}

void SearchPage::showQuery(int shownYear) {
    shownYear_ = shownYear;
    index_.refreshIfChanged();
    searchText_Change();
    searchText->setFocus(Qt::ShortcutFocusReason);
    searchText->selectAll();
}

void SearchPage::searchText_Change() {
    const QString typed = searchText->text();
    const qsizetype found = index_.find(typed.trimmed().isEmpty() ? QString() : typed, shownYear_);
    results_->reset();
    if (found > 0)
        searchResults->setCurrentIndex(results_->index(0));
    if (typed.trimmed().isEmpty())
        searchCount->clear();
    else if (found == 0)
        searchCount->setText(QStringLiteral("No se ha encontrado nada."));
    else if (found == 1)
        searchCount->setText(QStringLiteral("1 resultado."));
    else
        searchCount->setText(QStringLiteral("%1 resultados.").arg(found));
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
        if (enter && (watched == searchText || watched == searchResults)) {
            openRow(searchResults->currentIndex().row());
            return true;
        }
        if (watched == searchText && (key->key() == Qt::Key_Down || key->key() == Qt::Key_PageDown) &&
            results_->rowCount() > 0) {
            searchResults->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace quindara
