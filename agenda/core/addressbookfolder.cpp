#include "agenda/core/addressbookfolder.h"

#include "common/folderindex.h"
#include "common/programfolder.h"

#include <QDir>

namespace quindara {

bool isSafeAddressBookName(const QString& name) {
    return common::isSafeFileName(name) && !name.startsWith(u'.');
}

QStringList visibleNames(const QStringList& names) {
    QStringList visible;
    visible.reserve(names.size());
    for (const QString& name : names) {
        if (!name.startsWith(u'.'))
            visible.append(name);
    }
    return visible;
}

QStringList categoryNamesAfterDash(const QString& text) {
    QStringList passes;
    QString name = text;
    while (name.contains(u'-')) {
        name.chop(1);
        passes.append(name);
    }
    return passes;
}

AddressBookFolder::AddressBookFolder(QString root) : root_(std::move(root)) {}

QStringList AddressBookFolder::categories() const {
    if (root_.isEmpty())
        return {};
    return QDir(root_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

QString AddressBookFolder::existingCategory(const QString& name) const {
    const QString folded = common::FolderIndex::foldName(name);
    for (const QString& category : categories()) {
        if (common::FolderIndex::foldName(category) == folded)
            return category;
    }
    return {};
}

QString AddressBookFolder::categoryPath(const QString& name) const {
    if (root_.isEmpty() || !isSafeAddressBookName(name))
        return {};
    const QString stored = existingCategory(name);
    return QDir(root_).filePath(stored.isEmpty() ? name : stored);
}

AddressBookFolder::Creation AddressBookFolder::createCategory(const QString& name) const {
    if (root_.isEmpty() || !isSafeAddressBookName(name))
        return Creation::Refused;
    if (!existingCategory(name).isEmpty())
        return Creation::AlreadyThere;
    return QDir(root_).mkdir(name) ? Creation::Created : Creation::Failed;
}

} // namespace quindara
