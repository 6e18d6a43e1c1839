// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/syncpage.h"

#include "agenda/core/syncsetup/davaccount.h"
#include "agenda/core/syncsetup/syncsetup.h"
#include "agenda/ui/autosync.h"
#include "agenda/ui/controls.h"
#include "agenda/ui/logging.h"
#include "common/units.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

#include <climits>
#include <utility>

namespace quindara {

namespace {

QPushButton* actionButton(QWidget* parent, const QString& name, const QRect& place, const QString& caption) {
    QPushButton* button = makeButton(parent, name, place, caption);
    button->setFont(arialFont(9.75, true));
    setBackColour(button, kWhite);
    return button;
}

QLineEdit* editBox(QWidget* parent, const QString& name, const QRect& place) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(common::twipsRect(place.x(), place.y(), place.width(), place.height()));
    setBackColour(box, kWhite);
    return box;
}

QListWidget* collectionList(QWidget* parent, const QString& name, const QRect& place) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(common::twipsRect(place.x(), place.y(), place.width(), place.height()));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    setBackColour(list, kWhite);
    return list;
}

// Collections the server lacks are made under this name when the first run needs them.
constexpr QLatin1StringView kNewCollection("Quindara");
constexpr int kUrlRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

// A small square of the collection's colour, or none when the server gives none.
QIcon swatch(const QColor& colour) {
    if (!colour.isValid())
        return {};
    QPixmap square(12, 12);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.setPen(QColor(0x26, 0x32, 0x38));
    painter.setBrush(colour);
    painter.drawRect(0, 0, 11, 11);
    return QIcon(square);
}

} // namespace

SyncPage::SyncPage(const DataFolder& data, AutoSync& sync, common::DesktopServices& desktop, QWidget* parent)
    : QFrame(parent), data_(data), sync_(sync), desktop_(desktop) {
    setObjectName(QStringLiteral("syncPage"));
    resize(common::twipsSize(8895, 8295));

    QLabel* title = makeLabel(this, QStringLiteral("syncTitle"), QRect(240, 120, 8415, 435),
                              QStringLiteral("SINCRONIZAR CON UN SERVIDOR"));
    title->setFont(arialFont(14.25, true));

    makeLabel(this, QStringLiteral("serverLabel"), QRect(240, 780, 1455, 375), QStringLiteral("Servidor:"));
    serverEdit_ = editBox(this, QStringLiteral("serverEdit"), QRect(1740, 720, 6915, 435));
    serverEdit_->setPlaceholderText(QStringLiteral("https://servidor.ejemplo/"));
    serverEdit_->setAccessibleName(QStringLiteral("Servidor"));
    serverEdit_->setAccessibleDescription(
        QStringLiteral("Dirección del servidor, como https://servidor.ejemplo/"));
    makeLabel(this, QStringLiteral("userLabel"), QRect(240, 1320, 1455, 375), QStringLiteral("Usuario:"));
    userEdit_ = editBox(this, QStringLiteral("userEdit"), QRect(1740, 1260, 2895, 435));
    userEdit_->setAccessibleName(QStringLiteral("Usuario"));
    makeLabel(this, QStringLiteral("passwordLabel"), QRect(4740, 1320, 1215, 375),
              QStringLiteral("Contraseña:"));
    passwordEdit_ = editBox(this, QStringLiteral("passwordEdit"), QRect(5970, 1260, 2685, 435));
    passwordEdit_->setEchoMode(QLineEdit::Password);
    passwordEdit_->setAccessibleName(QStringLiteral("Contraseña"));
    keyringLabel_ =
        makeLabel(this, QStringLiteral("keyringLabel"), QRect(240, 1740, 8415, 375),
                  QStringLiteral("No hay llavero en el escritorio: la contraseña se pedirá cada vez que "
                                 "se abra la agenda."));
    setForeColour(keyringLabel_, 0x000000C0);
    keyringLabel_->hide();

    discoverButton_ = actionButton(this, QStringLiteral("discoverButton"), QRect(240, 2160, 2895, 495),
                                   QStringLiteral("Buscar calendarios"));
    withNotesCheck_ = new QCheckBox(QStringLiteral("incluir las notas de los días"), this);
    withNotesCheck_->setObjectName(QStringLiteral("syncNotesCheck"));
    withNotesCheck_->setGeometry(common::twipsRect(3360, 2160, 5295, 495));

    makeLabel(this, QStringLiteral("calendarLabel"), QRect(240, 2820, 4095, 375),
              QStringLiteral("Calendario:"));
    makeLabel(this, QStringLiteral("addressBookLabel"), QRect(4560, 2820, 4095, 375),
              QStringLiteral("Agenda de direcciones:"));
    calendarList_ = collectionList(this, QStringLiteral("calendarList"), QRect(240, 3180, 4095, 1455));
    addressBookList_ = collectionList(this, QStringLiteral("addressBookList"), QRect(4560, 3180, 4095, 1455));
    calendarList_->setAccessibleName(QStringLiteral("Calendario del servidor"));
    addressBookList_->setAccessibleName(QStringLiteral("Agenda de direcciones del servidor"));

    syncNowButton_ = actionButton(this, QStringLiteral("syncNowButton"), QRect(240, 4860, 2895, 495),
                                  QStringLiteral("Sincronizar ahora"));
    cancelSyncButton_ = actionButton(this, QStringLiteral("cancelSyncButton"), QRect(3240, 4860, 1455, 495),
                                     QStringLiteral("Cancelar"));
    cancelSyncButton_->hide();
    syncProgress_ = new QProgressBar(this);
    syncProgress_->setObjectName(QStringLiteral("syncProgress"));
    syncProgress_->setGeometry(common::twipsRect(4800, 4920, 3855, 375));
    syncProgress_->setFormat(QStringLiteral("%v de %m"));
    syncProgress_->setAccessibleName(QStringLiteral("Progreso de la sincronización"));
    syncProgress_->hide();

    // Two lines: what needs attention is said with what to do.
    statusLabel_ = makeLabel(this, QStringLiteral("statusLabel"), QRect(240, 5460, 8415, 615));
    statusLabel_->setWordWrap(true);
    resultText_ = new QPlainTextEdit(this);
    resultText_->setObjectName(QStringLiteral("syncResultText"));
    resultText_->setGeometry(common::twipsRect(240, 6120, 8415, 1395));
    resultText_->setReadOnly(true);
    setBackColour(resultText_, kWhite);
    resultText_->setAccessibleName(QStringLiteral("Resultado de la sincronización"));

    stopButton_ = actionButton(this, QStringLiteral("stopButton"), QRect(240, 7680, 2895, 495),
                               QStringLiteral("Dejar de sincronizar"));

    for (QWidget* control :
         std::initializer_list<QWidget*>{serverEdit_, userEdit_, passwordEdit_, withNotesCheck_,
                                         calendarList_, addressBookList_, syncProgress_, resultText_})
        control->setFont(arialFont(9.75));
    for (QLabel* label : findChildren<QLabel*>())
        if (label != title)
            label->setFont(arialFont(9.75, label != keyringLabel_));

    connect(&sync_, &AutoSync::stateChanged, this, &SyncPage::showStatus);
    connect(&sync_, &AutoSync::runFinished, this, &SyncPage::showResult);
    connect(&sync_, &AutoSync::runFinished, this, [this] {
        // A click made during the run that just ended runs now, once the run has left its event loops.
        if (std::exchange(syncAgain_, false))
            QTimer::singleShot(0, this, &SyncPage::syncNowButton_Click);
    });
    connect(discoverButton_, &QPushButton::clicked, this, &SyncPage::discoverButton_Click);
    connect(syncNowButton_, &QPushButton::clicked, this, &SyncPage::syncNowButton_Click);
    connect(cancelSyncButton_, &QPushButton::clicked, &sync_, &AutoSync::cancel);
    connect(stopButton_, &QPushButton::clicked, this, &SyncPage::stopButton_Click);
}

void SyncPage::showAccount() {
    const std::optional<SyncAccount>& account = sync_.account();
    if (account) {
        serverEdit_->setText(account->server.toString());
        userEdit_->setText(account->user);
        passwordEdit_->setText(sync_.password());
        withNotesCheck_->setChecked(account->withNotes);
        acceptedFingerprint_ = account->acceptedFingerprint;
        // Until the server is asked again, the lists hold what the account uses.
        if (calendarList_->count() == 0 && addressBookList_->count() == 0) {
            DavCollection calendar{account->calendar, account->calendarName, {}, false, account->withNotes};
            DavCollection addressBook{account->addressBook, account->addressBookName, {}, true, false};
            listCollections(calendarList_,
                            account->calendar.isEmpty() ? QList<DavCollection>{} : QList{calendar},
                            account->calendar);
            listCollections(addressBookList_,
                            account->addressBook.isEmpty() ? QList<DavCollection>{} : QList{addressBook},
                            account->addressBook);
        }
    }
    keyringLabel_->setVisible(sync_.passwords().keyringMissing());
    showStatus();
    showResult();
}

void SyncPage::showStatus() {
    statusLabel_->setText(sync_.statusText());
    // The account and its status record stay while a run is writing them.
    stopButton_->setEnabled(sync_.account().has_value() && !sync_.running());
}

void SyncPage::showResult() {
    const std::optional<SyncResult>& result = sync_.lastResult();
    if (!result)
        return;
    const QString attention = attentionText(*result);
    resultText_->setPlainText(
        QStringLiteral("Última sincronización: %1\n")
            .arg(sync_.schedule().lastRun().toString(QStringLiteral("dd/MM/yyyy HH:mm"))) +
        (attention.isEmpty() ? QString() : attention + u'\n') + result->summary());
}

QUrl SyncPage::serverUrl() const {
    const QString typed = serverEdit_->text().trimmed();
    if (typed.isEmpty())
        return {};
    return QUrl(typed.contains(QStringLiteral("://")) ? typed : QStringLiteral("https://") + typed);
}

void SyncPage::listCollections(QListWidget* list, const QList<DavCollection>& found, const QUrl& chosen) {
    list->clear();
    for (const DavCollection& collection : found) {
        auto* item = new QListWidgetItem(swatch(collection.colour), collection.name, list);
        item->setData(kUrlRole, collection.url);
        item->setData(kNameRole, collection.name);
        item->setToolTip(collection.url.toString());
        if (collection.url == chosen)
            list->setCurrentItem(item);
    }
    if (found.isEmpty()) {
        // Nothing on the server yet: the first run makes one.
        auto* item =
            new QListWidgetItem(QStringLiteral("Crear «%1» en el servidor").arg(kNewCollection), list);
        item->setData(kNameRole, QString(kNewCollection));
    }
    if (!list->currentItem())
        list->setCurrentRow(0);
}

bool SyncPage::acceptCertificate(const DavError& error) {
    if (error.kind != DavErrorKind::CertificateNotTrusted || error.fingerprint.isEmpty())
        return false;
    const QString server = serverUrl().host();
    const QString question =
        acceptedFingerprint_.isEmpty()
            ? QStringLiteral("El servidor %1 presenta un certificado que este equipo no reconoce.\n\n"
                             "Huella SHA-256:\n%2\n\n"
                             "Compruebe que es la huella del certificado de su servidor. "
                             "¿Confiar en este certificado?")
                  .arg(server, error.fingerprint)
            : QStringLiteral("El certificado del servidor %1 ha cambiado desde que se aceptó.\n\n"
                             "Huella aceptada:\n%2\n\nHuella que presenta ahora:\n%3\n\n"
                             "Si no sabe por qué ha cambiado, no lo acepte: podría ser otro equipo "
                             "haciéndose pasar por su servidor. ¿Confiar en el certificado nuevo?")
                  .arg(server, acceptedFingerprint_, error.fingerprint);
    const int answer =
        desktop_.askChoice(question, QStringLiteral("Certificado del servidor"),
                           {QStringLiteral("Confiar en este certificado"), QStringLiteral("No confiar")}, 1);
    if (answer != 0)
        return false;
    acceptedFingerprint_ = error.fingerprint;
    return true;
}

void SyncPage::discoverButton_Click() {
    const QUrl server = serverUrl();
    if (!server.isValid() || userEdit_->text().trimmed().isEmpty()) {
        resultText_->setPlainText(QStringLiteral("Escriba la dirección del servidor y el usuario."));
        return;
    }
    DavDiscovery found;
    do {
        resultText_->setPlainText(QStringLiteral("Buscando calendarios en %1...").arg(server.host()));
        found = discoverCollections(server, userEdit_->text().trimmed(), passwordEdit_->text(),
                                    acceptedFingerprint_);
    } while (acceptCertificate(found.error));
    if (found.error.kind != DavErrorKind::None) {
        if (!found.error.detail.isEmpty())
            qCWarning(lcAgendaWindow).noquote() << "server search:" << found.error.detail;
        QString text = attentionText(found.error);
        if (!found.error.fingerprint.isEmpty())
            text += QStringLiteral("\nHuella SHA-256 del certificado: ") + found.error.fingerprint;
        resultText_->setPlainText(text);
        return;
    }
    const std::optional<SyncAccount>& account = sync_.account();
    listCollections(calendarList_, found.calendars, account ? account->calendar : QUrl());
    listCollections(addressBookList_, found.addressBooks, account ? account->addressBook : QUrl());
    calendarHome_ = found.calendarHome;
    addressBookHome_ = found.addressBookHome;
    resultText_->setPlainText(QStringLiteral("Calendarios: %1. Agendas de direcciones: %2.\n"
                                             "Elija uno de cada y pulse «Sincronizar ahora».")
                                  .arg(found.calendars.size())
                                  .arg(found.addressBooks.size()));
}

void SyncPage::syncNowButton_Click() {
    // An automatic run, or one typed on the command line, is going: this one follows it.
    if (sync_.running()) {
        syncAgain_ = true;
        resultText_->setPlainText(QStringLiteral("Ya se está sincronizando; se repetirá al terminar."));
        return;
    }
    QListWidgetItem* calendar = calendarList_->currentItem();
    QListWidgetItem* addressBook = addressBookList_->currentItem();
    if (!serverUrl().isValid() || (!calendar && !addressBook)) {
        resultText_->setPlainText(
            QStringLiteral("Pulse «Buscar calendarios» y elija un calendario y una agenda "
                           "de direcciones."));
        return;
    }
    QList<bool> toMake;
    SyncAccount account = chosenAccount(calendar, addressBook, toMake);
    sync_.holdRuns();
    const auto release = qScopeGuard([this] { sync_.releaseRuns(); });
    if (!storeAccount(account, toMake))
        return;
    for (const bool isAddressBook : {false, true}) {
        QListWidgetItem* item = isAddressBook ? addressBook : calendar;
        if (!item)
            continue;
        item->setText(isAddressBook ? account.addressBookName : account.calendarName);
        item->setData(kUrlRole, isAddressBook ? account.addressBook : account.calendar);
    }
    keyringLabel_->setVisible(sync_.passwords().keyringMissing());
    runByHand(std::move(account));
}

SyncAccount SyncPage::chosenAccount(const QListWidgetItem* calendar, const QListWidgetItem* addressBook,
                                    QList<bool>& toMake) const {
    SyncAccount account;
    account.server = serverUrl();
    account.user = userEdit_->text().trimmed();
    account.id = syncAccountId(account.server, account.user);
    account.withNotes = withNotesCheck_->isChecked();
    account.acceptedFingerprint = acceptedFingerprint_;
    for (const bool isAddressBook : {false, true}) {
        const QListWidgetItem* item = isAddressBook ? addressBook : calendar;
        if (!item)
            continue;
        DavCollection collection{
            item->data(kUrlRole).toUrl(), item->data(kNameRole).toString(), {}, isAddressBook, false};
        const QUrl home = isAddressBook ? addressBookHome_ : calendarHome_;
        if (collection.url.isEmpty() && home.isValid()) {
            collection = quindaraCollection(home, isAddressBook);
            toMake.append(isAddressBook);
        }
        (isAddressBook ? account.addressBook : account.calendar) = collection.url;
        (isAddressBook ? account.addressBookName : account.calendarName) = collection.name;
    }
    return account;
}

bool SyncPage::storeAccount(const SyncAccount& account, const QList<bool>& toMake) {
    const std::optional<SyncAccount> earlier = sync_.account();
    // Its password goes from the keyring when another server or user takes its place: read first, for
    // putting it back (only then, as reading the keyring lets the timer's run start meanwhile).
    const bool otherAccount = earlier && (earlier->server != account.server || earlier->user != account.user);
    const QString earlierPassword = otherAccount ? sync_.password() : passwordEdit_->text();
    if (const common::Status stored = sync_.setAccount(account, passwordEdit_->text()); !stored) {
        resultText_->setPlainText(
            QStringLiteral("No se ha podido guardar la cuenta.\nERROR: %1").arg(stored.error()));
        return false;
    }
    for (const bool isAddressBook : toMake) {
        DavError error;
        const DavCollection made = createQuindaraCollection(
            account.server, isAddressBook ? addressBookHome_ : calendarHome_, isAddressBook, account.user,
            passwordEdit_->text(), acceptedFingerprint_, error);
        if (error.kind != DavErrorKind::None || !made.url.isValid()) {
            if (!error.detail.isEmpty())
                qCWarning(lcAgendaWindow).noquote() << "collection not made:" << error.detail;
            // The folder keeps the account it had before, or none.
            const common::Status undone =
                earlier ? sync_.setAccount(*earlier, earlierPassword) : sync_.removeAccount();
            if (!undone)
                qCWarning(lcAgendaWindow) << "account not put back:" << undone.error();
            resultText_->setPlainText(attentionText(error));
            return false;
        }
    }
    return true;
}

void SyncPage::runByHand(SyncAccount account) {
    syncNowButton_->setEnabled(false);
    cancelSyncButton_->show();
    syncProgress_->setRange(0, 0);
    syncProgress_->show();
    SyncOptions options;
    options.progress = [this](SyncPhase, qsizetype done, qsizetype total) {
        syncProgress_->setRange(0, int(qMin<qsizetype>(total, INT_MAX)));
        syncProgress_->setValue(int(qMin<qsizetype>(done, INT_MAX)));
    };
    SyncResult result = sync_.runNow(options);
    if (acceptCertificate(result.error)) {
        account.acceptedFingerprint = acceptedFingerprint_;
        if (sync_.setAccount(account, passwordEdit_->text()))
            result = sync_.runNow(options);
    } else if (!result.emptySideQuestion.isEmpty() &&
               desktop_.askYesNo(result.emptySideQuestion, QStringLiteral("Sincronizar"),
                                 common::DefaultAnswer::No)) {
        options.emptySideConfirmed = true;
        sync_.runNow(options);
    }
    syncProgress_->hide();
    cancelSyncButton_->hide();
    syncNowButton_->setEnabled(true);
}

void SyncPage::stopButton_Click() {
    const std::optional<SyncAccount>& account = sync_.account();
    if (!account || sync_.running())
        return;
    if (!desktop_.askYesNo(
            QStringLiteral("¿Dejar de sincronizar con %1?\nNo se borra nada ni en la agenda ni en "
                           "el servidor.")
                .arg(account->server.host()),
            QStringLiteral("Sincronizar"), common::DefaultAnswer::No))
        return;
    if (const common::Status removed = sync_.removeAccount(); !removed) {
        desktop_.showMessage(
            QStringLiteral("No se ha podido quitar la cuenta.\nERROR: %1").arg(removed.error()));
        return;
    }
    serverEdit_->clear();
    userEdit_->clear();
    passwordEdit_->clear();
    calendarList_->clear();
    addressBookList_->clear();
    acceptedFingerprint_.clear();
    resultText_->setPlainText(QStringLiteral("Ya no se sincroniza con ningún servidor."));
}

} // namespace quindara
