// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

namespace common {

// Watches data folders, and the files shown in editors, for changes made by other programs (a sync tool
// bringing another machine's edits, a text editor). A burst of changes (a sync bringing thousands of
// files) is reported once, when it has been quiet for a moment; a stream that never stops is still
// reported every few seconds. Each report names only the folders that changed, so a window lists those
// again and nothing else.
class FolderWatcher : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderWatcher)

public:
    explicit FolderWatcher(QObject* parent = nullptr);

    // Folders that do not exist are skipped; watching the same folder again costs nothing.
    void watchFolders(const QStringList& folders);
    // The files shown now: replaces the ones watched before. A file written in place does not change its
    // folder, so it is watched itself. Missing files are skipped.
    void watchFiles(const QStringList& files);

    // How long the folders must be quiet before a report, and the longest a report waits in a stream.
    static constexpr int kQuietMilliseconds = 250;
    static constexpr int kLongestWaitMilliseconds = 3000;
    // Other times, for a test on a loaded machine where a writer may stall longer than the quiet time.
    void setTimes(int quietMilliseconds, int longestWaitMilliseconds) {
        quiet_.setInterval(quietMilliseconds);
        longest_.setInterval(longestWaitMilliseconds);
    }

signals:
    // Absolute paths of the folders in which something changed since the last report.
    void changed(const QStringList& folders);

private:
    void noteChange(const QString& folder);
    void report();

    QFileSystemWatcher watcher_;
    QTimer quiet_;
    QTimer longest_;
    QStringList files_;
    QSet<QString> changedFolders_;
};

} // namespace common
