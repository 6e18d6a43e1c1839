#include "common/folderindex.h"

#include "common/leftoversavefiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace common {

FolderIndex::FolderIndex(QString folder) : folder_(std::move(folder)) {}

void FolderIndex::setFolder(const QString& folder) {
    if (folder == folder_)
        return;
    folder_ = folder;
    listed_ = false;
    refreshIfChanged();
}

QString FolderIndex::foldName(const QString& name) {
    // Pure ASCII names (most of them) need no normalisation.
    for (const QChar c : name) {
        if (c.unicode() >= 0x80)
            return name.normalized(QString::NormalizationForm_C).toCaseFolded();
    }
    return name.toCaseFolded();
}

void FolderIndex::refreshIfChanged() {
    const QFileInfo info(folder_);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    if (listed_ && modified == listedModified_)
        return;
    list();
}

void FolderIndex::refresh() {
    list();
}

void FolderIndex::list() {
    names_.clear();
    byFolded_.clear();
    listed_ = true;
    if (folder_.isEmpty())
        return;
    const QFileInfo info(folder_);
    listedModified_ = info.exists() ? info.lastModified() : QDateTime();
    QDirIterator it(folder_, QDir::Files | QDir::Hidden | QDir::System);
    QStringList maybeLeftovers;
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (looksLikeSaveFile(name)) {
            maybeLeftovers.append(name);
            continue;
        }
        names_.append(name);
        byFolded_.insert(foldName(name), name);
    }
    // An unfinished save of a listed file is not a file of its own.
    for (const QString& name : maybeLeftovers) {
        if (isLeftoverSaveFile(
                name, [this](const QString& stem) { return byFolded_.value(foldName(stem)) == stem; }))
            continue;
        names_.append(name);
        byFolded_.insert(foldName(name), name);
    }
    sorted_ = false;
}

bool FolderIndex::contains(const QString& name) const {
    return byFolded_.contains(foldName(name));
}

QString FolderIndex::realName(const QString& name) const {
    return byFolded_.value(foldName(name));
}

QString FolderIndex::pathFor(const QString& name) const {
    const QString stored = realName(name);
    return QDir(folder_).filePath(stored.isEmpty() ? name : stored);
}

const QStringList& FolderIndex::names() const {
    // Sorted only when someone lists the folder: marking lookups never need the order.
    if (!sorted_) {
        names_.sort(Qt::CaseInsensitive);
        sorted_ = true;
    }
    return names_;
}

QStringList FolderIndex::withPrefix(const QString& prefix) const {
    if (prefix.isEmpty())
        return names();
    const QString folded = foldName(prefix);
    QStringList found;
    for (const QString& name : names()) {
        if (foldName(name).startsWith(folded))
            found.append(name);
    }
    return found;
}

} // namespace common
