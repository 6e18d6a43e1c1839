#include "agenda/core/addressbookfolder.h"

#include "agenda/core/contactcard.h"
#include "agenda/core/datafolder.h"

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

AddressBookFolder::Stored AddressBookFolder::storeContact(const QString& category, const QString& surname,
                                                          const QStringList& fields) const {
    QStringList targets = {categoryPath(category)};
    const QString allContacts = categoryPath(folders::allContacts);
    if (common::FolderIndex::foldName(allContacts) != common::FolderIndex::foldName(targets.first()))
        targets.append(allContacts);
    Stored stored;
    for (const QString& folder : std::as_const(targets)) {
        common::FolderIndex index(folder);
        index.refresh();
        if (const common::Status written = writeContactCard(index.pathFor(surname), fields); !written)
            stored.failures.append(QStringLiteral("«%1»: %2").arg(folder, written.error()));
        else if (folder == targets.first())
            stored.cardPath = index.pathFor(surname);
    }
    return stored;
}

QList<QStringList> AddressBookFolder::cardsOf(const QString& category) const {
    common::FolderIndex cards(categoryPath(category));
    cards.refresh();
    QList<QStringList> read;
    for (const QString& name : visibleNames(cards.names())) {
        if (auto card = readContactCard(cards.pathFor(name)))
            read.append(*card);
    }
    return read;
}

} // namespace quindara
