// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/ui/agendapages.h"
#include "common/clock.h"
#include "common/desktopservices.h"
#include "common/instancelock.h"

#include <QObject>

class QWidget;

namespace quindara {

class AgendaWatch;
class AutoSync;
class SyncPage;
class ToolRow;

// Server sync in the agenda window: the automatic runs (AutoSync) and the "Sincronizar" page, which the
// tool row's indicator and Ctrl+Shift+S bring to the front. The indicator shows the state of the runs, the
// saves of the pages call for one, and what a run brings is shown as an outside change is.
class WindowSync : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowSync)

public:
    // The automatic runs, and the page as a hidden child of `window`; `toolRow` holds the indicator.
    WindowSync(const DataFolder& data, const common::Clock& clock, common::DesktopServices& desktop,
               ToolRow& toolRow, QWidget& window);

    SyncPage* page() const { return page_; }
    bool running() const;
    // Connects the indicator and the shortcut (which open the page through `host`), the saves of `pages`
    // and what a run brings to `watch`.
    void connectWindow(const AgendaPages& pages, AgendaWatch& watch, AgendaPageHost& host);
    // Shows the state, and reads the account and its password once the window is up, so the start does not
    // wait for the keyring.
    void start();
    // Runs a sync or an account set-up typed on the command line, unless a question about an outside
    // change waits for its answer (as an automatic run does).
    common::WriterJobResult runHandedJob(const common::WriterJob& job);
    // The window is closing: a run still going stops at its next safe point, and the window closes when it
    // has. True when the window must wait for that.
    bool closeAfterRun();

private:
    void showState();

    QString programFolder_;
    ToolRow& toolRow_;
    QWidget& window_;
    AutoSync* sync_ = nullptr;
    SyncPage* page_ = nullptr;
};

} // namespace quindara
