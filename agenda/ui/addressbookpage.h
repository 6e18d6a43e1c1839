// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/contacts/addressbookfolder.h"
#include "agenda/core/contacts/contactlist.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/ui/outsidechangeprompt.h"
#include "common/desktopservices.h"
#include "common/outsidechange.h"

#include <QFrame>
#include <QSet>

#include <array>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;

namespace quindara {

// The address-book page (Frame1(5)) of the main window: contacts filed in categories.
class AddressBookPage : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddressBookPage)

public:
    AddressBookPage(const DataFolder& data, common::DesktopServices& desktop, const common::Clock& clock,
                    QWidget* parent = nullptr);

    // Start-up: points the folder list at "direcciones" and fills Combo3 with its categories.
    void loadCategories();
    // Shows the category `category` ("" or "Todos" for the whole list) and the card `name` in it.
    void showContact(const QString& category, const QString& name);
    // Another machine or program changed these folders of the address book: the categories (when the
    // address book's own folder changed) and the shown list (when its folder did) follow, each listed once;
    // the fields keep what they show.
    void showOutsideChanges(const QStringList& changedFolders);
    // The card file the fields show, to be watched for changes written in place; empty when none.
    QString shownCardPath() const;

signals:
    // The fields show another card file, or the shown card was stored.
    void cardShown();
    // A contact was stored or removed from this page (a server sync then follows).
    void contactChanged();

private:
    // The category chooser, the contact list and its search box.
    void buildContactList();
    // The captions and boxes of a contact's fields.
    void buildFields();
    // GUARDAR, NUEVO, ELIMINAR, Copiar Todos and "Enviar mensaje".
    void buildButtons();
    void showCategoryChanges();

    void Combo3_Click();
    void Combo3_Change(const QString& typed);
    void Text8_Change();
    void File2_Click();
    void Command7_Click(int Index);
    void Command8_Click();

    void saveContact();
    void deleteContact();
    void copyAll();
    // Points File2 at a category folder ("" when there is none) and lists it again.
    void pointFile2(const QString& folder);
    void refreshFile2();
    // Shows the names of File2's folder that begin with Text8, keeping the shown contact chosen.
    void fillFile2();
    // The row chosen in File2 (current and selected), or -1.
    int chosenRow() const;
    QStringList fieldTexts() const;
    // Shows a card's fields; until the user changes them, they follow the card's file.
    void showFields(const QStringList& fields);
    // The shown card's file was changed elsewhere: fields the user has not changed show it now.
    void showOutsideCardChange();
    void clearFields();
    // Loads the card of `name` in File2's folder into the fields; false when it cannot be read.
    bool loadCard(const QString& name);
    // Offers to merge the conflict copies a sync tool left of the contact `name` into its card.
    void offerCopyMerges(const QString& name);
    // The fields to store for `surname`: the user's, or what the user chose after another machine changed
    // the shown card; nothing when the other version stays (the fields then show it).
    // When another contact's card has the surname being saved: asks whether to keep both (the new one
    // under a numbered name) or to add to that card, and changes `surname` and `fields` to match; false
    // when the user cancels, and nothing is saved.
    bool settleSharedSurname(const QString& category, QString& surname, QStringList& fields);
    std::optional<QStringList> fieldsToStore(const QString& surname);

    common::DesktopServices& desktop_;
    const common::Clock& clock_;

    // Hidden folder list: the "direcciones" folder and its categories.
    AddressBookFolder Dir1;
    // Names of File2's folder, listed once and filtered from memory.
    ContactListModel File2Names;

    // Category chooser; typing a name ending in "-" creates a category.
    QComboBox* Combo3 = nullptr;
    // Contacts of the shown category beginning with Text8.
    QListView* File2 = nullptr;
    // Search: the beginning of the names to list.
    QLineEdit* Text8 = nullptr;
    std::array<QLabel*, 7> Label4{};
    // Text7(0..5) are one-line fields; Text7(6), REFERENCIA, takes several lines.
    std::array<QLineEdit*, 6> Text7{};
    QPlainTextEdit* Text7_6 = nullptr;
    // GUARDAR, NUEVO, ELIMINAR, Copiar Todos.
    std::array<QPushButton*, 4> Command7{};
    // "Enviar mensaje": a new mail to the address in Text7(5).
    QPushButton* Command8 = nullptr;

    // The contact chosen in File2, whose card the fields show (loaded or just saved); none after NUEVO,
    // ELIMINAR or a change of category. ELIMINAR acts on it only.
    QString shownContact_;
    // The card file the fields were loaded from or stored to, and what it held then: a save first checks
    // that no other machine changed it since.
    QString shownCardPath_;
    common::FileVersion shownCardVersion_;
    // The fields as last shown from or stored to that card: fields that differ hold an edit not saved.
    QStringList shownCardFields_;
    ConflictCopyOffer copyOffer_;
    // Set while fillFile2 chooses a row, so that choosing loads nothing into the fields.
    bool fillingFile2_ = false;
};

} // namespace quindara
