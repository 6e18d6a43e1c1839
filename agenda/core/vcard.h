#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace quindara {

struct VCardReading {
    // Set when the file is not a whole, well-formed set of cards: then `contacts` is empty.
    QString refusal;
    // The seven fields of the address book, one list per card.
    QList<QStringList> contacts;
    // One line per card left out, with its reason.
    QStringList skipped;
};

// Cards of vCard 2.1, 3.0 and 4.0 as phones and programs write them: folded lines, QUOTED-PRINTABLE with
// soft line breaks, CHARSET, groups, several TEL and EMAIL (joined with ", "); PHOTO and the rest ignored.
// Works on bytes alone, so it can be fed anything.
VCardReading readVCards(const QByteArray& bytes);

// The cards as vCard 4.0 (UTF-8, CR LF, folded at 75 octets). A field holding several numbers or
// addresses joined with ", " gives one TEL or EMAIL each; `category` goes to CATEGORIES unless empty.
QByteArray writeVCards(const QList<QStringList>& cards, const QString& category);

} // namespace quindara
