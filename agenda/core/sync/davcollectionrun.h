// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/dav/davclient.h"
#include "agenda/core/sync/davitems.h"
#include "agenda/core/sync/davstatus.h"
#include "agenda/core/sync/davsync.h"
#include "agenda/core/sync/syncplan.h"

#include <QHash>
#include <QSet>

namespace quindara {

// A status listing at least this many items of a collection guards against one side looking emptied.
constexpr int kManyItems = 5;
constexpr int kMultigetBatch = 200;
constexpr int kSaveEvery = 200;
constexpr int kWriteAttempts = 3;

// One run over one collection: its listing, the reading of what changed on the server, the plan (see
// planSync) and the steps that carry it out, each recorded in the status only once it succeeded.
class CollectionRun {
public:
    CollectionRun(DavClient& client, const QUrl& url, const QString& name, SyncItems items,
                  SyncCollectionStatus& status, SyncStatus& record, SyncResult& result,
                  const SyncOptions& options, RecordOrigin origin = RecordOrigin::ThisMachine);

    // The listing request: sync-collection from the last token, else a PROPFIND of the ETags.
    QByteArray listingVerb() const { return status_.syncToken.isEmpty() ? "PROPFIND" : "REPORT"; }
    QByteArray listingBody() const;
    const QUrl& url() const { return url_; }

    // Takes the listing; false when the collection cannot be synced this run.
    bool listed(const DavReply& reply);

    // Reads what changed, plans and carries out the plan.
    void run();

private:
    // A token taken before this run's own writes would not tell of an item it created that someone
    // deletes later. The changes since the listing are asked again: when they are only this run's own
    // writes, their token is kept; otherwise none, and the next run lists everything.
    QString tokenAfterOwnWrites();

    // Reads the items listed with an unknown ETag; those whose content does not come are kept in
    // `unfetched_`.
    void fetchChanged();
    // The server's items by key: fetched ones read, the others as the status knew them. An item listed
    // with a new version that could not be read keeps the recorded ETag and waits in `unread_`.
    void mapServerItems();
    QSet<QString> keySet() const;
    QString localKeyOfUid(const QString& uid);
    void place(const ServerItem& server, bool tracked);

    // A server item that fills several days, or one already tracked as such: its days go to `sharedNow_`
    // when it was fetched. False for an item of one day not tracked as such: `mapped` tells whether its
    // day is then in `server.item`.
    bool takenAsShared(ServerItem& server, bool& mapped);
    // The texts shared items added, given to the agenda's side so that they are not taken as its own.
    void feedSharedTexts();
    // Brings new, changed and deleted shared items to their days; a day whose shared text the user changed
    // keeps it as its own text and gets no shared text again until the item changes.
    void updateShared();
    // What one shared item brings to its days this run: its texts by day (none when it is gone from the
    // server), its version, and the days that held the new text from this item already.
    struct SharedUpdate {
        QString href;
        QHash<QString, QString> texts;
        QByteArray etag;
        QByteArray hash;
        QSet<QString> oursBefore;
        bool isNew = false;
    };
    // A day whose shared text is no longer there was changed by the user: what it holds is its own now, no
    // shared text is kept for it, and the repeating item it came from leaves that date out.
    void releaseChangedDays();
    // True when the day's file changed since the last run and holds none of `texts` any more.
    bool lostSharedTexts(const QString& key, const QStringList& texts) const;
    // The shared items that are new, changed or gone; one whose content did not change only keeps its ETag.
    QList<SharedUpdate> planSharedUpdates();
    // Every text that may be on a day while it is written is kept first, so that a run cut short leaves
    // nothing the next one would take as the agenda's own; the item is read and written again then. False
    // when the record could not be saved.
    bool keepPendingTexts(QList<SharedUpdate>& updates);
    // Writes one shared item's days and records it once all of them are written. `recognised` gets the
    // days whose text was taken as the agenda's own when it was listed.
    void writeSharedDays(const SharedUpdate& update, QStringList& recognised);
    enum class DayWrite { Unchanged, Written, Failed };
    DayWrite writeSharedDay(const SharedUpdate& update, SyncSharedItem& shared, const QString& key,
                            QStringList& recognised);
    // The agenda's items under `keys` as they are now.
    void readAgain(const QStringList& keys);
    // The dates of `keys`, days whose text the user changed, taken out of the repeating server item `href`
    // (EXDATE, over the version the status knows), so that the server does not show them twice.
    void excludeDays(const QString& href, const QStringList& keys);
    // A new ETag over the same content, or a new stamp of its file, is no change: only kept. Written only
    // when it moved, so that the record stays shared with its stored copy and a run that changed nothing
    // need not compare it item by item.
    void keepUnchanged(const QString& key);
    // True when the day's own text is the one this machine's last run saw.
    bool ownAtLastRun(const QString& key) const;
    void carryOut(const SyncStep& step);
    void createOnServer(const SyncItem& local);
    void updateServer(const SyncItem& local, ServerItem server);
    void deleteOnServer(const ServerItem& server);
    void storeLocal(const SyncItem& before, const ServerItem& server, bool created);
    // Puts the new agenda files staged since the last call in place, then records them in the status.
    void writeStaged();
    void deleteLocal(const SyncItem& before);
    void merge(const SyncItem& local, ServerItem server);
    enum class Fetched { Read, Gone, Failed };
    // The server's version now (after a 412).
    Fetched refetch(ServerItem& server);
    QUrl urlOf(const QString& href) const;
    // Writes `item` over the server's version, only if the server still holds the ETag we know.
    DavReply putOver(const ServerItem& server, const SyncItem& item, QByteArray& body);
    QString separator() const;
    void remember(const QString& key, const QString& href, const QByteArray& etag, const QByteArray& body);
    void failure(SyncProblem problem) { result_.add(std::move(problem)); }
    void failure(SyncProblemKind kind, const QString& what, int httpStatus = 0, const QString& detail = {}) {
        failure({kind, what, httpStatus, detail});
    }

    DavClient& client_;
    QUrl url_;
    QString name_;
    SyncItems items_;
    SyncCollectionStatus& status_;
    SyncStatus& record_;
    SyncResult& result_;
    const SyncOptions& options_;
    const RecordOrigin origin_;
    const bool statusFromElsewhere_; // see RecordOrigin
    QString newToken_;
    qsizetype failuresAtStart_ = 0;
    QHash<QString, QString> keyOfHref_;
    QHash<QString, QString> rawHref_;
    QHash<QString, QByteArray> etags_;
    QHash<QString, QByteArray> bodies_;
    QSet<QString> gone_;
    QSet<QString> unfetched_; // hrefs listed with a new version that could not be read
    QSet<QString> unread_;    // their keys, when the status knows them
    QHash<QString, SyncItem> local_;
    QHash<QString, ServerItem> server_;
    QHash<QString, QString> uidKeys_;
    QHash<QString, QList<SyncItem>> sharedNow_; // shared items fetched this run, by href: their days
    // New agenda files of the run, written whole and put in place together (see writeStaged).
    struct StagedItem {
        ServerItem server;
        QByteArray storedHash;
        bool created = false;
    };
    common::WriteBatch staged_;
    QList<StagedItem> stagedItems_;
    bool storingAlone_ = false;
    int writesAtSave_ = 0; // this run's writes on both sides when the record was last saved
    int depth_ = 0;        // nested steps after a 412, bounded
};

} // namespace quindara
