// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace quindara {

// Text as the search compares it: lower case, vowels without their accents or diaeresis ("ACCIÓN" and
// "pingüino" become "accion" and "pinguino") while "ñ" stays a letter of its own, and line breaks and
// tabs as blanks. Composed first, so "e" + combining accent folds like "é". One UTF-16 unit in, one out:
// a position in the folded text is the same position in the composed original.
QString foldForSearch(const QString& text);
// The folded text of a file's bytes, as UTF-8, with CR LF and a lone CR taken as one line end. Plain
// UTF-8 of Latin letters is folded byte by byte; anything else goes through decodeText and foldForSearch.
QByteArray foldFileBytesForSearch(const QByteArray& bytes);
// The composed form foldForSearch works on (the text itself when it is already composed).
QString composedForSearch(const QString& text);
// The text on one line: line breaks and tabs become blanks, runs of blanks one blank.
QString oneLine(QString text);

// What the user typed, as terms that must all appear: each word alone, or the text between double
// quotes as one phrase. Terms are folded and kept twice: as text for excerpts, as UTF-8 for scanning.
struct SearchQuery {
    QList<QString> terms;
    QList<QByteArray> utf8Terms;

    bool isEmpty() const { return terms.isEmpty(); }
    // True when every document this query finds is also found by `broader`: each of broader's terms
    // lies inside one of ours (typing one more letter, or one more word).
    bool narrows(const SearchQuery& broader) const;
};

SearchQuery parseSearchQuery(const QString& typed);

// Whether every term appears in the folded UTF-8 text.
bool foldedTextMatches(const QByteArray& foldedUtf8, const SearchQuery& query);
// The same for plain text (CR LF taken as one line end); what the naive way uses.
bool textMatches(const QString& text, const SearchQuery& query);

// A short piece of `text` around the first place a term appears, on one line, with "..." where it was
// cut. The beginning of the text when no term appears.
QString searchExcerpt(const QString& text, const SearchQuery& query);

} // namespace quindara
