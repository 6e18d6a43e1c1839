// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <vector>

namespace common {

// The names created, removed or renamed in a folder since it was listed, as the kernel reports them
// (inotify): a folder index brings itself up to date from them instead of listing thousands of names
// again for one new file. One notification queue serves the whole program; each reader of a folder gets
// its own copy of that folder's changes.
//
// Only local file systems are journaled: on a network share another machine's changes bring no
// notification, and the index must list the folder again whenever its time moves.
class FolderJournal {
public:
    // Starts recording the changes of `nativeFolder` (call before listing it, so that nothing made during
    // the listing is missed). False when they cannot be recorded: the caller lists again instead.
    bool start(const QByteArray& nativeFolder);
    void stop();
    ~FolderJournal();

    FolderJournal() = default;
    // A copy records nothing: its index falls back on the folder's time.
    FolderJournal(const FolderJournal&) {}
    FolderJournal& operator=(const FolderJournal& other) {
        if (this != &other)
            stop();
        return *this;
    }

    bool recording() const { return subscriber_ >= 0; }

    enum class Outcome { Unchanged, Changed, Lost };
    // The names changed since the last call, each once. Lost when the changes cannot be known (the
    // notification queue overflowed, or the folder itself was removed or moved): the folder must be
    // listed again, and start() called anew.
    Outcome takeChanges(std::vector<QByteArray>& names);

private:
    int subscriber_ = -1;
};

} // namespace common
