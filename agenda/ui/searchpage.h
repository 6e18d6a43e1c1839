// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/core/search/searchindex.h"
#include "agenda/ui/agendapages.h"

#include <QFrame>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace quindara {

class SearchResultModel;

// The "Buscar" page of the main window: a query box and every result, newest first, found as the user
// types; a result's line is read from its file only when the list shows it. Enter in the box or on a
// result, or a click on one, hands the result to the window to open.
class SearchPage : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchPage)

public:
    explicit SearchPage(const DataFolder& data, QWidget* parent = nullptr);

    // Coming to the front: what changed on disk since the last look is read again, the query runs again
    // (what comes back every year placed at its day of `shownYear`) and the box takes the focus with its
    // text chosen, ready for a new query.
    void showQuery(int shownYear);
    // The program saved or removed a file: the index learns it without listing its folder again.
    void fileWritten(const QString& path) { index_.fileWritten(path); }
    void fileRemoved(const QString& path) { index_.fileRemoved(path); }

signals:
    void hitOpened(const quindara::SearchHit& hit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void searchText_Change();
    void openRow(int row);

    SearchIndex index_;
    int shownYear_ = 0;
    SearchResultModel* results_ = nullptr;
    QLabel* searchLabel_ = nullptr;
    QLineEdit* searchText_ = nullptr;
    // How many matched.
    QLabel* searchCount_ = nullptr;
    QListView* searchResults_ = nullptr;
};

// Puts the search page into the agenda window: its tool button (in the page's colour) and Ctrl+F bring it to
// the front, and a result opens where it lives: a contact in the address book, a note of the notes pad on
// that page, anything else on its day (what comes back every year in the year `state` shows).
void connectSearchPage(const AgendaPages& pages, QPushButton& button, const AgendaState& state,
                       AgendaPageHost& host, QWidget& window);

} // namespace quindara
