// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/dav/davdiscovery.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/sync/davsync.h"
#include "common/desktopservices.h"

#include <QFrame>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace quindara {

class AutoSync;

// The "Sincronizar" page of the main window: the server account (address, user, password kept in the
// desktop's keyring), the calendar and address book chosen among those the server has, a run by hand with
// its progress, the result of the last run, and the way to stop syncing. Runs themselves go through
// AutoSync, which also runs them on its own.
class SyncPage : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SyncPage)

public:
    SyncPage(const DataFolder& data, AutoSync& sync, common::DesktopServices& desktop,
             QWidget* parent = nullptr);

    // Fills the controls from the stored account, when the page comes to the front.
    void showAccount();

private:
    void showStatus();
    void showResult();
    void discoverButton_Click();
    void syncNowButton_Click();
    void stopButton_Click();
    // The account the controls describe, with the calendar and address book chosen. A collection to make
    // ("Crear «Quindara»") is named now, and `toMake` lists it (true for the address book): it is made in
    // the home the server gave only once the account naming it is stored, so that a folder that cannot
    // take the account (a full disk) leaves the server as it was.
    SyncAccount chosenAccount(const QListWidgetItem* calendar, const QListWidgetItem* addressBook,
                              QList<bool>& toMake) const;
    // Stores `account` and makes the collections `toMake` on the server. When one cannot be made the
    // folder keeps the account it had before, or none; false then, or when the account cannot be stored,
    // with what went wrong shown.
    bool storeAccount(const SyncAccount& account, const QList<bool>& toMake);
    // One run by hand, with its progress and "Cancelar". A certificate the server changed is asked about
    // and, once trusted, the run goes again; a side that looks emptied is emptied on the other side too
    // only after a yes.
    void runByHand(SyncAccount account);
    // Asks whether to trust the certificate the server offers, naming the one accepted before if it
    // changed; the fingerprint is kept for the account only on an explicit yes.
    bool acceptCertificate(const DavError& error);
    void listCollections(QListWidget* list, const QList<DavCollection>& found, const QUrl& chosen);
    // The server address as typed, with https:// when no scheme is given.
    QUrl serverUrl() const;

    DataFolder data_;
    AutoSync& sync_;
    common::DesktopServices& desktop_;
    // The certificate fingerprint the user accepted for the server being set up.
    QString acceptedFingerprint_;
    // "Sincronizar ahora" was clicked while another run was going: it runs when that one ends.
    bool syncAgain_ = false;
    QUrl calendarHome_;
    QUrl addressBookHome_;
    // Server address, user and password.
    QLineEdit* serverEdit_ = nullptr;
    QLineEdit* userEdit_ = nullptr;
    QLineEdit* passwordEdit_ = nullptr;
    // Said when no keyring answers: the password is asked at every start.
    QLabel* keyringLabel_ = nullptr;
    QPushButton* discoverButton_ = nullptr;
    // The calendars and address books found, with their colours; one of each is chosen.
    QListWidget* calendarList_ = nullptr;
    QListWidget* addressBookList_ = nullptr;
    QCheckBox* withNotesCheck_ = nullptr;
    QPushButton* syncNowButton_ = nullptr;
    QPushButton* cancelSyncButton_ = nullptr;
    QProgressBar* syncProgress_ = nullptr;
    // The state of automatic sync: synced at, offline since, what needs attention.
    QLabel* statusLabel_ = nullptr;
    // What the last run did on each side, or what went wrong and what to do.
    QPlainTextEdit* resultText_ = nullptr;
    QPushButton* stopButton_ = nullptr;
};

} // namespace quindara
