// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/formats/contentline.h"

namespace quindara {

namespace {

constexpr qsizetype kFoldOctets = 75;

bool isUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool isForbiddenControl(char16_t c) {
    return (c < 0x20 && c != u'\t') || c == 0x7F;
}

} // namespace

qsizetype forbiddenControlAt(QStringView line) {
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (isForbiddenControl(line.at(i).unicode()))
            return i;
    }
    return -1;
}

qsizetype forbiddenControlAt(QByteArrayView line) {
    // UTF-8 and Windows-1252 alike hold these characters only as these bytes.
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (isForbiddenControl(static_cast<unsigned char>(line.at(i))))
            return i;
    }
    return -1;
}

QString withoutForbiddenControls(const QString& line) {
    if (forbiddenControlAt(QStringView(line)) < 0)
        return line;
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        if (!isForbiddenControl(c.unicode()))
            out += c;
    }
    return out;
}

QByteArray withoutForbiddenControls(const QByteArray& line) {
    if (forbiddenControlAt(QByteArrayView(line)) < 0)
        return line;
    QByteArray out;
    out.reserve(line.size());
    for (const char c : line) {
        if (!isForbiddenControl(static_cast<unsigned char>(c)))
            out += c;
    }
    return out;
}

QString forbiddenControlReason(char16_t c) {
    return QStringLiteral("contiene un carácter de control (U+%1), que el formato no admite")
        .arg(QString::number(uint(c), 16).toUpper().rightJustified(4, u'0'));
}

QString escapeContentText(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' || c == u',' || c == u';') {
            out += u'\\';
            out += c;
        } else if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                continue;
            out += QLatin1String("\\n");
        } else if (c == u'\n') {
            out += QLatin1String("\\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString unescapeContentText(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text.at(++i);
        out += (next == u'n' || next == u'N') ? QChar(u'\n') : next;
    }
    return out;
}

QStringList splitStructuredValue(QStringView value) {
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) == u'\\') {
            ++i;
        } else if (value.at(i) == u';') {
            parts.append(unescapeContentText(value.mid(start, i - start)));
            start = i + 1;
        }
    }
    parts.append(unescapeContentText(value.mid(start)));
    return parts;
}

QByteArray foldedContentLine(const QString& line) {
    // A note or card may hold a stray control character (a NUL from a damaged copy): the formats have no
    // way to carry it, and a reader would refuse the file.
    const QByteArray bytes = withoutForbiddenControls(line).toUtf8();
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 70 * 3 + 2);
    qsizetype start = 0;
    qsizetype room = kFoldOctets;
    while (bytes.size() - start > room) {
        qsizetype cut = start + room;
        while (cut > start && isUtf8Continuation(bytes.at(cut)))
            --cut;
        out += bytes.mid(start, cut - start);
        out += "\r\n ";
        start = cut;
        room = kFoldOctets - 1; // the leading blank counts
    }
    out += bytes.mid(start);
    out += "\r\n";
    return out;
}

} // namespace quindara
