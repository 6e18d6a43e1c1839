// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/folderjournal.h"

#include "common/logging.h"

#include <QSet>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <unordered_map>

namespace common {

namespace {

// Past this many changed names a new listing costs less than looking at each of them.
constexpr qsizetype kMostNames = 4096;

constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

// File systems whose every change passes through this machine's kernel, and so is notified.
bool isLocalFileSystem(const QByteArray& folder) {
    struct statfs info {};
    if (::statfs(folder.constData(), &info) != 0)
        return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // xfs
    case 0x9123683E: // btrfs
    case 0x01021994: // tmpfs
    case 0x858458F6: // ramfs
    case 0xF2F52010: // f2fs
    case 0x794C7630: // overlay (containers)
    case 0x2FC12FC1: // zfs
    case 0x3153464A: // jfs
    case 0x52654973: // reiserfs
        return true;
    default:
        return false;
    }
}

// The program's one inotify queue, shared out to every journal by the folder each one records.
class Notifier {
public:
    // Never destroyed: an index kept in a static object may stop its journal after the program's other
    // statics are gone.
    static Notifier& instance() {
        static Notifier* const notifier = new Notifier;
        return *notifier;
    }

    int subscribe(const QByteArray& folder) {
        std::lock_guard lock(mutex_);
        if (fd_ == kNotOpened) {
            fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            if (fd_ < 0)
                qCWarning(lcFolderJournal) << "no change notifications:" << std::strerror(errno);
        }
        if (fd_ < 0 || !isLocalFileSystem(folder))
            return -1;
        const int watch =
            ::inotify_add_watch(fd_, folder.constData(), kNameEvents | kFolderGone | IN_ONLYDIR);
        if (watch < 0) {
            qCWarning(lcFolderJournal) << "cannot watch" << folder << std::strerror(errno);
            return -1;
        }
        int id = 0;
        if (!free_.empty()) {
            id = free_.back();
            free_.pop_back();
        } else {
            id = int(subscribers_.size());
            subscribers_.emplace_back();
        }
        subscribers_[size_t(id)] = Subscriber{watch, {}, false};
        byWatch_[watch].push_back(id);
        return id;
    }

    void unsubscribe(int id) {
        std::lock_guard lock(mutex_);
        Subscriber& subscriber = subscribers_[size_t(id)];
        const auto found = byWatch_.find(subscriber.watch);
        if (found != byWatch_.end()) {
            std::erase(found->second, id);
            if (found->second.empty()) {
                ::inotify_rm_watch(fd_, subscriber.watch);
                byWatch_.erase(found);
            }
        }
        subscriber = Subscriber{};
        free_.push_back(id);
    }

    FolderJournal::Outcome take(int id, std::vector<QByteArray>& names) {
        std::lock_guard lock(mutex_);
        drain();
        Subscriber& subscriber = subscribers_[size_t(id)];
        if (subscriber.lost)
            return FolderJournal::Outcome::Lost;
        if (subscriber.names.isEmpty())
            return FolderJournal::Outcome::Unchanged;
        names.assign(subscriber.names.cbegin(), subscriber.names.cend());
        subscriber.names.clear();
        return FolderJournal::Outcome::Changed;
    }

private:
    static constexpr int kNotOpened = -2;

    struct Subscriber {
        int watch = -1;
        QSet<QByteArray> names;
        bool lost = false;
    };

    void loseAll() {
        for (Subscriber& subscriber : subscribers_) {
            subscriber.lost = true;
            subscriber.names.clear();
        }
    }

    void lose(int watch) {
        const auto found = byWatch_.find(watch);
        if (found == byWatch_.end())
            return;
        for (const int id : found->second) {
            subscribers_[size_t(id)].lost = true;
            subscribers_[size_t(id)].names.clear();
        }
    }

    void note(int watch, const char* name) {
        const auto found = byWatch_.find(watch);
        // Hidden names (lock and temporary files) are never indexed.
        if (found == byWatch_.end() || name[0] == '.')
            return;
        const QByteArray bytes(name);
        for (const int id : found->second) {
            Subscriber& subscriber = subscribers_[size_t(id)];
            if (subscriber.lost)
                continue;
            subscriber.names.insert(bytes);
            if (subscriber.names.size() > kMostNames) {
                subscriber.lost = true;
                subscriber.names.clear();
            }
        }
    }

    // Reads every waiting notification: the kernel queues them before the change's own call returns, so
    // what a look at the folder would show has been notified by now.
    void drain() {
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                if (got < 0 && errno != EAGAIN) {
                    qCWarning(lcFolderJournal) << "cannot read change notifications:" << std::strerror(errno);
                    loseAll();
                }
                return;
            }
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->mask & IN_Q_OVERFLOW) {
                    loseAll();
                } else if (event->mask & kFolderGone) {
                    lose(event->wd);
                    // The kernel has dropped the watch: a journal made later watches anew.
                    if (event->mask & IN_IGNORED)
                        byWatch_.erase(event->wd);
                } else if (event->len > 0) {
                    note(event->wd, event->name);
                }
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

    std::mutex mutex_;
    int fd_ = kNotOpened;
    std::vector<Subscriber> subscribers_;
    std::vector<int> free_;
    std::unordered_map<int, std::vector<int>> byWatch_;
};

} // namespace

bool FolderJournal::start(const QByteArray& nativeFolder) {
    stop();
    subscriber_ = Notifier::instance().subscribe(nativeFolder);
    return recording();
}

void FolderJournal::stop() {
    if (subscriber_ >= 0)
        Notifier::instance().unsubscribe(subscriber_);
    subscriber_ = -1;
}

FolderJournal::~FolderJournal() {
    stop();
}

FolderJournal::Outcome FolderJournal::takeChanges(std::vector<QByteArray>& names) {
    names.clear();
    if (subscriber_ < 0)
        return Outcome::Lost;
    return Notifier::instance().take(subscriber_, names);
}

} // namespace common
