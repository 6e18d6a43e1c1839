#include "agenda/core/storedtext.h"

#include "common/storedfile.h"

#include <QFile>
#include <QFileInfo>

namespace quindara {

StoredText readStoredText(const QString& path, common::Ending ending) {
    const common::FileVersion version = common::FileVersion::at(path);
    if (auto text = common::readText(path, ending))
        return {*text, QString(), version};
    return {QString(), QFileInfo::exists(path) ? path : QString(), version};
}

StoredText readIndexedText(const common::FolderIndex& index, const QString& name, common::Ending ending) {
    if (index.isStoredInForeignBytes(name))
        return {common::readStoredText(index, name, ending), QString(),
                common::FileVersion::at(index.nativePathFor(name))};
    return readStoredText(index.pathFor(name), ending);
}

bool mayReplace(const QString& path) {
    if (!QFileInfo::exists(path))
        return true;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

} // namespace quindara
