// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/search/searchtext.h"

#include "common/textfile.h"

#include <cstring>

namespace quindara {

namespace {

constexpr int kExcerptBefore = 30;
constexpr int kExcerptAfter = 60;
const QString kCut = QStringLiteral("...");

// Lower-case accented vowels of Latin-1 (0xE0 to 0xFF) and their plain vowel; a blank keeps the letter,
// so "ñ" (0xF1) and "ç" (0xE7) stay letters of their own.
constexpr char kPlainVowels[] = "aaaaaa  eeeeiiii  ooooo  uuuuy y";

char16_t plainVowel(char16_t lower) {
    if (lower < 0xE0 || lower > 0xFF)
        return lower;
    const char plain = kPlainVowels[lower - 0xE0];
    return plain == ' ' ? lower : char16_t(plain);
}

bool isAscii(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

bool containsBytes(const QByteArray& haystack, const QByteArray& needle) {
    return memmem(haystack.constData(), size_t(haystack.size()), needle.constData(), size_t(needle.size())) !=
           nullptr;
}

} // namespace

QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    }
    return text.simplified();
}

QString composedForSearch(const QString& text) {
    return isAscii(text) ? text : text.normalized(QString::NormalizationForm_C);
}

QString foldForSearch(const QString& text) {
    QString folded = composedForSearch(text);
    for (QChar& c : folded) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            if (u >= u'A' && u <= u'Z')
                c = QChar(char16_t(u + (u'a' - u'A')));
            else if (u == u'\n' || u == u'\r' || u == u'\t')
                c = u' ';
            continue;
        }
        c = QChar(plainVowel(c.toCaseFolded().unicode()));
    }
    return folded;
}

QByteArray foldFileBytesForSearch(const QByteArray& bytes) {
    QByteArray folded(bytes.size(), Qt::Uninitialized);
    char* out = folded.data();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char b = in[i];
        if (b < 0x80) {
            if (b >= 'A' && b <= 'Z')
                *out++ = char(b + ('a' - 'A'));
            else if (b == '\r' && i + 1 < size && in[i + 1] == '\n')
                continue;
            else if (b == '\r' || b == '\n' || b == '\t')
                *out++ = ' ';
            else
                *out++ = char(b);
            continue;
        }
        const unsigned char next = i + 1 < size ? in[i + 1] : 0;
        const bool signOrLetter = (b == 0xC2 && next != 0xB5) || b == 0xC3;
        if (!signOrLetter || (next & 0xC0) != 0x80 || (i + 2 < size && (in[i + 2] & 0xC0) == 0x80))
            return foldForSearch(common::textFromBytes(bytes, common::Ending::Bare)).toUtf8();
        ++i;
        if (b == 0xC2) {
            // Signs of U+0080 to U+00BF ("¿", "¡", "º") fold to themselves; "µ" took the slow way.
            *out++ = char(b);
            *out++ = char(next);
            continue;
        }
        char16_t letter = char16_t(0xC0 + (next & 0x3F));
        if (letter <= 0xDE && letter != 0xD7)
            letter = char16_t(letter + 0x20);
        letter = plainVowel(letter);
        if (letter < 0x80) {
            *out++ = char(letter);
        } else {
            *out++ = char(0xC3);
            *out++ = char(0x80 | (letter & 0x3F));
        }
    }
    folded.truncate(out - folded.data());
    return folded;
}

bool SearchQuery::narrows(const SearchQuery& broader) const {
    if (broader.isEmpty())
        return false;
    for (const QString& old : broader.terms) {
        bool inside = false;
        for (const QString& term : terms)
            inside = inside || term.contains(old);
        if (!inside)
            return false;
    }
    return true;
}

SearchQuery parseSearchQuery(const QString& typed) {
    SearchQuery query;
    const QString folded = foldForSearch(typed);
    const auto add = [&query](const QString& term) {
        if (!term.isEmpty() && !query.terms.contains(term)) {
            query.terms.append(term);
            query.utf8Terms.append(term.toUtf8());
        }
    };
    // Even pieces are loose words, odd pieces the phrases between quotes; an open quote runs to the end.
    const QStringList pieces = folded.split(u'"');
    for (int i = 0; i < pieces.size(); ++i) {
        if (i % 2 == 1) {
            add(pieces[i].simplified());
        } else {
            for (const QString& word : pieces[i].split(u' ', Qt::SkipEmptyParts))
                add(word);
        }
    }
    return query;
}

bool foldedTextMatches(const QByteArray& foldedUtf8, const SearchQuery& query) {
    if (query.isEmpty())
        return false;
    for (const QByteArray& term : query.utf8Terms) {
        if (!containsBytes(foldedUtf8, term))
            return false;
    }
    return true;
}

bool textMatches(const QString& text, const SearchQuery& query) {
    if (query.isEmpty())
        return false;
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QString folded = foldForSearch(lines);
    for (const QString& term : query.terms) {
        if (!folded.contains(term))
            return false;
    }
    return true;
}

QString searchExcerpt(const QString& text, const SearchQuery& query) {
    const QString composed = composedForSearch(text);
    const QString folded = foldForSearch(composed);
    qsizetype first = -1;
    qsizetype length = 0;
    for (const QString& term : query.terms) {
        const qsizetype at = folded.indexOf(term);
        if (at >= 0 && (first < 0 || at < first)) {
            first = at;
            length = term.size();
        }
    }
    if (first < 0) {
        first = 0;
        length = 0;
    }
    qsizetype from = std::max<qsizetype>(0, first - kExcerptBefore);
    qsizetype to = std::min<qsizetype>(composed.size(), first + length + kExcerptAfter);
    // Cut between words, never inside one.
    if (from > 0) {
        const qsizetype blank = folded.indexOf(u' ', from - 1);
        if (blank >= 0 && blank < first)
            from = blank + 1;
    }
    if (to < composed.size()) {
        const qsizetype blank = folded.lastIndexOf(u' ', to);
        if (blank > first + length)
            to = blank;
    }
    QString excerpt = oneLine(composed.mid(from, to - from));
    if (from > 0)
        excerpt.prepend(kCut);
    if (to < composed.size() && !oneLine(composed.mid(to)).isEmpty())
        excerpt.append(kCut);
    return excerpt;
}

} // namespace quindara
