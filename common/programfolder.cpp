// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/programfolder.h"

#include "common/folderindex.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace common {

namespace {

// The entry of `folder` named `part` in any letter case, or an empty string when there is none.
QString entryInAnyCase(const QString& folder, const QString& part) {
    const QString folded = FolderIndex::foldName(part);
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (FolderIndex::foldName(entry) == folded)
            return entry;
    }
    return {};
}

} // namespace

QString programPath(const QString& programFolder, const QString& relative) {
    // One stat per part when the spelling matches; a folder is listed only for a part spelt otherwise.
    QString path = programFolder;
    bool found = true;
    for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
        QString stored = part;
        if (found && !QFileInfo::exists(path + u'/' + part)) {
            stored = entryInAnyCase(path, part);
            found = !stored.isEmpty();
            if (!found)
                stored = part;
        }
        path = QDir(path).filePath(stored);
    }
    return path;
}

Status ensureFolders(const QString& programFolder, const QStringList& relativeFolders) {
    Status made;
    for (const QString& folder : relativeFolders) {
        const QString path = programPath(programFolder, folder);
        if (!QDir().mkpath(path) && made)
            made = Status::failure(
                QStringLiteral("no se puede crear la carpeta %1").arg(QDir::toNativeSeparators(path)));
    }
    return made;
}

namespace {

// Device names Windows refuses as file names, with or without an extension.
bool isReservedDeviceName(const QString& name) {
    const QString stem = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList plain = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                      QStringLiteral("NUL")};
    if (plain.contains(stem))
        return true;
    if (stem.size() == 4 && (stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"))))
        return stem.at(3) >= QLatin1Char('1') && stem.at(3) <= QLatin1Char('9');
    return false;
}

} // namespace

bool isSafeFileName(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String(".") || trimmed == QLatin1String(".."))
        return false;
    if (name.toUtf8().size() > kMaxFileNameBytes || isReservedDeviceName(name))
        return false;
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c))
            return false;
    }
    return true;
}

namespace {

// Zero-width characters and the marks, embeddings, overrides and isolates that turn the text's direction.
bool isInvisibleOrDirection(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x200B && u <= 0x200F) || (u >= 0x202A && u <= 0x202E) || (u >= 0x2060 && u <= 0x2069) ||
           u == 0xFEFF;
}

bool endsInDotOrBlank(const QString& name) {
    return !name.isEmpty() && (name.back() == u'.' || name.back().isSpace());
}

} // namespace

QString windowsNameProblem(const QString& name) {
    if (std::any_of(name.begin(), name.end(), isInvisibleOrDirection))
        return QStringLiteral("tiene caracteres invisibles o que cambian la dirección del texto");
    if (endsInDotOrBlank(name))
        return QStringLiteral("en Windows un nombre de archivo no puede terminar en punto ni en blanco");
    return {};
}

QString withLookAlikes(const QString& name, QString* replaced) {
    QString cleaned;
    cleaned.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        char16_t alike = 0;
        switch (c.unicode()) {
        case u'/':
            alike = u'\u2215';
            break;
        case u'\\':
            alike = u'\u29F5';
            break;
        case u':':
            alike = u'\uA789';
            break;
        case u'*':
            alike = u'\u2217';
            break;
        case u'?':
            alike = u'\uFF1F';
            break;
        case u'"':
            // Opening at the start of a word, closing elsewhere, as typeset quotes are.
            alike = i == 0 || name.at(i - 1).isSpace() ? u'\u201C' : u'\u201D';
            break;
        case u'<':
            alike = u'\u2039';
            break;
        case u'>':
            alike = u'\u203A';
            break;
        case u'|':
            alike = u'\u2223';
            break;
        default:
            break;
        }
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7F;
        if ((alike || control) && replaced && !replaced->contains(c))
            replaced->append(c);
        if (alike)
            cleaned.append(QChar(alike));
        else if (!control)
            cleaned.append(c);
    }
    return cleaned;
}

QString windowsSafeName(const QString& name) {
    QString cleaned;
    cleaned.reserve(name.size());
    for (const QChar c : name) {
        if (!isInvisibleOrDirection(c))
            cleaned.append(c);
    }
    while (endsInDotOrBlank(cleaned))
        cleaned.chop(1);
    return cleaned;
}

} // namespace common
