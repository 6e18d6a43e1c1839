// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/outsidechange.h"
#include "common/result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quindara {

// APELLIDOS, NOMBRE, DIRECCIÓN, POBLACIÓN, TELÉFONO/S, E-MAIL, REFERENCIA.
inline constexpr int kContactFieldCount = 7;
inline constexpr int kSurnameField = 0;
inline constexpr int kPhoneField = 4;
inline constexpr int kEmailField = 5;
inline constexpr int kReferenceField = 6;

// The seven fields of a card file's lines. Missing lines are empty fields; every line from the seventh
// on belongs to the reference, which is the only field that may hold line breaks.
QStringList contactFieldsFromLines(const QStringList& lines);
// The card's lines: one per field, the reference spread over as many lines as it holds.
QStringList contactLinesFromFields(const QStringList& fields);

// The card's seven fields, or nothing when the file cannot be read.
std::optional<QStringList> readContactCard(const QString& path);
common::Status writeContactCard(const QString& path, const QStringList& fields);

// What "Copiar Todos" shows and copies: after each card, the text gathered so far (one message box
// each); the clipboard gets the whole table. Fields are preceded by a TAB and rows end with a lone CR,
// so a reference of several lines is joined with blanks to keep its contact on one row.
struct CategoryTable {
    QStringList progress;
    QString clipboard;
};
CategoryTable categoryTable(const QString& category, const QList<QStringList>& cards);

// Both cards in one, `first` first: a field the two fill differently holds the first text, " / " and the
// parts of the second the first lacks (an equal value is kept once); the reference keeps both texts around
// `separator`, as a day note does. A field that already holds the other's text stays as it is.
QStringList keepBothCards(const QStringList& first, const QStringList& second, const QString& separator);

// The card to store when the shown card was changed elsewhere since it was loaded, or nothing when the
// other version stays. Keeping both keeps every field of both, the other version's first.
std::optional<QStringList> resolveContactChange(common::OutsideChoice choice, const QStringList& mine,
                                                const QStringList& other, const QDateTime& otherTime);

// Keeps both cards in the card at `cardPath` (the copy's fields first), then removes the conflict copy at
// `copyPath`; a card that already holds the copy (a merge cut short before the copy went) is not written
// again. The copy is left in place when either card cannot be read or a step fails.
common::Status mergeContactCopy(const QString& cardPath, const QString& copyPath);

// The surname without the " (2)", " (3)"... that keeps a second contact of that surname in its own file.
QString surnameWithoutNumber(const QString& name);

// The link handed to the mail program; the mail program receives the address exactly as typed.
QString mailtoLink(const QString& address);

// The UID an exported card gets: the same for a contact's file in any category, different in every folder.
QString exportedContactUid(const QString& folderId, const QString& fileName);

} // namespace quindara
