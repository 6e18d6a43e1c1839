// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/autosync.h"

#include "agenda/core/syncsetup/davaccount.h"
#include "agenda/core/syncsetup/syncsetup.h"
#include "agenda/ui/logging.h"
#include "agenda/ui/outsidechangeprompt.h"

#include <QTimer>

#include <algorithm>

namespace quindara {

namespace {

// The timer looks again at least this often, so that a question closed or a clock put forward is noticed.
constexpr qint64 kLongestWaitMs = 60 * 1000;
constexpr qint64 kQuestionWaitMs = 1000;

} // namespace

AutoSync::AutoSync(const DataFolder& data, const common::Clock& clock, QObject* parent)
    : QObject(parent), data_(data), clock_(clock), schedule_(clock), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("autoSync"));
    timer_->setObjectName(QStringLiteral("syncTimer"));
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &AutoSync::tick);
}

void AutoSync::start() {
    const QList<SyncAccount> accounts = readSyncAccounts(data_);
    if (accounts.isEmpty())
        return;
    account_ = accounts.first();
    // With no password (none in the keyring, or no keyring) the page asks for it; nothing runs till then.
    passwordMissing_ = password().isEmpty();
    schedule_.setEnabled(!passwordMissing_);
    emit stateChanged();
    planTick();
}

QString AutoSync::password() {
    return account_ ? passwords_.read(passwordKey(*account_)) : QString();
}

common::Status AutoSync::setAccount(const SyncAccount& account, const QString& password) {
    // No run may start while the keyring takes the password (it answers in an event loop); the timer is
    // planned again at the end.
    timer_->stop();
    if (const common::Status saved = saveSyncAccount(data_, account); !saved) {
        planTick();
        return saved;
    }
    if (account_ && passwordKey(*account_) != passwordKey(account))
        passwords_.remove(passwordKey(*account_));
    account_ = account;
    passwords_.store(passwordKey(account), password);
    passwordMissing_ = password.isEmpty();
    schedule_.setEnabled(!passwordMissing_);
    emit stateChanged();
    planTick();
    return {};
}

common::Status AutoSync::removeAccount() {
    if (!account_)
        return {};
    if (const common::Status removed = removeSyncAccount(data_, *account_); !removed)
        return removed;
    passwords_.remove(passwordKey(*account_));
    account_.reset();
    lastResult_.reset();
    passwordMissing_ = false;
    schedule_.setEnabled(false);
    timer_->stop();
    emit stateChanged();
    return {};
}

void AutoSync::saved() {
    schedule_.saved();
    planTick();
}

void AutoSync::tick() {
    schedule_.setQuestionOpen(outsideQuestionOpen());
    if (schedule_.due())
        runNow();
    planTick();
}

SyncResult AutoSync::runNow(SyncOptions options) {
    if (!account_ || running_)
        return {};
    return run(*account_, {}, std::move(options), true);
}

SyncResult AutoSync::runHanded(const SyncAccount& account, const QString& password, SyncOptions options) {
    const bool own = account_ && account_->id == account.id;
    return run(account, password, std::move(options), own);
}

SyncResult AutoSync::run(const SyncAccount& account, const QString& given, SyncOptions options, bool own) {
    running_ = true;
    cancelRequested_ = false;
    if (own)
        schedule_.runStarted();
    emit stateChanged();
    // Read once the run counts as started: the keyring answers in an event loop, where a run falling due
    // must not start a second one.
    const QString password = given.isEmpty() && own ? this->password() : given;
    const auto pageCancelled = options.cancelled;
    options.cancelled = [this, pageCancelled] {
        return cancelRequested_ || (pageCancelled && pageCancelled());
    };
    options.today = clock_.today();
    const SyncResult result = runSync(data_, account, password, options);
    running_ = false;
    if (own) {
        lastResult_ = result;
        schedule_.runFinished(outcomeOf(result), attentionText(result));
    }
    if (result.exitCode() != 0)
        qCWarning(lcAgendaWindow).noquote() << "server sync:" << result.summary() << result.error.detail;
    if (result.agenda.any())
        emit agendaChanged();
    emit stateChanged();
    emit runFinished();
    planTick();
    return result;
}

void AutoSync::planTick() {
    const std::optional<QDateTime> next = schedule_.nextRun();
    if (!next || running_ || held_ > 0) {
        timer_->stop();
        return;
    }
    const qint64 wait = outsideQuestionOpen() ? kQuestionWaitMs : clock_.now().msecsTo(*next);
    timer_->start(int(std::clamp<qint64>(wait, 0, kLongestWaitMs)));
}

SyncState AutoSync::state() const {
    return passwordMissing_ && !running_ ? SyncState::NeedsAttention : schedule_.state();
}

QString AutoSync::statusText() const {
    if (passwordMissing_ && !running_)
        return passwords_.keyringMissing()
                   ? QStringLiteral("No hay un llavero en el escritorio: escriba la contraseña en la página "
                                    "Sincronizar.")
                   : QStringLiteral("Falta la contraseña: escríbala en la página Sincronizar.");
    return schedule_.statusText();
}

QString AutoSync::toolTip() const {
    QString text = statusText();
    if (schedule_.lastRun().isValid())
        text += QStringLiteral("\nÚltima sincronización: ") +
                schedule_.lastRun().toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    return text;
}

} // namespace quindara
