// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/result.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace quindara {

// A surname or category that may become a file or folder name inside the address book. Names beginning
// with a dot are refused too: the lists hide them, so such a contact would be saved and never seen.
bool isSafeAddressBookName(const QString& name);

// Names a list of the address book shows: hidden ones (a leading dot) left out.
QStringList visibleNames(const QStringList& names);

// Typing a "-" in the category box drops the text's last character, again and again while a "-" is
// left. The texts after each pass, in order; the last is the category to create. Empty without a "-".
QStringList categoryNamesAfterDash(const QString& text);

// The "direcciones" folder: one sub-folder per category, one card file per contact inside.
class AddressBookFolder {
public:
    enum class Creation { Created, AlreadyThere, Refused, Failed };

    explicit AddressBookFolder(QString root = QString());

    const QString& root() const { return root_; }

    // Sub-folders in alphabetical order without regard to case, hidden ones left out. A folder named in
    // bytes that are not UTF-8 (Windows-1252, from an older install) is listed by its Windows-1252 reading.
    QStringList categories() const;
    // The stored spelling of a category named in any case, or an empty string when there is none.
    QString existingCategory(const QString& name) const;
    // The category's folder (its stored spelling when it exists); empty for an unsafe name. A folder named
    // in bytes that are not UTF-8 is reached through its open handle (/proc/self/fd/N) while this object
    // or a copy of it lives: no other path Qt makes leads to it.
    QString categoryPath(const QString& name) const;
    // Creates the folder unless a category of that name, in any case, is already there.
    Creation createCategory(const QString& name) const;

    // Writes the card into the category and its copy into "Todos" (one file when "Todos" is the
    // category), each over a card of that surname in any letter case. The card in the category, and a
    // line "«folder»: why" for each folder it could not be written to.
    struct Stored {
        QString cardPath;
        QStringList failures;
    };
    Stored storeContact(const QString& category, const QString& surname, const QStringList& fields) const;
    // The card of that surname (in any letter case) in the category; none when there is none or it cannot
    // be read.
    std::optional<QStringList> storedContact(const QString& category, const QString& surname) const;
    // "surname (2)", "surname (3)"...: the first such name free in the category and in "Todos", for a
    // second contact that shares the surname.
    QString freeContactName(const QString& category, const QString& surname) const;
    // Merges the conflict copy at `copyPath` into the card at `cardPath` (see mergeContactCopy), and with it
    // the copy the sync tool left of the same card in the other folder that holds the contact ("Todos" for a
    // category, each category for "Todos"): a copy of that surname there with the same fields. Both cards
    // then hold the same. The first failure; when the first merge fails, nothing else is merged.
    common::Status mergeContactCopies(const QString& cardPath, const QString& copyPath) const;
    // The readable cards of the category's visible contacts, in the folder's order.
    QList<QStringList> cardsOf(const QString& category) const;

private:
    struct ForeignFolders;

    QString root_;
    std::shared_ptr<ForeignFolders> foreign_;
};

} // namespace quindara
