// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>

namespace quindara {

// The passwords of the server accounts, kept in the desktop's keyring (Secret Service, KWallet) and never
// in the data folder or a settings file. When no keyring answers, a password given in this run is kept in
// memory only, and keyringMissing() says so, so that the page can ask for it again at the next start.
class PasswordStore {
public:
    explicit PasswordStore(QString service = QStringLiteral("Quindara"));

    // The password of `account`, or an empty text when none is known.
    QString read(const QString& account);
    // True when the keyring took it; false when it is kept in memory for this run only.
    bool store(const QString& account, const QString& password);
    void remove(const QString& account);

    bool keyringMissing() const { return keyringMissing_; }
    // Why the keyring did not answer, for the log and the page.
    const QString& keyringError() const { return keyringError_; }

private:
    void keyringFailed(const QString& why);

    QString service_;
    QHash<QString, QString> memory_;
    bool keyringMissing_ = false;
    QString keyringError_;
};

} // namespace quindara
