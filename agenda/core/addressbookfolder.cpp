#include "agenda/core/addressbookfolder.h"

#include "agenda/core/contactcard.h"
#include "agenda/core/datafolder.h"

#include "common/conflictcopy.h"
#include "common/folderindex.h"
#include "common/programfolder.h"

#include <QDir>
#include <QFileInfo>

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

common::Status AddressBookFolder::mergeContactCopies(const QString& cardPath, const QString& copyPath) const {
    const QFileInfo card(cardPath);
    const auto fold = [](const QString& name) { return common::FolderIndex::foldName(name); };
    const QString folder = fold(QFileInfo(card.absolutePath()).fileName());
    const bool inAllContacts = folder == fold(folders::allContacts);
    // The twins are found before anything is merged, while their copies still match this one: pairs of the
    // card and its copy.
    QList<std::pair<QString, QString>> twins;
    if (const auto copy = readContactCard(copyPath)) {
        for (const QString& category : categories()) {
            if (fold(category) == folder || (fold(category) == fold(folders::allContacts)) == inAllContacts)
                continue;
            common::FolderIndex other(QDir(root_).filePath(category));
            other.refresh();
            if (!other.contains(card.fileName()))
                continue;
            for (const QString& name : other.namesContaining("conflict")) {
                const auto parsed = common::parseConflictCopyName(name);
                if (parsed && fold(parsed->originalName) == fold(card.fileName()) &&
                    readContactCard(other.pathFor(name)) == copy)
                    twins.append({other.pathFor(card.fileName()), other.pathFor(name)});
            }
        }
    }
    // A copy left in place is left in both folders.
    if (common::Status merged = mergeContactCopy(cardPath, copyPath); !merged)
        return merged;
    common::Status failed;
    for (const auto& [twinCard, twinCopy] : std::as_const(twins)) {
        if (common::Status twinMerged = mergeContactCopy(twinCard, twinCopy); failed && !twinMerged)
            failed = twinMerged;
    }
    return failed;
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
