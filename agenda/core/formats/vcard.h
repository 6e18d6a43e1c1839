// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace quindara {

struct VCardReading {
    // Set when the file is not a whole, well-formed set of cards: then `contacts` is empty.
    QString refusal;
    // The seven fields of the address book, one list per card.
    QList<QStringList> contacts;
    // The UID of each card of `contacts`, empty when it has none.
    QStringList uids;
    // One line per card left out, with its reason.
    QStringList skipped;
};

// Cards of vCard 2.1, 3.0 and 4.0 as phones and programs write them: folded lines, QUOTED-PRINTABLE with
// soft line breaks, CHARSET, groups, several TEL and EMAIL (joined with ", "), one file of cards or an
// address book (BEGIN:VADDRESSBOOK around them). What has no field of its own (a country, a company, a
// web page, a birthday, another address...) goes into the reference, one "Label: value" line each, below
// the card's note; a photo is listed as left out. Works on bytes alone, so it can be fed anything.
VCardReading readVCards(const QByteArray& bytes);

struct ExportedCard {
    QStringList fields;
    QString uid;
    QDateTime revision; // when the contact was last saved; none when invalid
};

// The cards as vCard 4.0 (UTF-8, CR LF, folded at 75 octets). A field holding several numbers or
// addresses joined with ", " gives one TEL or EMAIL each; `category` goes to CATEGORIES unless empty.
// N and FN carry the surname without the " (2)" that only keeps a second contact's file apart.
QByteArray writeVCards(const QList<ExportedCard>& cards, const QString& category);

// `previous`, one card of another program, with only the fields that `fresh` (a card writeVCards made)
// holds otherwise replaced: a changed phone list keeps the lines (and types) of the numbers that stay, a
// changed address only its street, place and postcode, a changed reference only the note and the lines
// the user took out of it; every other line stays as it was. Empty when `previous` is not one card.
QByteArray updatedVCard(const QByteArray& previous, const QByteArray& fresh);

} // namespace quindara
