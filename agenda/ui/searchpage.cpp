#include "agenda/ui/searchpage.h"

#include "agenda/ui/controls.h"
#include "common/units.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace quindara {

namespace {

// Pale blue: the colour of the page and of its tool button.
constexpr quint32 kSearchPageColour = 0x00FFE8D0;

} // namespace

SearchPage::SearchPage(const DataFolder& data, QWidget* parent) : QFrame(parent), index_(data) {
    setObjectName(QStringLiteral("searchPage"));
    resize(common::twipsSize(8895, 8295));
    setBackColor(this, kSearchPageColour);

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
    searchLabel->setBuddy(searchText);
    searchText->installEventFilter(this);

    searchCount = makeLabel(this, QStringLiteral("searchCount"), QRect(1335, 735, 7440, 315), QString());
    searchCount->setFont(arialFont(9.75));

    searchResults = new QListWidget(this);
    searchResults->setObjectName(QStringLiteral("searchResults"));
    searchResults->setGeometry(common::twipsRect(120, 1080, 8655, 7095));
    searchResults->setFont(arialFont(9.75));
    searchResults->setAccessibleName(QStringLiteral("Resultados"));
    searchResults->setUniformItemSizes(true);
    searchResults->installEventFilter(this);
    setBackColor(searchResults, 0x00FFFFFF);

    connect(searchText, &QLineEdit::textChanged, this, &SearchPage::searchText_Change);
    connect(searchResults, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { openRow(searchResults->row(item)); });
}

void SearchPage::showQuery() {
    index_.refreshIfChanged();
    searchText_Change();
    searchText->setFocus(Qt::ShortcutFocusReason);
    searchText->selectAll();
}

void SearchPage::searchText_Change() {
    const QString typed = searchText->text();
    hits_ = typed.trimmed().isEmpty() ? QList<SearchHit>() : index_.search(typed);
    searchResults->clear();
    for (const SearchHit& hit : hits_)
        searchResults->addItem(hit.display);
    if (!hits_.isEmpty())
        searchResults->setCurrentRow(0);
    const qsizetype found = typed.trimmed().isEmpty() ? 0 : index_.matchCount();
    if (typed.trimmed().isEmpty())
        searchCount->clear();
    else if (found == 0)
        searchCount->setText(QStringLiteral("No se ha encontrado nada."));
    else if (found == 1)
        searchCount->setText(QStringLiteral("1 resultado."));
    else if (found > hits_.size())
        searchCount->setText(
            QStringLiteral("%1 resultados; se muestran los %2 más recientes.").arg(found).arg(hits_.size()));
    else
        searchCount->setText(QStringLiteral("%1 resultados.").arg(found));
}

void SearchPage::openRow(int row) {
    if (row < 0 || row >= hits_.size())
        return;
    // A copy: opening may run the query again and replace the list.
    const SearchHit hit = hits_.at(row);
    emit hitOpened(hit);
}

// Enter opens the chosen result (the first one from the box); the arrows go from the box to the list.
bool SearchPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (watched == searchText || watched == searchResults)) {
            openRow(searchResults->currentRow());
            return true;
        }
        if (watched == searchText && (key->key() == Qt::Key_Down || key->key() == Qt::Key_PageDown) &&
            searchResults->count() > 0) {
            searchResults->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace quindara
