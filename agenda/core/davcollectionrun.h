// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/davclient.h"
#include "agenda/core/davitems.h"
#include "agenda/core/davstatus.h"
#include "agenda/core/davsync.h"

#include "agenda/core/logging.h"
#include <QHash>
#include <QSet>
#include <QXmlStreamWriter>

#include <optional>

namespace quindara {

// A status listing at least this many items of a collection guards against one side looking emptied.
constexpr int kManyItems = 5;
constexpr int kMultigetBatch = 200;
constexpr int kSaveEvery = 200;
constexpr int kWriteAttempts = 3;

struct ServerItem {
    QString href; // path
    QByteArray etag;
    QByteArray body; // empty when not fetched this run
    SyncItem item;
};

class CollectionRun {
public:
    CollectionRun(DavClient& client, const QUrl& url, const QString& name, SyncItems items,
                  SyncCollectionStatus& status, SyncStatus& record, SyncResult& result,
                  const SyncOptions& options, bool statusFromElsewhere = false)
        : client_(client), url_(url), name_(name), items_(std::move(items)), status_(status), record_(record),
          result_(result), options_(options), statusFromElsewhere_(statusFromElsewhere) {}

    // The listing request: sync-collection from the last token, else a PROPFIND of the ETags.
    QByteArray listingVerb() const { return status_.syncToken.isEmpty() ? "PROPFIND" : "REPORT"; }
    QByteArray listingBody() const {
        if (status_.syncToken.isEmpty())
            return dav::propfindBody({{dav::kDav, QStringLiteral("getetag")},
                                      {dav::kDav, QStringLiteral("resourcetype")},
                                      {dav::kDav, QStringLiteral("sync-token")}});
        QByteArray body;
        QXmlStreamWriter xml(&body);
        xml.writeStartDocument();
        xml.writeNamespace(dav::kDav, QStringLiteral("d"));
        xml.writeStartElement(dav::kDav, QStringLiteral("sync-collection"));
        xml.writeTextElement(dav::kDav, QStringLiteral("sync-token"), status_.syncToken);
        xml.writeTextElement(dav::kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
        xml.writeStartElement(dav::kDav, QStringLiteral("prop"));
        xml.writeEmptyElement(dav::kDav, QStringLiteral("getetag"));
        xml.writeEndElement();
        xml.writeEndDocument();
        return body;
    }
    const QUrl& url() const { return url_; }

    // Takes the listing; false when the collection cannot be synced this run.
    bool listed(const DavReply& reply) {
        if (client_.failed())
            return false;
        MultiStatus listing = reply.status == 207 ? dav::parseMultiStatus(reply.body) : MultiStatus();
        const bool incremental = !status_.syncToken.isEmpty();
        if (incremental && !listing.valid) {
            // The token is no longer known (or the server forgot it): list everything.
            qCWarning(lcDavSync) << "sync-collection refused, listing" << url_ << reply.status;
            status_.syncToken.clear();
            return listed(client_.send(listingVerb(), url_, listingBody(), {{"Depth", "1"}}));
        }
        if (!listing.valid) {
            result_.failures.append(
                QStringLiteral("«%1»: el servidor no da la lista (HTTP %2)").arg(name_).arg(reply.status));
            return false;
        }
        keyOfHref_.reserve(status_.items.size());
        for (auto s = status_.items.cbegin(); s != status_.items.cend(); ++s)
            keyOfHref_.insert(s->href, s.key());
        if (incremental) {
            etags_.reserve(status_.items.size());
            for (auto s = status_.items.cbegin(); s != status_.items.cend(); ++s)
                etags_.insert(s->href, s->etag);
            for (auto s = status_.shared.cbegin(); s != status_.shared.cend(); ++s)
                etags_.insert(s.key(), s->etag);
        }
        newToken_ = listing.syncToken;
        const QString self = url_.path();
        for (const DavResponse& response : std::as_const(listing.responses)) {
            const QString href = client_.resolved(response.href).path();
            if (href == self || href + u'/' == self) {
                const QString token =
                    response.properties.value(dav::key(dav::kDav, QStringLiteral("sync-token")))
                        .text.trimmed();
                if (!token.isEmpty())
                    newToken_ = token;
                continue;
            }
            if (response.properties.value(dav::key(dav::kDav, QStringLiteral("resourcetype")))
                    .children.contains(dav::key(dav::kDav, QStringLiteral("collection"))))
                continue;
            rawHref_.insert(href, response.href);
            if (response.status == 404) {
                etags_.remove(href);
                continue;
            }
            etags_.insert(href, response.properties.value(dav::key(dav::kDav, QStringLiteral("getetag")))
                                    .text.trimmed()
                                    .toUtf8());
        }
        return true;
    }

    void run() {
        fetchChanged();
        if (client_.failed())
            return;
        QStringList leftOut;
        feedSharedTexts();
        local_ = items_.local(leftOut, status_.items);
        result_.leftOut += leftOut;
        mapServerItems();
        if (options_.cancelled && options_.cancelled())
            return;
        if (status_.items.size() >= kManyItems && !options_.emptySideConfirmed && !statusFromElsewhere_ &&
            (local_.isEmpty() != server_.isEmpty())) {
            result_.emptySideQuestion =
                local_.isEmpty()
                    ? QStringLiteral(
                          "La agenda no tiene nada que sincronizar con «%1», que tenía %2 elementos "
                          "la última vez. ¿Se borra todo también en el servidor?")
                          .arg(name_)
                          .arg(status_.items.size())
                    : QStringLiteral("«%1» está vacío en el servidor y tenía %2 elementos la última vez. "
                                     "¿Se borra todo también en la agenda?")
                          .arg(name_)
                          .arg(status_.items.size());
            return;
        }
        updateShared();
        if (client_.failed() || (options_.cancelled && options_.cancelled()))
            return;
        // Every key once, without a set of them all: most are in the status and on both sides. An item
        // unchanged on both sides needs no decision; the others are decided in the order of their keys.
        QStringList ordered;
        QStringList moved;
        for (auto s = status_.items.cbegin(); s != status_.items.cend(); ++s) {
            bool itsKeepingMoved = false;
            if (!unchangedOnBoth(s.key(), *s, itsKeepingMoved))
                ordered.append(s.key());
            else if (itsKeepingMoved)
                moved.append(s.key());
        }
        for (const QString& key : std::as_const(moved))
            keepUnchanged(key);
        const qsizetype unchanged = status_.items.size() - ordered.size();
        for (auto l = local_.cbegin(); l != local_.cend(); ++l)
            if (!status_.items.contains(l.key()))
                ordered.append(l.key());
        for (auto s = server_.cbegin(); s != server_.cend(); ++s)
            if (!status_.items.contains(s.key()) && !local_.contains(s.key()))
                ordered.append(s.key());
        ordered.sort();
        qsizetype done = 0;
        const qsizetype total = unchanged + ordered.size();
        const SyncCount serverBefore = result_.server;
        if (options_.progress)
            options_.progress(SyncPhase::Writing, unchanged, total);
        for (const QString& key : std::as_const(ordered)) {
            if (client_.failed() || (options_.cancelled && options_.cancelled()))
                break;
            decide(key);
            if (++done % kSaveEvery == 0) {
                writeStaged();
                // Saved along the way only after writes, which a run cut short must not redo; what an
                // unchanged item updates (a new ETag, a file's stamp) waits for the save at the end.
                const int writes = result_.agenda.total() + result_.server.total();
                if (writes != writesAtSave_) {
                    writesAtSave_ = writes;
                    (void)record_.save();
                }
            }
            if (options_.progress && (done % 16 == 0 || done == ordered.size()))
                options_.progress(SyncPhase::Writing, unchanged + done, total);
        }
        writeStaged();
        if (!client_.failed() && done == ordered.size() && failuresAtStart_ == result_.failures.size()) {
            const SyncCount& after = result_.server;
            const bool wrote = after.created != serverBefore.created ||
                               after.changed != serverBefore.changed ||
                               after.deleted != serverBefore.deleted || after.merged != serverBefore.merged;
            status_.syncToken = wrote ? tokenAfterOwnWrites() : newToken_;
        }
    }

private:
    // A token taken before this run's own writes would not tell of an item it created that someone
    // deletes later. The changes since the listing are asked again: when they are only this run's own
    // writes, their token is kept; otherwise none, and the next run lists everything.
    QString tokenAfterOwnWrites() {
        if (newToken_.isEmpty())
            return {};
        SyncCollectionStatus probe;
        probe.syncToken = newToken_;
        std::swap(probe, status_);
        const QByteArray body = listingBody();
        std::swap(probe, status_);
        const DavReply reply = client_.send("REPORT", url_, body, {{"Depth", "0"}});
        const MultiStatus changes = reply.status == 207 ? dav::parseMultiStatus(reply.body) : MultiStatus();
        if (!changes.valid)
            return {};
        QHash<QString, QByteArray> ours;
        for (auto s = status_.items.cbegin(); s != status_.items.cend(); ++s)
            ours.insert(s->href, s->etag);
        for (auto s = status_.shared.cbegin(); s != status_.shared.cend(); ++s)
            ours.insert(s.key(), s->etag);
        for (const DavResponse& response : changes.responses) {
            const QString href = client_.resolved(response.href).path();
            const QByteArray etag = response.properties.value(dav::key(dav::kDav, QStringLiteral("getetag")))
                                        .text.trimmed()
                                        .toUtf8();
            const bool settled = response.status == 404
                                     ? !ours.contains(href)
                                     : ours.contains(href) && !etag.isEmpty() && ours.value(href) == etag;
            if (!settled)
                return {};
        }
        return changes.syncToken;
    }

    void fetchChanged() {
        failuresAtStart_ = result_.failures.size();
        QStringList wanted;
        for (auto e = etags_.cbegin(); e != etags_.cend(); ++e) {
            if (const auto shared = status_.shared.constFind(e.key()); shared != status_.shared.cend()) {
                if (e->isEmpty() || shared->etag != *e)
                    wanted.append(e.key());
                continue;
            }
            const auto key = keyOfHref_.constFind(e.key());
            const auto known =
                key == keyOfHref_.constEnd() ? status_.items.constEnd() : status_.items.constFind(*key);
            if (known == status_.items.constEnd() || e->isEmpty() || known->etag != *e)
                wanted.append(e.key());
        }
        for (qsizetype from = 0; from < wanted.size() && !client_.failed(); from += kMultigetBatch) {
            if (options_.progress)
                options_.progress(SyncPhase::Fetching, from, wanted.size());
            const QStringList batch = wanted.mid(from, kMultigetBatch);
            QByteArray body;
            QXmlStreamWriter xml(&body);
            xml.writeStartDocument();
            xml.writeNamespace(dav::kDav, QStringLiteral("d"));
            const QString ns = items_.addressBook() ? dav::kCardDav : dav::kCalDav;
            xml.writeNamespace(ns, QStringLiteral("c"));
            xml.writeStartElement(ns, items_.addressBook() ? QStringLiteral("addressbook-multiget")
                                                           : QStringLiteral("calendar-multiget"));
            xml.writeStartElement(dav::kDav, QStringLiteral("prop"));
            xml.writeEmptyElement(dav::kDav, QStringLiteral("getetag"));
            xml.writeEmptyElement(ns, items_.addressBook() ? QStringLiteral("address-data")
                                                           : QStringLiteral("calendar-data"));
            xml.writeEndElement();
            for (const QString& href : batch)
                xml.writeTextElement(dav::kDav, QStringLiteral("href"), rawHref_.value(href, href));
            xml.writeEndDocument();
            const DavReply reply = client_.send("REPORT", url_, body, {{"Depth", "1"}});
            const MultiStatus answer =
                reply.status == 207 ? dav::parseMultiStatus(reply.body) : MultiStatus();
            if (!answer.valid) {
                if (!client_.failed())
                    result_.failures.append(QStringLiteral("«%1»: el servidor no da los elementos (HTTP %2)")
                                                .arg(name_)
                                                .arg(reply.status));
                for (const QString& href : batch)
                    unfetched_.insert(href);
                continue;
            }
            QSet<QString> answered;
            for (const DavResponse& response : answer.responses) {
                const QString href = client_.resolved(response.href).path();
                const QString dataKey = items_.addressBook()
                                            ? dav::key(dav::kCardDav, QStringLiteral("address-data"))
                                            : dav::key(dav::kCalDav, QStringLiteral("calendar-data"));
                if (response.status == 404 || !response.properties.contains(dataKey)) {
                    if (response.status == 404)
                        gone_.insert(href);
                    continue;
                }
                answered.insert(href);
                bodies_.insert(href, response.properties.value(dataKey).text.toUtf8());
                const QByteArray etag =
                    response.properties.value(dav::key(dav::kDav, QStringLiteral("getetag")))
                        .text.trimmed()
                        .toUtf8();
                if (!etag.isEmpty())
                    etags_.insert(href, etag);
            }
            for (const QString& href : batch)
                if (!answered.contains(href) && !gone_.contains(href))
                    unfetched_.insert(href);
        }
        for (const QString& href : std::as_const(gone_))
            etags_.remove(href);
    }

    // The server's items by key: fetched ones read, the others as the status knew them.
    void mapServerItems() {
        QHash<QByteArray, QString> untrackedLocal; // content hash -> key, for contacts not in the status
        if (items_.addressBook())
            for (auto l = local_.cbegin(); l != local_.cend(); ++l)
                if (!status_.items.contains(l.key()))
                    untrackedLocal.insert(l->hash, l.key());
        QStringList hrefs(etags_.keyBegin(), etags_.keyEnd());
        // The order decides only between items read this run (which one keeps a day or a surname); those
        // known from the status each have a key of their own.
        if (!bodies_.isEmpty())
            hrefs.sort();
        server_.reserve(hrefs.size());
        QSet<QString> claimed;
        std::optional<QSet<QString>> keys; // made when a new contact needs a name
        for (const QString& href : std::as_const(hrefs)) {
            ServerItem server{href, etags_.value(href), bodies_.value(href), {}};
            bool mapped = false;
            if (takenAsShared(server, mapped))
                continue;
            const QString known = keyOfHref_.value(href);
            if (!bodies_.contains(href)) {
                // Unchanged since the last run (or not fetched): as the status knew it.
                if (known.isEmpty())
                    continue;
                server.item.key = known;
                server.item.hash = status_.items.value(known).serverHash;
                place(server, true);
                continue;
            }
            QString reason;
            if (!mapped && !items_.fromServer(server.body, server.item, reason)) {
                result_.leftOut.append(
                    QStringLiteral("«%1» del servidor: %2").arg(href.section(u'/', -1), reason));
                if (!known.isEmpty()) {
                    // Left as it was: the agenda keeps its text and changes none of the server's.
                    server.item.key = known;
                    server.item.hash = status_.items.value(known).serverHash;
                    server.body.clear();
                    place(server, true);
                }
                continue;
            }
            if (items_.addressBook()) {
                if (!known.isEmpty()) {
                    server.item.key = known;
                } else if (const QString byHash = untrackedLocal.value(server.item.hash);
                           !byHash.isEmpty() && !claimed.contains(byHash)) {
                    // Written by a run cut short before its status was saved, or the same contact on both.
                    server.item.key = byHash;
                } else {
                    const QString byUid = localKeyOfUid(server.item.uid);
                    server.item.key =
                        !byUid.isEmpty() && !status_.items.contains(byUid) && !claimed.contains(byUid)
                            ? byUid
                            : QString();
                }
                if (server.item.key.isEmpty())
                    server.item.key =
                        items_.newContactKey(server.item, claimed, keys ? *keys : *(keys = keySet()));
                if (server.item.key.isEmpty()) {
                    result_.leftOut.append(QStringLiteral("«%1»: hay demasiados contactos con ese apellido")
                                               .arg(server.item.what));
                    continue;
                }
            }
            claimed.insert(server.item.key);
            place(server, known == server.item.key);
        }
    }

    QSet<QString> keySet() const {
        QSet<QString> keys(local_.keyBegin(), local_.keyEnd());
        for (auto s = status_.items.cbegin(); s != status_.items.cend(); ++s)
            keys.insert(s.key());
        return keys;
    }

    QString localKeyOfUid(const QString& uid) {
        if (uid.isEmpty())
            return {};
        if (uidKeys_.isEmpty())
            for (auto l = local_.cbegin(); l != local_.cend(); ++l)
                uidKeys_.insert(items_.uidOf(l.value()), l.key());
        return uidKeys_.value(uid);
    }

    void place(const ServerItem& server, bool tracked) {
        const auto there = server_.constFind(server.item.key);
        if (there != server_.constEnd()) {
            // Two server items for one day: the one the status follows stays; the other's text is added to
            // the day (a contact is left out).
            const bool keepNew = tracked && status_.items.value(server.item.key).href == server.href;
            const ServerItem& out = keepNew ? *there : server;
            if (!items_.addressBook() && !out.body.isEmpty()) {
                sharedNow_.insert(out.href, {out.item});
            } else {
                result_.leftOut.append(QStringLiteral("«%1» del servidor: otro elemento ocupa ya ese %2")
                                           .arg(out.href.section(u'/', -1), items_.addressBook()
                                                                                ? QStringLiteral("contacto")
                                                                                : QStringLiteral("día")));
            }
            if (!keepNew)
                return;
        }
        server_.insert(server.item.key, server);
    }

    // A server item that fills several days, or one already tracked as such: its days go to `sharedNow_`
    // when it was fetched. False for an item of one day not tracked as such: `mapped` tells whether its
    // day is then in `server.item`.
    bool takenAsShared(ServerItem& server, bool& mapped);
    // The texts shared items added, given to the agenda's side so that they are not taken as its own.
    void feedSharedTexts();
    // Brings new, changed and deleted shared items to their days; a day whose shared text the user changed
    // keeps it as its own text and gets no shared text again until the item changes.
    void updateShared();
    // The dates of `keys`, days whose text the user changed, taken out of the repeating server item `href`
    // (EXDATE, over the version the status knows), so that the server does not show them twice.
    void excludeDays(const QString& href, const QStringList& keys);
    // True when the item is the same on both sides as the last run saw it; `keepingMoved` is then set
    // when its ETag, href or file stamp is not the one the status keeps.
    bool unchangedOnBoth(const QString& key, const SyncStatusItem& kept, bool& keepingMoved) const {
        const auto local = local_.constFind(key);
        const auto server = server_.constFind(key);
        if (local == local_.cend() || server == server_.cend() || local->hash != kept.localHash ||
            server->item.hash != kept.serverHash)
            return false;
        keepingMoved =
            kept.etag != server->etag || kept.href != server->href || kept.localStamp != local->stamp;
        return true;
    }
    // True when the day's own text is the one this machine's last run saw.
    bool ownAtLastRun(const QString& key) const {
        const auto local = local_.constFind(key);
        const auto kept = status_.items.constFind(key);
        return local != local_.cend() && kept != status_.items.cend() && local->hash == kept->localHash;
    }
    // A new ETag over the same content, or a new stamp of its file, is no change: only kept. Written only
    // when it moved, so that the record stays shared with its stored copy and a run that changed nothing
    // need not compare it item by item.
    void keepUnchanged(const QString& key) {
        const ServerItem& server = *server_.constFind(key);
        bool moved = false;
        if (!unchangedOnBoth(key, *status_.items.constFind(key), moved) || !moved)
            return;
        SyncStatusItem& kept = status_.items[key];
        kept.etag = server.etag;
        kept.href = server.href;
        kept.localStamp = local_.constFind(key)->stamp;
    }
    void decide(const QString& key);
    void createOnServer(const SyncItem& local);
    void updateServer(const SyncItem& local, ServerItem server);
    void deleteOnServer(const ServerItem& server);
    void storeLocal(const SyncItem& before, const ServerItem& server, bool created);
    // Puts the new agenda files staged since the last call in place, then records them in the status.
    void writeStaged();
    void deleteLocal(const SyncItem& before);
    void merge(const SyncItem& local, ServerItem server);
    // The server's version now (after a 412); false when it is gone.
    bool refetch(ServerItem& server);
    QUrl urlOf(const QString& href) const;
    // Writes `item` over the server's version, only if the server still holds the ETag we know.
    DavReply putOver(const ServerItem& server, const SyncItem& item, QByteArray& body);
    QString separator() const;
    void remember(const QString& key, const QString& href, const QByteArray& etag, const QByteArray& body);
    void failure(const QString& what, const QString& why) {
        result_.failures.append(QStringLiteral("«%1»: %2").arg(what, why));
    }

    DavClient& client_;
    QUrl url_;
    QString name_;
    SyncItems items_;
    SyncCollectionStatus& status_;
    SyncStatus& record_;
    SyncResult& result_;
    const SyncOptions& options_;
    // The status was read from a record another machine may have written (an earlier version's single
    // record): it describes that machine's copy of the folder, whose files may not have come here yet.
    // It only tells which items are the same on both sides; an item one side lacks is created there again,
    // and one changed on one side is merged, as on a first run.
    const bool statusFromElsewhere_;
    QString newToken_;
    qsizetype failuresAtStart_ = 0;
    QHash<QString, QString> keyOfHref_;
    QHash<QString, QString> rawHref_;
    QHash<QString, QByteArray> etags_;
    QHash<QString, QByteArray> bodies_;
    QSet<QString> gone_;
    QSet<QString> unfetched_;
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
    bool fetchFailed_ = false;
    int depth_ = 0; // nested steps after a 412, bounded
};

} // namespace quindara
