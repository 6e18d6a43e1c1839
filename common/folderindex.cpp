#include "common/folderindex.h"

#include <QDir>
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
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
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
    QDir dir(folder_);
    const QFileInfo info(folder_);
    listedModified_ = info.exists() ? info.lastModified() : QDateTime();
    names_ = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    byFolded_.reserve(names_.size());
    for (const QString& name : std::as_const(names_))
        byFolded_.insert(foldName(name), name);
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

QStringList FolderIndex::withPrefix(const QString& prefix) const {
    if (prefix.isEmpty())
        return names_;
    const QString folded = foldName(prefix);
    QStringList found;
    for (const QString& name : names_) {
        if (foldName(name).startsWith(folded))
            found.append(name);
    }
    return found;
}

} // namespace common
