#include "agenda/core/folderid.h"

#include "common/textfile.h"

#include <QDir>
#include <QLoggingCategory>
#include <QUuid>

Q_LOGGING_CATEGORY(lcFolderId, "quindara.folderid")

namespace quindara {

namespace {

const QString kIdFile = QStringLiteral(".quindara-id");

} // namespace

QString folderIdentifier(const DataFolder& data) {
    const QString path = QDir(data.programFolder()).filePath(kIdFile);
    const QString stored = common::readTextOrEmpty(path, common::Ending::Line).trimmed();
    if (!stored.isEmpty() && !stored.contains(u'\n'))
        return stored;
    const QString made = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // A folder that cannot keep it still exports; the identifiers then hold for this export only.
    if (const common::Status written = common::writeText(path, made, common::Ending::Line); !written)
        qCWarning(lcFolderId) << "cannot keep the folder identifier" << path << written.error();
    return made;
}

} // namespace quindara
