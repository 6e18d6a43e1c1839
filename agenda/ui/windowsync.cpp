// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/windowsync.h"

#include "agenda/core/syncsetup/synccommand.h"
#include "agenda/ui/addressbookpage.h"
#include "agenda/ui/agendawatch.h"
#include "agenda/ui/autosync.h"
#include "agenda/ui/daypage.h"
#include "agenda/ui/outsidechangeprompt.h"
#include "agenda/ui/syncpage.h"
#include "agenda/ui/toolrow.h"
#include "agenda/ui/weekpage.h"

#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace quindara {

WindowSync::WindowSync(const DataFolder& data, const common::Clock& clock, common::DesktopServices& desktop,
                       ToolRow& toolRow, QWidget& window)
    : QObject(&window), programFolder_(data.programFolder()), toolRow_(toolRow), window_(window),
      sync_(new AutoSync(data, clock, this)), page_(new SyncPage(data, *sync_, desktop, &window)) {
    page_->hide();
}

bool WindowSync::running() const {
    return sync_->running();
}

void WindowSync::connectWindow(const AgendaPages& pages, AgendaWatch& watch, AgendaPageHost& host) {
    const auto openPage = [&host] { host.openPage(AgendaPage::Sync); };
    connect(toolRow_.syncButton, &QPushButton::clicked, this, openPage);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &window_), &QShortcut::activated,
            this, openPage);
    connect(sync_, &AutoSync::stateChanged, this, &WindowSync::showState);
    // What the server brought shows at once, as an outside change does; a box being typed in keeps its text.
    connect(sync_, &AutoSync::agendaChanged, &watch, &AgendaWatch::showServerChanges);
    // A save reaches the server a few seconds after the last one.
    connect(pages.day, &DayPage::noteSaved, sync_, &AutoSync::saved);
    connect(pages.week, &WeekPage::noteSaved, sync_, &AutoSync::saved);
    connect(pages.day, &DayPage::dayTextStored, sync_, &AutoSync::saved);
    connect(pages.addressBook, &AddressBookPage::contactChanged, sync_, &AutoSync::saved);
}

void WindowSync::start() {
    showState();
    QTimer::singleShot(0, sync_, &AutoSync::start);
}

void WindowSync::showState() {
    toolRow_.showSyncState(sync_->state(), sync_->toolTip());
}

common::WriterJobResult WindowSync::runHandedJob(const common::WriterJob& job) {
    // As an automatic run does, a sync waits for the answer to a question about an outside change.
    if (outsideQuestionOpen())
        return {0, QString(), true};
    const common::WriterJobResult result = runHandedSync(
        programFolder_, job,
        [this](const SyncAccount& account, const QString& password, const SyncOptions& options) {
            return sync_->runHanded(account, password, options);
        });
    // An account set up on the command line becomes the window's when it had none.
    if (!sync_->account())
        sync_->start();
    return result;
}

bool WindowSync::closeAfterRun() {
    if (!sync_->running())
        return false;
    sync_->cancel();
    connect(sync_, &AutoSync::runFinished, &window_, &QWidget::close, Qt::QueuedConnection);
    return true;
}

} // namespace quindara
