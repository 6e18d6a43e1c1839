// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/calendar/agendastate.h"
#include "agenda/core/syncsetup/syncschedule.h"

#include <QString>

#include <array>
#include <optional>

class QPushButton;
class QWidget;

namespace quindara {

// The main window's row of buttons along its top edge: the six page tabs, the calculator, the text pad,
// minimize, save and exit, search, import and export, and the state of server sync. The buttons are the
// window's own children, so they keep the window's coordinates; the window connects them to its handlers.
class ToolRow {
public:
    explicit ToolRow(QWidget* window);

    // Page tabs "D", "S", "M", "A", notes pad, address book.
    std::array<QPushButton*, kAgendaPageCount> Command6{};
    QPushButton* Command9 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command12 = nullptr;
    QPushButton* Command15 = nullptr;
    QPushButton* searchButton = nullptr;
    QPushButton* exchangeButton = nullptr;
    // The state of server sync (synced, syncing, offline, needs attention); opens the "Sincronizar" page.
    QPushButton* syncButton = nullptr;

    // Lifts the row to its final height, and lets Tab go along it from left to right.
    void arrange();
    // The colour the window takes while `page` is in front, the colour of its tab or button; none for
    // the search page, which keeps a colour of its own.
    std::optional<quint32> pageColour(AgendaPage page) const;
    // The indicator's drawing and tooltip for the sync state.
    void showSyncState(SyncState state, const QString& toolTip);
};

// The calculator program the tool row starts: the one installed with the agenda running from
// `runningFolder`, in its "tallimo" sub-folder (portable) or beside it (installed). Empty when neither is
// there.
QString calculatorToStart(const QString& runningFolder);

} // namespace quindara
