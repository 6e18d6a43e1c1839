// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/core/sync/davsync.h"
#include "agenda/core/syncsetup/passwordstore.h"
#include "agenda/core/syncsetup/syncschedule.h"
#include "common/clock.h"

#include <QObject>

#include <optional>

class QTimer;

namespace quindara {

// Syncs the agenda with its server account while the window is open: at start, after saves and every few
// minutes as the schedule says, with the password from the keyring. The tool row's indicator and the
// "Sincronizar" page show its state; the page runs it by hand.
class AutoSync : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AutoSync)

public:
    AutoSync(const DataFolder& data, const common::Clock& clock, QObject* parent = nullptr);

    // Reads the folder's account and its password, and plans the first run.
    void start();
    const SyncSchedule& schedule() const { return schedule_; }
    PasswordStore& passwords() { return passwords_; }
    const std::optional<SyncAccount>& account() const { return account_; }
    QString password();
    // Stores the account in the data folder and its password in the keyring; runs follow on their own.
    common::Status setAccount(const SyncAccount& account, const QString& password);
    // Forgets the account, its status record and its password; no data changes on either side.
    common::Status removeAccount();

    // A day or contact was saved in the window: a run follows a few seconds after the last save.
    void saved();
    // Starts a run when one is due; the timer calls it, and tests do after moving the clock on.
    void tick();
    // One run now; `options` carries the page's progress and cancel.
    SyncResult runNow(SyncOptions options = {});
    // A run a command line handed over, of `account` with the password it gave (none: the keyring's when
    // it is the window's account). The caller makes sure no other run is going.
    SyncResult runHanded(const SyncAccount& account, const QString& password, SyncOptions options);
    bool running() const { return running_; }
    // No automatic run starts while held (the page makes the account's collections, waiting for the server
    // in an event loop); the release plans the next one.
    void holdRuns() {
        ++held_;
        planTick();
    }
    void releaseRuns() {
        --held_;
        planTick();
    }
    void cancel() { cancelRequested_ = true; }
    const std::optional<SyncResult>& lastResult() const { return lastResult_; }
    // The state for the indicator and the page: an account without its password needs attention.
    SyncState state() const;
    QString statusText() const;
    // The indicator's tooltip: the state and when the last run was.
    QString toolTip() const;

signals:
    void stateChanged();
    // A run brought changes into the agenda: the grid and the pages show them.
    void agendaChanged();
    // A run ended, by hand or on its own.
    void runFinished();

private:
    void planTick();
    // `own`: the window's account, whose schedule and last result the run updates; its password comes from
    // the keyring when none is `given`.
    SyncResult run(const SyncAccount& account, const QString& given, SyncOptions options, bool own);

    DataFolder data_;
    const common::Clock& clock_;
    SyncSchedule schedule_;
    PasswordStore passwords_;
    QTimer* timer_;
    std::optional<SyncAccount> account_;
    std::optional<SyncResult> lastResult_;
    bool running_ = false;
    int held_ = 0;
    bool cancelRequested_ = false;
    bool passwordMissing_ = false;
};

} // namespace quindara
