// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/conflictcopy.h"

#include "common/folderindex.h"
#include "common/timestamp.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringMatcher>

#include <array>

namespace common {

namespace {

struct Pattern {
    const char* tool;
    QRegularExpression expression;
};

// Each pattern captures the name before the marker, the date and time, and the extension after it.
const std::array<Pattern, 3>& patterns() {
    static const std::array<Pattern, 3> all = {{
        {"Syncthing", QRegularExpression(QStringLiteral(
                          R"(^(.+)\.sync-conflict-(\d{8}-\d{6})-[0-9A-Za-z]+((?:\.[^.]*)?)$)"))},
        {"Nextcloud", QRegularExpression(QStringLiteral(
                          R"(^(.+) \(conflicted copy (\d{4}-\d{2}-\d{2} \d{6})\)((?:\.[^.]*)?)$)"))},
        {"Dropbox",
         QRegularExpression(QStringLiteral(
             R"(^(.+) \((?:.+'s conflicted copy|copia en conflicto de .+) (\d{4}-\d{2}-\d{2})(?: \(\d+\))?\)((?:\.[^.]*)?)$)"))},
    }};
    return all;
}

} // namespace

std::optional<ConflictCopy> parseConflictCopyName(const QString& fileName) {
    // Every marker holds "conflict" in lower case, as the expressions match it; most names do not, so the
    // expressions rarely run. One matcher made once: a folder of contacts is tens of thousands of names.
    static const QStringMatcher marker(u"conflict");
    if (marker.indexIn(fileName) < 0)
        return std::nullopt;
    for (const Pattern& pattern : patterns()) {
        const QRegularExpressionMatch match = pattern.expression.match(fileName);
        if (match.hasMatch() && !match.captured(1).trimmed().isEmpty())
            return ConflictCopy{match.captured(1) + match.captured(3), QString::fromLatin1(pattern.tool),
                                match.captured(2)};
    }
    return std::nullopt;
}

QStringList NamesAndCopies::copiesOf(const QString& name) const {
    return copies.isEmpty() ? QStringList() : copies.value(FolderIndex::foldName(name));
}

QString readableWhen(const ConflictCopy& copy, const QDate& today) {
    // Syncthing writes "20261207-101500", Nextcloud "2026-12-07 101500", Dropbox the date alone.
    for (const QString& format : {QStringLiteral("yyyyMMdd-HHmmss"), QStringLiteral("yyyy-MM-dd HHmmss")}) {
        const QDateTime moment = QDateTime::fromString(copy.when, format);
        if (moment.isValid())
            return readableMoment(moment, today);
    }
    const QDate date = QDate::fromString(copy.when, QStringLiteral("yyyy-MM-dd"));
    return date.isValid() ? readableDate(date, today) : copy.when;
}

QString conflictCopyLabel(const QString& name) {
    return name + QStringLiteral(" (copia en conflicto)");
}

NamesAndCopies setConflictCopiesApart(const QStringList& names) {
    NamesAndCopies apart;
    QHash<QString, QString> originalOfCopy;
    for (const QString& name : names) {
        if (const auto copy = parseConflictCopyName(name))
            originalOfCopy.insert(name, FolderIndex::foldName(copy->originalName));
    }
    // Most folders hold no copy: their names are taken as they are.
    if (originalOfCopy.isEmpty()) {
        apart.names = names;
        return apart;
    }
    QSet<QString> present;
    for (const QString& name : names) {
        if (!originalOfCopy.contains(name))
            present.insert(FolderIndex::foldName(name));
    }
    for (const QString& name : names) {
        const auto original = originalOfCopy.constFind(name);
        if (original != originalOfCopy.cend() && present.contains(*original))
            apart.copies[*original].append(name);
        else
            apart.names.append(name);
    }
    for (QStringList& copies : apart.copies)
        copies.sort();
    return apart;
}

} // namespace common
