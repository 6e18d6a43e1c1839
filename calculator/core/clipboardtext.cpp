#include "calculator/core/clipboardtext.h"

#include "calculator/core/tape.h"

#include <algorithm>
#include <functional>

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
std::optional<QString> unsignedNumber(QStringView text, const Separators& separators) {
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
    if (lastPoint >= 0 && lastComma >= 0) {
        decimal = lastPoint > lastComma ? u'.' : u',';
    } else if (lastPoint >= 0 || lastComma >= 0) {
        const QChar mark = lastPoint >= 0 ? u'.' : u',';
        const qsizetype at = std::max(lastPoint, lastComma);
        if (text.count(mark) == 1) {
            const QStringView before = text.left(at);
            const QStringView after = text.mid(at + 1);
            const bool couldGroup = after.size() == 3 && std::all_of(after.begin(), after.end(), isDigit) &&
                                    !before.isEmpty() && before.size() <= 3 && before.front() != u'0' &&
                                    std::all_of(before.begin(), before.end(), isDigit);
            // "1.234": the locale says whether that is a thousand or one and a bit.
            if (!couldGroup || separators.decimal == QString(mark) || separators.group != QString(mark))
                decimal = mark;
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

std::optional<QString> readPastedNumber(QStringView field, const Separators& separators) {
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
    const std::optional<QString> number = unsignedNumber(text, separators);
    if (!number)
        return std::nullopt;
    return negative ? u'-' + *number : *number;
}

PastedNumbers readPastedNumbers(QStringView text, const Separators& separators) {
    PastedNumbers pasted;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QStringView line = text.mid(start, end - start);
        start = end + (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n' ? 2 : 1);
        if (line.trimmed().isEmpty())
            continue;
        bool found = false;
        qsizetype fieldStart = 0;
        for (qsizetype k = 0; k <= line.size(); ++k) {
            if (k < line.size() && line[k] != u'\t' && line[k] != u';')
                continue;
            if (const auto number = readPastedNumber(line.mid(fieldStart, k - fieldStart), separators)) {
                pasted.numbers.append(*number);
                found = true;
            }
            fieldStart = k + 1;
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
