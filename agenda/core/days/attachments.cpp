// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/attachments.h"

#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/storedtext.h"
#include "common/folderindex.h"
#include "common/programfolder.h"
#include "common/storedfile.h"
#include "common/textfile.h"

#include <QFile>
#include <QFileInfo>

namespace quindara {

namespace {

constexpr qint64 kChunk = 1 << 20;

bool sameBytes(const QString& first, const QString& second) {
    QFile a;
    QFile b;
    if (!common::openNative(QFile::encodeName(first), a) ||
        !common::openNative(QFile::encodeName(second), b) || a.size() != b.size())
        return false;
    while (!a.atEnd()) {
        if (a.read(kChunk) != b.read(kChunk))
            return false;
    }
    return true;
}

} // namespace

QString attachmentListKey(const QString& day, const QString& month, const QString& year, bool everyYear) {
    return everyYear ? annualKey(day, month) : datedKey(day, month, year);
}

Attachments::Attachments(const DataFolder& data) : data_(data) {}

bool Attachments::isStorableName(const QString& fileName) {
    return common::isSafeFileName(fileName) && !fileName.contains(u'\n') && !fileName.contains(u'\r');
}

QStringList Attachments::readList(const QString& listKey) const {
    if (!common::isSafeFileName(listKey + kTxt))
        return {};
    return common::readLines(data_.attachmentListFile(listKey));
}

common::Status Attachments::writeList(const QString& listKey, const QStringList& entries) const {
    // The whole key names one file: "../x" would pass a check of the last part of the path.
    if (!common::isSafeFileName(listKey + kTxt))
        return common::Status::failure(QStringLiteral("nombre de lista no válido"));
    common::FolderIndex lists(data_.folder(folders::attachmentLists));
    lists.refresh();
    return common::writeLines(lists.pathFor(listKey + kTxt), entries);
}

common::Result<QStringList> Attachments::currentList(const QString& listKey) const {
    if (!common::isSafeFileName(listKey + kTxt))
        return common::Status::failure(QStringLiteral("nombre de lista no válido"));
    common::FolderIndex lists(data_.folder(folders::attachmentLists));
    lists.refresh();
    const StoredText stored = readIndexedText(lists, listKey + kTxt, common::Ending::Line);
    if (!stored.readable())
        return common::Status::failure(QStringLiteral("no se puede leer %1").arg(stored.unreadablePath));
    return stored.text.isEmpty() ? QStringList() : stored.text.split(u'\n');
}

common::Result<QStringList> Attachments::addToList(const QString& listKey, const QString& entry) const {
    const common::Result<QStringList> current = currentList(listKey);
    if (!current)
        return current;
    QStringList entries = *current;
    // A name the list already holds (in any case: both open the same copy) stays one entry.
    const QString folded = common::FolderIndex::foldName(entry);
    for (const QString& held : entries) {
        if (common::FolderIndex::foldName(held) == folded)
            return entries;
    }
    entries.append(entry);
    if (const common::Status written = writeList(listKey, entries); !written)
        return written;
    return entries;
}

common::Result<QStringList> Attachments::removeFromList(const QString& listKey, const QString& entry) const {
    const common::Result<QStringList> current = currentList(listKey);
    if (!current)
        return current;
    QStringList entries = *current;
    // Removed elsewhere already, the list is stored as it is.
    entries.removeOne(entry);
    if (const common::Status written = writeList(listKey, entries); !written)
        return written;
    return entries;
}

QString Attachments::copyOf(const QString& entry) const {
    // A list file edited by hand may hold "../x" or "/etc/x": such an entry has no copy.
    if (!isStorableName(entry))
        return {};
    common::FolderIndex archive(data_.folder(folders::attachedFiles));
    archive.refresh();
    return archive.pathFor(entry);
}

ArchiveState Attachments::stateOf(const QString& chosenPath) const {
    const QFileInfo chosen(chosenPath);
    if (!chosen.isFile() || !chosen.isReadable())
        return ArchiveState::Unreadable;
    const QFileInfo copy(copyOf(chosen.fileName()));
    if (!copy.exists())
        return ArchiveState::NewName;
    if (copy.canonicalFilePath() == chosen.canonicalFilePath() || sameBytes(chosenPath, copy.filePath()))
        return ArchiveState::SameContent;
    return ArchiveState::DifferentContent;
}

QString Attachments::freeArchiveName(const QString& name) const {
    const QFileInfo file(name);
    const QString base = file.completeBaseName().isEmpty() ? name : file.completeBaseName();
    const QString suffix = file.completeBaseName().isEmpty() || file.suffix().isEmpty()
                               ? QString()
                               : QStringLiteral(".") + file.completeSuffix();
    for (int number = 2;; ++number) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(number).arg(suffix);
        if (!QFileInfo::exists(copyOf(candidate)))
            return candidate;
    }
}

common::Status Attachments::copyIntoArchive(const QString& chosenPath, const QString& name) const {
    const QFileInfo chosen(chosenPath);
    const QString target = copyOf(name.isEmpty() ? chosen.fileName() : name);
    if (QFileInfo(target).canonicalFilePath() == chosen.canonicalFilePath())
        return {};
    QFile source(chosenPath);
    if (!source.open(QIODevice::ReadOnly))
        return common::Status::failure(source.errorString());
    // Streamed into a temporary file that replaces the copy only when complete.
    common::AtomicFile copy(target);
    bool written = copy.open();
    bool sourceFailed = false;
    while (written && !source.atEnd()) {
        const QByteArray chunk = source.read(kChunk);
        sourceFailed = chunk.isEmpty();
        written = !sourceFailed && copy.write(chunk);
    }
    if (written && copy.commit())
        return {};
    return common::Status::failure(sourceFailed ? source.errorString() : copy.errorString());
}

} // namespace quindara
