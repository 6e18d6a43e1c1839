// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/contacts/contactcard.h"

#include "common/folderindex.h"
#include "common/textfile.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

namespace quindara {

namespace {

const QChar kTab = u'\t';
const QChar kCarriageReturn = u'\r';

// A one-line field must stay on its own line, or every later field would shift.
QString oneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

} // namespace

QStringList contactFieldsFromLines(const QStringList& lines) {
    QStringList fields;
    fields.reserve(kContactFieldCount);
    for (int i = 0; i < kReferenceField; ++i)
        fields.append(lines.value(i));
    fields.append(lines.mid(kReferenceField).join(u'\n'));
    return fields;
}

QStringList contactLinesFromFields(const QStringList& fields) {
    QStringList lines;
    lines.reserve(kContactFieldCount);
    for (int i = 0; i < kReferenceField; ++i)
        lines.append(oneLine(fields.value(i)));
    QString reference = fields.value(kReferenceField);
    reference.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    reference.replace(u'\r', u'\n');
    lines.append(reference.split(u'\n'));
    return lines;
}

std::optional<QStringList> readContactCard(const QString& path) {
    const auto bytes = common::readBytes(path);
    if (!bytes)
        return std::nullopt;
    return contactFieldsFromLines(common::textFromBytes(*bytes, common::Ending::Line).split(u'\n'));
}

common::Status writeContactCard(const QString& path, const QStringList& fields) {
    return common::writeLines(path, contactLinesFromFields(fields));
}

QStringList keepBothCards(const QStringList& first, const QStringList& second, const QString& separator) {
    QStringList kept;
    for (int i = 0; i < kContactFieldCount; ++i)
        kept.append(common::keepBothTexts(first.value(i), second.value(i), separator,
                                          i == kReferenceField ? common::TextShape::Lines
                                                               : common::TextShape::OneLine));
    return kept;
}

std::optional<QStringList> resolveContactChange(common::OutsideChoice choice, const QStringList& mine,
                                                const QStringList& other, const QDateTime& otherTime) {
    if (choice == common::OutsideChoice::UseOther)
        return std::nullopt;
    if (choice == common::OutsideChoice::UseMine)
        return mine;
    return keepBothCards(other, mine, common::keptBothSeparator(otherTime));
}

common::Status mergeContactCopy(const QString& cardPath, const QString& copyPath) {
    const common::FileVersion copyVersion = common::FileVersion::at(copyPath);
    const auto copy = readContactCard(copyPath);
    const auto card = readContactCard(cardPath);
    if (!copy || !card)
        return common::Status::failure(QStringLiteral("no se puede leer %1").arg(copy ? cardPath : copyPath));
    const QStringList merged =
        keepBothCards(*copy, *card, common::conflictCopySeparator(copyVersion.modified()));
    if (merged != *card) {
        if (common::Status written = writeContactCard(cardPath, merged); !written)
            return written;
    }
    if (!common::removeFile(copyPath))
        return common::Status::failure(QStringLiteral("no se puede borrar %1").arg(copyPath));
    return {};
}

CategoryTable categoryTable(const QString& category, const QList<QStringList>& cards) {
    CategoryTable table;
    QString text = kTab + category + kCarriageReturn + kCarriageReturn;
    for (const QStringList& card : cards) {
        for (int i = 0; i < kContactFieldCount; ++i) {
            QString field = card.value(i);
            if (i == kReferenceField)
                field.replace(u'\n', u' ');
            text += kTab + field;
        }
        table.progress.append(text);
        text += kCarriageReturn;
    }
    table.clipboard = text;
    return table;
}

QString surnameWithoutNumber(const QString& name) {
    static const QRegularExpression numbered(QStringLiteral("^(.*\\S) \\(([1-9]\\d*)\\)$"));
    const QRegularExpressionMatch match = numbered.match(name);
    return match.hasMatch() && match.captured(2) != u"1" ? match.captured(1) : name;
}

// Percent-encoded, so that a "#", "?", "&" or "%" in the address can neither cut the link short nor
// reach the subject; "@" and the "," between several addresses stay readable.
QString mailtoLink(const QString& address) {
    return QLatin1String("mailto:") + QString::fromLatin1(QUrl::toPercentEncoding(address, "@,")) +
           QLatin1String("?Subject=") + QLatin1String("&Body=");
}

QString exportedContactUid(const QString& folderId, const QString& fileName) {
    const QUuid space = QUuid::fromString(folderId);
    const QUuid base = space.isNull() ? QUuid::createUuidV5(QUuid(), folderId) : space;
    return QStringLiteral("urn:uuid:") +
           QUuid::createUuidV5(base, common::FolderIndex::foldName(fileName)).toString(QUuid::WithoutBraces);
}

} // namespace quindara
