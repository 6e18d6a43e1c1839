// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/folderid.h"

#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/logging.h"
#include "common/textfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QUuid>

namespace quindara {

namespace {

bool isIdentifier(const QString& text) {
    if (text.size() < 8 || text.size() > 64)
        return false;
    for (const QChar c : text) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || c == u'-'))
            return false;
    }
    return true;
}

} // namespace

QString folderIdentifier(const DataFolder& folder) {
    const QString path = QDir(folder.programFolder()).filePath(kFolderIdFile);
    if (const std::optional<QString> stored = common::readText(path, common::Ending::Line)) {
        const QString id = stored->trimmed();
        if (isIdentifier(id))
            return id;
        if (!stored->isEmpty())
            qCWarning(lcFolderId) << "folder identifier file holds no identifier, making a new one:" << path;
    }
    const QString made = QUuid::createUuid().toString(QUuid::Id128);
    const common::Status written = common::writeText(path, made, common::Ending::Line);
    if (written.ok())
        return made;
    qCWarning(lcFolderId) << "cannot keep the folder identifier in" << path << ":" << written.error();
    // Still stable for this folder while it stays where it is.
    const QByteArray where = QFileInfo(folder.programFolder()).absoluteFilePath().toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(where, QCryptographicHash::Sha256).toHex().left(32));
}

} // namespace quindara
