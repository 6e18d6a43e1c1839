// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace quindara {

// What the last run saw of one item on each side.
struct SyncStatusItem {
    QString href; // the server's path of the item
    QByteArray etag;
    QByteArray localHash;
    QByteArray serverHash;
    QByteArray localStamp; // the agenda file's size and time when its hash was taken (see SyncItem::stamp)
    bool operator==(const SyncStatusItem&) const = default;
};

// The text a server item that fills several days (or a day another item fills) added to one day. While
// its days are being written, every text it may have left there is listed and `pending` is set; a day
// whose text the user changed keeps no text, so that nothing is added there again until the item changes.
struct SyncFedDay {
    QStringList texts;
    bool pending = false;
    bool operator==(const SyncFedDay&) const = default;
};

struct SyncSharedItem {
    QByteArray etag;
    QByteArray hash;                 // of the days and texts it gave, empty until all its days are written
    QHash<QString, SyncFedDay> days; // by item key of the day
    bool operator==(const SyncSharedItem&) const = default;
};

struct SyncCollectionStatus {
    QString syncToken;
    QHash<QString, SyncStatusItem> items;  // by item key
    QHash<QString, SyncSharedItem> shared; // by href
    bool operator==(const SyncCollectionStatus&) const = default;
};

// The status record of one account: a hidden text file of the data folder, one line per item, replaced
// atomically, so that a run cut short leaves the record of the last save and the next run resumes there.
class SyncStatus {
public:
    explicit SyncStatus(QString path) : path_(std::move(path)) {}
    // Reads the record, or the one at `from` instead (which is then saved under this record's path).
    void load(const QString& from = {});
    // Writes the record when it differs from the file.
    common::Status save() const;
    SyncCollectionStatus& collection(const QString& url) { return collections_[url]; }

private:
    void keepAsStored() const;

    QString path_;
    QHash<QString, SyncCollectionStatus> collections_;
    // As on disk, so that a run that changed nothing neither writes nor even formats the record.
    mutable QHash<QString, SyncCollectionStatus> stored_;
};

} // namespace quindara
