// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/clock.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace quindara {

// What the status indicator of the tool row shows.
enum class SyncState { Off, Synced, Syncing, Offline, NeedsAttention };

// How a run ended, as far as the schedule cares.
enum class SyncOutcome {
    Done,         // both sides agree
    Offline,      // no network or the server down: retried later, quietly
    Attention,    // some items failed, or the server is full: runs go on, the indicator says so
    WaitsForUser, // wrong password, a certificate to accept, a side that looks emptied: no runs until the
                  // user acts on the page
};

// When the agenda syncs on its own while it is open: at start, a few seconds after the last save, and
// every few minutes; never while a question about an outside change is open. Offline it retries with a
// growing pause. It only decides: the window asks due() when its timer fires and starts the run.
class SyncSchedule {
public:
    static constexpr int kAfterSaveSeconds = 5;
    static constexpr int kEverySeconds = 5 * 60;
    static constexpr int kFirstRetrySeconds = 30;
    static constexpr int kLongestRetrySeconds = 15 * 60;

    explicit SyncSchedule(const common::Clock& clock) : clock_(clock) {}

    // An account with its password is ready (a run is due at once), or none is.
    void setEnabled(bool enabled);
    bool enabled() const { return enabled_; }
    void saved();
    void setQuestionOpen(bool open) { questionOpen_ = open; }

    bool due() const;
    // When the next run falls due; none while the schedule waits for the user or is off.
    std::optional<QDateTime> nextRun() const;

    void runStarted();
    void runFinished(SyncOutcome outcome, const QString& attention = {});

    SyncState state() const;
    // One line for the indicator's tooltip and the page: "Sincronizado a las 10:05", "Sin conexión desde
    // 10:05", ...
    QString statusText() const;
    // When the last run ended, invalid before the first one.
    const QDateTime& lastRun() const { return lastRun_; }

private:
    const common::Clock& clock_;
    bool enabled_ = false;
    bool running_ = false;
    bool questionOpen_ = false;
    bool waitingForUser_ = false;
    QDateTime periodic_;     // the next run of the regular round, or at start
    QDateTime afterSave_;    // a few seconds after the last save, while one is waiting to go
    QDateTime offlineSince_; // the first run that found no server, until one finds it again
    QDateTime retry_;
    int retryPause_ = 0;
    QDateTime lastRun_;
    SyncOutcome lastOutcome_ = SyncOutcome::Done;
    QString attention_;
};

} // namespace quindara
