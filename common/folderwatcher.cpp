// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/folderwatcher.h"

#include "common/logging.h"

#include <QFileInfo>

namespace common {

FolderWatcher::FolderWatcher(QObject* parent) : QObject(parent) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietMilliseconds);
    longest_.setSingleShot(true);
    longest_.setInterval(kLongestWaitMilliseconds);
    connect(&quiet_, &QTimer::timeout, this, &FolderWatcher::report);
    connect(&longest_, &QTimer::timeout, this, &FolderWatcher::report);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
            [this](const QString& folder) { noteChange(QFileInfo(folder).absoluteFilePath()); });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this,
            [this](const QString& file) { noteChange(QFileInfo(file).absolutePath()); });
}

void FolderWatcher::watchFolders(const QStringList& folders) {
    QStringList missing;
    for (const QString& folder : folders) {
        const QFileInfo info(folder);
        if (info.isDir() && !watcher_.directories().contains(info.absoluteFilePath()))
            missing.append(info.absoluteFilePath());
    }
    if (missing.isEmpty())
        return;
    const QStringList refused = watcher_.addPaths(missing);
    if (!refused.isEmpty())
        qCWarning(lcFolderWatcher) << "cannot watch" << refused;
}

void FolderWatcher::watchFiles(const QStringList& files) {
    // A file replaced by a rename (every atomic write) is a new file: it is watched anew each time.
    if (!files_.isEmpty())
        watcher_.removePaths(files_);
    files_.clear();
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (info.isFile() && !files_.contains(info.absoluteFilePath()))
            files_.append(info.absoluteFilePath());
    }
    if (!files_.isEmpty()) {
        const QStringList refused = watcher_.addPaths(files_);
        for (const QString& path : refused)
            files_.removeAll(path);
    }
}

void FolderWatcher::noteChange(const QString& folder) {
    changedFolders_.insert(folder);
    quiet_.start();
    if (!longest_.isActive())
        longest_.start();
}

void FolderWatcher::report() {
    quiet_.stop();
    longest_.stop();
    if (changedFolders_.isEmpty())
        return;
    QStringList folders(changedFolders_.cbegin(), changedFolders_.cend());
    changedFolders_.clear();
    folders.sort();
    emit changed(folders);
}

} // namespace common
