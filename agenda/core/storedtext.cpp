#include "agenda/core/storedtext.h"

#include <QFile>
#include <QFileInfo>

namespace quindara {

StoredText readStoredText(const QString& path, common::Ending ending) {
    if (auto text = common::readText(path, ending))
        return {*text, QString()};
    return {QString(), QFileInfo::exists(path) ? path : QString()};
}

bool mayReplace(const QString& path) {
    if (!QFileInfo::exists(path))
        return true;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

} // namespace quindara
