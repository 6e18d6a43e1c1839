// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/syncsetup/syncschedule.h"

#include <algorithm>

namespace quindara {

namespace {

QString hourOf(const QDateTime& moment) {
    return moment.toString(QStringLiteral("HH:mm"));
}

} // namespace

void SyncSchedule::setEnabled(bool enabled) {
    enabled_ = enabled;
    waitingForUser_ = false;
    afterSave_ = {};
    offlineSince_ = {};
    retry_ = {};
    retryPause_ = 0;
    periodic_ = clock_.now();
}

void SyncSchedule::saved() {
    afterSave_ = clock_.now().addSecs(kAfterSaveSeconds);
}

std::optional<QDateTime> SyncSchedule::nextRun() const {
    if (!enabled_ || waitingForUser_)
        return std::nullopt;
    // Offline, a save does not hurry the retry: the server is not there for it either.
    if (offlineSince_.isValid())
        return retry_;
    if (afterSave_.isValid())
        return std::min(periodic_, afterSave_);
    return periodic_;
}

bool SyncSchedule::due() const {
    if (running_ || questionOpen_)
        return false;
    const std::optional<QDateTime> next = nextRun();
    return next && *next <= clock_.now();
}

void SyncSchedule::runStarted() {
    running_ = true;
    // A save made while the run goes is sent by the next one.
    afterSave_ = {};
}

void SyncSchedule::runFinished(SyncOutcome outcome, const QString& attention) {
    const QDateTime now = clock_.now();
    running_ = false;
    lastRun_ = now;
    lastOutcome_ = outcome;
    attention_ = attention;
    waitingForUser_ = outcome == SyncOutcome::WaitsForUser;
    periodic_ = now.addSecs(kEverySeconds);
    if (outcome != SyncOutcome::Offline) {
        offlineSince_ = {};
        retry_ = {};
        retryPause_ = 0;
        return;
    }
    if (!offlineSince_.isValid())
        offlineSince_ = now;
    retryPause_ = retryPause_ == 0 ? kFirstRetrySeconds : std::min(2 * retryPause_, kLongestRetrySeconds);
    retry_ = now.addSecs(retryPause_);
}

SyncState SyncSchedule::state() const {
    if (running_)
        return SyncState::Syncing;
    if (!enabled_)
        return SyncState::Off;
    if (!lastRun_.isValid())
        return SyncState::Syncing;
    switch (lastOutcome_) {
    case SyncOutcome::Done:
        return SyncState::Synced;
    case SyncOutcome::Offline:
        return SyncState::Offline;
    case SyncOutcome::Attention:
    case SyncOutcome::WaitsForUser:
        break;
    }
    return SyncState::NeedsAttention;
}

QString SyncSchedule::statusText() const {
    switch (state()) {
    case SyncState::Off:
        return QStringLiteral("Sin sincronizar con un servidor");
    case SyncState::Syncing:
        return QStringLiteral("Sincronizando...");
    case SyncState::Synced:
        return QStringLiteral("Sincronizado a las %1").arg(hourOf(lastRun_));
    case SyncState::Offline:
        return QStringLiteral("Sin conexión desde %1").arg(hourOf(offlineSince_));
    case SyncState::NeedsAttention:
        break;
    }
    return attention_.isEmpty() ? QStringLiteral("Necesita atención") : attention_;
}

} // namespace quindara
