// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/clipboardtext.h"

#include "calculator/core/tape.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace tallimo {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Blanks people group thousands with, besides "." and ",".
bool isGroupBlank(QChar c) {
    return c == u' ' || c == u'\u00A0' || c == u'\u202F' || c == u'\'';
}

bool isMinus(QChar c) {
    return c == u'-' || c == u'\u2212';
}

QStringView trimmed(QStringView text) {
    return text.trimmed();
}

// A currency sign ("€", "$") or a three-letter code ("EUR") at the start or the end.
QStringView withoutCurrency(QStringView text) {
    const auto isCode = [](QStringView part) {
        for (QChar c : part)
            if (c < u'A' || c > u'Z')
                return false;
        return true;
    };
    while (!text.isEmpty() && text.front().category() == QChar::Symbol_Currency)
        text = trimmed(text.mid(1));
    while (!text.isEmpty() && text.back().category() == QChar::Symbol_Currency)
        text = trimmed(text.chopped(1));
    if (text.size() > 3 && isCode(text.left(3)))
        text = trimmed(text.mid(3));
    if (text.size() > 3 && isCode(text.right(3)))
        text = trimmed(text.chopped(3));
    return text;
}

// Digits grouped in threes by any of `isGroup`; the first group has one to three digits.
std::optional<QString> groupedDigits(QStringView text, const std::function<bool(QChar)>& isGroup) {
    QString digits;
    int inGroup = 0;
    bool grouped = false;
    for (QChar c : text) {
        if (isDigit(c)) {
            digits += c;
            ++inGroup;
        } else if (isGroup(c)) {
            if (inGroup == 0 || inGroup > 3 || (grouped && inGroup != 3))
                return std::nullopt;
            grouped = true;
            inGroup = 0;
        } else {
            return std::nullopt;
        }
    }
    if (grouped && inGroup != 3)
        return std::nullopt;
    return digits;
}

// Digits with "." and "," in any of the usual roles, and an optional exponent; "." as decimal point.
// `columnDecimal` settles a text that reads both ways ("1.500"), as the other numbers of its column do;
// `decimalSeen` receives the decimal mark this text shows beyond doubt.
std::optional<QString> unsignedNumber(QStringView text, const Separators& separators,
                                      std::optional<QChar> columnDecimal, std::optional<QChar>* decimalSeen) {
    QString exponent;
    const qsizetype marker = std::max(text.lastIndexOf(u'E'), text.lastIndexOf(u'e'));
    if (marker > 0) {
        QStringView tail = text.mid(marker + 1);
        QString sign;
        if (!tail.isEmpty() && (tail.front() == u'+' || isMinus(tail.front()))) {
            sign = isMinus(tail.front()) ? QStringLiteral("-") : QStringLiteral("+");
            tail = tail.mid(1);
        }
        if (tail.isEmpty() || !std::all_of(tail.begin(), tail.end(), isDigit))
            return std::nullopt;
        exponent = u'E' + sign + tail.toString();
        text = text.left(marker);
    }
    const qsizetype lastPoint = text.lastIndexOf(u'.');
    const qsizetype lastComma = text.lastIndexOf(u',');
    QChar decimal;
    const auto seen = [decimalSeen](QChar mark) {
        if (decimalSeen)
            *decimalSeen = mark;
    };
    if (lastPoint >= 0 && lastComma >= 0) {
        decimal = lastPoint > lastComma ? u'.' : u',';
        seen(decimal);
    } else if (lastPoint >= 0 || lastComma >= 0) {
        const QChar mark = lastPoint >= 0 ? u'.' : u',';
        const qsizetype at = std::max(lastPoint, lastComma);
        if (text.count(mark) == 1) {
            const QStringView before = text.left(at);
            const QStringView after = text.mid(at + 1);
            const bool couldGroup = after.size() == 3 && std::all_of(after.begin(), after.end(), isDigit) &&
                                    !before.isEmpty() && before.size() <= 3 && before.front() != u'0' &&
                                    std::all_of(before.begin(), before.end(), isDigit);
            // "1.234": its column, or else the locale, says whether that is a thousand or one and a bit.
            if (!couldGroup) {
                decimal = mark;
                seen(mark);
            } else if (columnDecimal) {
                if (*columnDecimal == mark)
                    decimal = mark;
            } else if (separators.decimal == QString(mark) || separators.group != QString(mark)) {
                decimal = mark;
            }
        } else {
            // Grouped more than once: the other mark would be the decimal point.
            seen(mark == u'.' ? u',' : u'.');
        }
    }
    QStringView whole = text;
    QStringView fraction;
    if (!decimal.isNull()) {
        const qsizetype at = text.lastIndexOf(decimal);
        whole = text.left(at);
        fraction = text.mid(at + 1);
        if (!std::all_of(fraction.begin(), fraction.end(), isDigit))
            return std::nullopt;
    }
    const QChar group = decimal == u'.' ? u',' : (decimal == u',' ? u'.' : QChar());
    const auto isGroup = [group](QChar c) {
        return isGroupBlank(c) || (group.isNull() ? (c == u'.' || c == u',') : c == group);
    };
    // Only one kind of mark may group a number.
    if (decimal.isNull() && whole.contains(u'.') && whole.contains(u','))
        return std::nullopt;
    const std::optional<QString> digits = groupedDigits(whole, isGroup);
    if (!digits || (digits->isEmpty() && fraction.isEmpty()))
        return std::nullopt;
    QString number = digits->isEmpty() ? QStringLiteral("0") : *digits;
    if (!fraction.isEmpty())
        number += u'.' + fraction.toString();
    return number + exponent;
}

} // namespace

std::optional<QString> readPastedNumber(QStringView field, const Separators& separators,
                                        std::optional<QChar> columnDecimal,
                                        std::optional<QChar>* decimalSeen) {
    QStringView text = withoutCurrency(trimmed(field));
    bool negative = false;
    if (text.size() >= 2 && text.front() == u'(' && text.back() == u')') {
        negative = true;
        text = withoutCurrency(trimmed(text.mid(1, text.size() - 2)));
    }
    const auto takeSign = [&](bool atStart) {
        if (text.isEmpty())
            return;
        const QChar c = atStart ? text.front() : text.back();
        if (!isMinus(c) && !(atStart && c == u'+'))
            return;
        if (negative && isMinus(c)) {
            negative = false;
            text = {};
            return;
        }
        negative = isMinus(c);
        text = withoutCurrency(trimmed(atStart ? text.mid(1) : text.chopped(1)));
    };
    takeSign(true);
    if (!negative)
        takeSign(false);
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<QString> number = unsignedNumber(text, separators, columnDecimal, decimalSeen);
    if (!number)
        return std::nullopt;
    return negative ? u'-' + *number : *number;
}

std::optional<QString> readPastedNumber(QStringView field, const Separators& separators) {
    return readPastedNumber(field, separators, std::nullopt, nullptr);
}

namespace {

using Fields = std::vector<QStringView>;

// The lines that hold something, each cut into its fields at TAB (and at ";" unless `tabsOnly`).
std::vector<Fields> pastedLines(QStringView text, bool tabsOnly) {
    std::vector<Fields> lines;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QStringView line = text.mid(start, end - start);
        start = end + (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n' ? 2 : 1);
        if (line.trimmed().isEmpty())
            continue;
        Fields fields;
        qsizetype fieldStart = 0;
        for (qsizetype k = 0; k <= line.size(); ++k) {
            if (k < line.size() && line[k] != u'\t' && (tabsOnly || line[k] != u';'))
                continue;
            fields.push_back(line.mid(fieldStart, k - fieldStart));
            fieldStart = k + 1;
        }
        lines.push_back(std::move(fields));
    }
    return lines;
}

// A tape the calculator copied: row number, operation name, amount, one row a line counting up, then
// perhaps the total line. Gives the number of the total line (or the count of lines without one).
std::optional<std::size_t> ownTapeRows(const std::vector<Fields>& lines, const Separators& separators) {
    if (lines.empty())
        return std::nullopt;
    std::size_t rows = lines.size();
    const Fields& last = lines.back();
    if (last.size() == 3 && last[0].trimmed().isEmpty() &&
        last[1].trimmed().compare(u"Total", Qt::CaseInsensitive) == 0)
        --rows;
    if (rows == 0)
        return std::nullopt;
    qint64 previous = -1;
    for (std::size_t i = 0; i < rows; ++i) {
        const Fields& fields = lines[i];
        if (fields.size() != 3)
            return std::nullopt;
        bool whole = false;
        const qint64 number = fields[0].trimmed().toLongLong(&whole);
        // An operation's name is never a number: a third number column makes a table of numbers.
        if (!whole || number < 1 || (previous >= 0 && number != previous + 1) ||
            readPastedNumber(fields[1], separators))
            return std::nullopt;
        previous = number;
    }
    return rows;
}

} // namespace

PastedNumbers readPastedNumbers(QStringView text, const Separators& separators) {
    std::vector<Fields> lines = pastedLines(text, true);
    // Our own tape gives back its amounts only; any other text is read field by field.
    if (const std::optional<std::size_t> rows = ownTapeRows(lines, separators)) {
        lines.resize(*rows);
        for (Fields& fields : lines)
            fields = Fields{fields[2]};
    } else {
        lines = pastedLines(text, false);
    }
    // The decimal mark of each column, where its numbers show one and only one.
    std::vector<std::optional<QChar>> columnDecimal;
    std::vector<bool> columnMixed;
    for (const Fields& fields : lines) {
        for (std::size_t column = 0; column < fields.size(); ++column) {
            std::optional<QChar> seen;
            if (!readPastedNumber(fields[column], separators, std::nullopt, &seen) || !seen)
                continue;
            if (columnDecimal.size() <= column) {
                columnDecimal.resize(column + 1);
                columnMixed.resize(column + 1, false);
            }
            if (columnDecimal[column] && *columnDecimal[column] != *seen)
                columnMixed[column] = true;
            columnDecimal[column] = seen;
        }
    }
    for (std::size_t column = 0; column < columnDecimal.size(); ++column)
        if (columnMixed[column])
            columnDecimal[column].reset();

    PastedNumbers pasted;
    for (const Fields& fields : lines) {
        bool found = false;
        for (std::size_t column = 0; column < fields.size(); ++column) {
            const std::optional<QChar> decimal =
                column < columnDecimal.size() ? columnDecimal[column] : std::nullopt;
            if (const auto number = readPastedNumber(fields[column], separators, decimal, nullptr)) {
                pasted.numbers.append(*number);
                found = true;
            }
        }
        if (!found)
            ++pasted.linesWithoutNumber;
    }
    return pasted;
}

QString plainNumber(const QString& numberText, const Separators& separators) {
    QString text = numberText;
    text.replace(u'.', separators.decimal);
    return text;
}

QString tapeText(const Tape& tape, const QStringList& operationNames, const QString& total,
                 const Separators& separators) {
    QString text;
    for (int i = 0; i <= tape.currentRow(); ++i) {
        text += QString::number(i + 1) + u'\t';
        if (i > 0)
            text += operationNames.value(tape.operation(i));
        text += u'\t' + plainNumber(tape.text(i), separators) + u'\n';
    }
    text += u'\t' + QStringLiteral("Total") + u'\t' + plainNumber(total, separators) + u'\n';
    return text;
}

} // namespace tallimo
