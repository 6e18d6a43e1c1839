// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/syncsetup/passwordstore.h"

#include "agenda/core/syncsetup/logging.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

namespace quindara {

namespace {

struct JobOutcome {
    QKeychain::Error error = QKeychain::OtherError;
    QString errorText;
    QString password;
};

// Runs a keyring job to its end in a local event loop: the keyring answers within moments, and the
// callers read as a plain sequence. The plain-text fall-back of the library stays off.
JobOutcome finish(QKeychain::Job& job) {
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    JobOutcome outcome;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* done) {
        outcome.error = done->error();
        outcome.errorText = done->errorString();
        if (auto* reading = qobject_cast<QKeychain::ReadPasswordJob*>(done))
            outcome.password = reading->textData();
        finished = true;
        loop.quit();
    });
    job.start();
    // A backend may answer at once, before the loop would start.
    if (!finished)
        loop.exec();
    return outcome;
}

} // namespace

PasswordStore::PasswordStore(QString service) : service_(std::move(service)) {}

QString PasswordStore::read(const QString& account) {
    if (const auto kept = memory_.constFind(account); kept != memory_.constEnd())
        return *kept;
    if (keyringMissing_)
        return {};
    QKeychain::ReadPasswordJob job(service_);
    job.setKey(account);
    const JobOutcome outcome = finish(job);
    if (outcome.error == QKeychain::NoError)
        return outcome.password;
    if (outcome.error != QKeychain::EntryNotFound)
        keyringFailed(outcome.errorText);
    return {};
}

bool PasswordStore::store(const QString& account, const QString& password) {
    if (!keyringMissing_) {
        QKeychain::WritePasswordJob job(service_);
        job.setKey(account);
        job.setTextData(password);
        const JobOutcome outcome = finish(job);
        if (outcome.error == QKeychain::NoError) {
            memory_.remove(account);
            return true;
        }
        keyringFailed(outcome.errorText);
    }
    memory_.insert(account, password);
    return false;
}

void PasswordStore::remove(const QString& account) {
    memory_.remove(account);
    if (keyringMissing_)
        return;
    QKeychain::DeletePasswordJob job(service_);
    job.setKey(account);
    const JobOutcome outcome = finish(job);
    if (outcome.error != QKeychain::NoError && outcome.error != QKeychain::EntryNotFound)
        qCWarning(lcPasswords) << "the keyring kept the password of" << account << ":" << outcome.errorText;
}

void PasswordStore::keyringFailed(const QString& why) {
    qCWarning(lcPasswords) << "no keyring answers, passwords are kept for this run only:" << why;
    keyringMissing_ = true;
    keyringError_ = why;
}

} // namespace quindara
