// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/contacts/addressbookfolder.h"

#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/contacts/logging.h"
#include "agenda/core/days/datafolder.h"

#include "common/conflictcopy.h"
#include "common/folderindex.h"
#include "common/programfolder.h"

#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace quindara {

// Categories named in bytes that are not UTF-8: their stored bytes by shown name, as last listed, and the
// folders opened to reach them.
struct AddressBookFolder::ForeignFolders {
    QHash<QString, QByteArray> stored;
    QHash<QByteArray, int> opened;

    ForeignFolders() = default;
    Q_DISABLE_COPY_MOVE(ForeignFolders)
    ~ForeignFolders() {
        for (const int fd : std::as_const(opened))
            ::close(fd);
    }
};

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

AddressBookFolder::AddressBookFolder(QString root)
    : root_(std::move(root)), foreign_(std::make_shared<ForeignFolders>()) {}

QStringList AddressBookFolder::categories() const {
    if (root_.isEmpty())
        return {};
    // Read from the directory itself: Qt's listing leaves out names that are not UTF-8.
    DIR* dir = ::opendir(QFile::encodeName(root_).constData());
    if (!dir)
        return {};
    QStringList names;
    foreign_->stored.clear();
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray stored(entry->d_name);
        if (stored.startsWith('.') || !common::isFolderEntry(::dirfd(dir), entry))
            continue; // ".", ".." and hidden folders
        bool foreign = false;
        const QString name = common::decodeStoredName(stored, foreign);
        if (foreign)
            foreign_->stored.insert(name, stored);
        names.append(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
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
    const auto foreign = foreign_->stored.constFind(stored);
    if (stored.isEmpty() || foreign == foreign_->stored.constEnd())
        return QDir(root_).filePath(stored.isEmpty() ? name : stored);
    int fd = foreign_->opened.value(*foreign, -1);
    if (fd < 0) {
        fd =
            ::open((QFile::encodeName(root_) + '/' + *foreign).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            qCWarning(lcAddressBook) << "cannot open the category" << stored << "in" << root_;
            return QDir(root_).filePath(stored);
        }
        foreign_->opened.insert(*foreign, fd);
    }
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
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

std::optional<QStringList> AddressBookFolder::storedContact(const QString& category,
                                                            const QString& surname) const {
    const QString path = categoryPath(category);
    if (path.isEmpty())
        return std::nullopt;
    common::FolderIndex index(path);
    index.refresh();
    if (!index.contains(surname))
        return std::nullopt;
    return readContactCard(index.pathFor(surname));
}

QString AddressBookFolder::freeContactName(const QString& category, const QString& surname) const {
    QList<common::FolderIndex> folders;
    for (const QString& folder : {category, QString(folders::allContacts)}) {
        if (const QString path = categoryPath(folder); !path.isEmpty()) {
            folders.append(common::FolderIndex(path));
            folders.last().refresh();
        }
    }
    for (int number = 2;; ++number) {
        const QString name = QStringLiteral("%1 (%2)").arg(surname).arg(number);
        if (std::none_of(folders.cbegin(), folders.cend(),
                         [&](const common::FolderIndex& index) { return index.contains(name); }))
            return name;
    }
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
