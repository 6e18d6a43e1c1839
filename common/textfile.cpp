#include "common/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace common {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
constexpr char16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QString decodeCp1252(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
    return text;
}

QString normaliseLineEnds(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

qsizetype lastLineStart(const QString& text) {
    return text.lastIndexOf(QLatin1Char('\n')) + 1;
}

} // namespace

int zonePadding(int lastLineLength) {
    return kZoneWidth - lastLineLength % kZoneWidth;
}

QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeCp1252(bytes);
}

QByteArray encodeText(const QString& text, Ending ending) {
    QString out = text;
    out.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    switch (ending) {
    case Ending::Line:
        out += QStringLiteral("\r\n");
        break;
    case Ending::Bare:
        break;
    case Ending::Zoned: {
        const auto lineLength = static_cast<int>(text.size() - lastLineStart(text));
        out += QString(zonePadding(lineLength), QLatin1Char(' '));
        break;
    }
    }
    return out.toUtf8();
}

QString textFromBytes(const QByteArray& bytes, Ending ending) {
    QString text = normaliseLineEnds(decodeText(bytes));
    switch (ending) {
    case Ending::Line:
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        break;
    case Ending::Bare:
        break;
    case Ending::Zoned: {
        // Only a last line that fills whole zones can carry padding; strip its blanks, at most one zone.
        const qsizetype lineLength = text.size() - lastLineStart(text);
        if (lineLength == 0 || lineLength % kZoneWidth != 0)
            break;
        int blanks = 0;
        while (blanks < kZoneWidth && text.at(text.size() - 1 - blanks) == QLatin1Char(' '))
            ++blanks;
        text.chop(blanks);
        break;
    }
    }
    return text;
}

std::optional<QByteArray> readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok)
        ok = file.write(bytes) == bytes.size();
    if (ok)
        ok = file.commit();
    else
        file.cancelWriting();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

std::optional<QString> readText(const QString& path, Ending ending) {
    const auto bytes = readBytes(path);
    if (!bytes)
        return std::nullopt;
    return textFromBytes(*bytes, ending);
}

QString readTextOrEmpty(const QString& path, Ending ending) {
    return readText(path, ending).value_or(QString());
}

bool writeText(const QString& path, const QString& text, Ending ending, QString* error) {
    return writeBytes(path, encodeText(text, ending), error);
}

QStringList readLines(const QString& path) {
    const auto bytes = readBytes(path);
    if (!bytes || bytes->isEmpty())
        return {};
    QString text = normaliseLineEnds(decodeText(*bytes));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

bool writeLines(const QString& path, const QStringList& lines, QString* error) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return writeBytes(path, bytes, error);
}

bool removeFile(const QString& path) {
    return QFile::remove(path) || !QFileInfo::exists(path);
}

} // namespace common
