// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/sync/davcollectionrun.h"

#include "agenda/core/sync/logging.h"

#include <QXmlStreamWriter>

#include <optional>
#include <utility>

namespace quindara {

namespace {

constexpr int kMaxDepth = 4;

} // namespace

CollectionRun::CollectionRun(DavClient& client, const QUrl& url, const QString& name, SyncItems items,
                             SyncCollectionStatus& status, SyncStatus& record, SyncResult& result,
                             const SyncOptions& options, RecordOrigin origin)
    : client_(client), url_(url), name_(name), items_(std::move(items)), status_(status), record_(record),
      result_(result), options_(options), origin_(origin),
      statusFromElsewhere_(origin == RecordOrigin::Elsewhere) {}

QByteArray CollectionRun::listingBody() const {
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

bool CollectionRun::listed(const DavReply& reply) {
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
        failure(SyncProblemKind::ListingRefused, name_, reply.status);
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
                response.properties.value(dav::key(dav::kDav, QStringLiteral("sync-token"))).text.trimmed();
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

void CollectionRun::run() {
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
                ? QStringLiteral("La agenda no tiene nada que sincronizar con «%1», que tenía %2 elementos "
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
    const SyncPlan plan = planSync(status_.items, local_, server_, unread_, origin_);
    for (const QString& key : plan.keptMoved)
        keepUnchanged(key);
    qsizetype done = 0;
    const qsizetype total = plan.unchanged + plan.steps.size();
    const SyncCount serverBefore = result_.server;
    if (options_.progress)
        options_.progress(SyncPhase::Writing, plan.unchanged, total);
    for (const SyncStep& step : plan.steps) {
        if (client_.failed() || (options_.cancelled && options_.cancelled()))
            break;
        carryOut(step);
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
        if (options_.progress && (done % 16 == 0 || done == plan.steps.size()))
            options_.progress(SyncPhase::Writing, plan.unchanged + done, total);
    }
    writeStaged();
    // The token moves on only when everything listed was read and carried out: what waits is listed again.
    if (!client_.failed() && done == plan.steps.size() && unfetched_.isEmpty() &&
        failuresAtStart_ == result_.problems.size()) {
        const SyncCount& after = result_.server;
        const bool wrote = after.created != serverBefore.created || after.changed != serverBefore.changed ||
                           after.deleted != serverBefore.deleted || after.merged != serverBefore.merged;
        status_.syncToken = wrote ? tokenAfterOwnWrites() : newToken_;
    }
}

QString CollectionRun::tokenAfterOwnWrites() {
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
        const QByteArray etag =
            response.properties.value(dav::key(dav::kDav, QStringLiteral("getetag"))).text.trimmed().toUtf8();
        const bool settled = response.status == 404
                                 ? !ours.contains(href)
                                 : ours.contains(href) && !etag.isEmpty() && ours.value(href) == etag;
        if (!settled)
            return {};
    }
    return changes.syncToken;
}

void CollectionRun::fetchChanged() {
    failuresAtStart_ = result_.problems.size();
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
        const MultiStatus answer = reply.status == 207 ? dav::parseMultiStatus(reply.body) : MultiStatus();
        if (!answer.valid) {
            if (!client_.failed())
                failure(SyncProblemKind::ItemsNotGiven, name_, reply.status);
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
            const QByteArray etag = response.properties.value(dav::key(dav::kDav, QStringLiteral("getetag")))
                                        .text.trimmed()
                                        .toUtf8();
            if (!etag.isEmpty())
                etags_.insert(href, etag);
        }
        qsizetype missing = 0;
        for (const QString& href : batch) {
            if (!answered.contains(href) && !gone_.contains(href)) {
                unfetched_.insert(href);
                ++missing;
            }
        }
        if (missing > 0)
            failure(SyncProblemKind::ItemsNotGiven, name_, reply.status);
    }
    for (const QString& href : std::as_const(gone_))
        etags_.remove(href);
}

void CollectionRun::mapServerItems() {
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
            // Unchanged since the last run, or listed with a version that could not be read: as the status
            // knew it, and in the latter case left for the next run, which reads it again.
            if (known.isEmpty())
                continue;
            const SyncStatusItem& recorded = *status_.items.constFind(known);
            server.item.key = known;
            server.item.hash = recorded.serverHash;
            if (unfetched_.contains(href)) {
                server.etag = recorded.etag;
                unread_.insert(known);
            }
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
                result_.leftOut.append(
                    QStringLiteral("«%1»: hay demasiados contactos con ese apellido").arg(server.item.what));
                continue;
            }
        }
        claimed.insert(server.item.key);
        place(server, known == server.item.key);
    }
}

QSet<QString> CollectionRun::keySet() const {
    QSet<QString> keys(local_.keyBegin(), local_.keyEnd());
    for (auto s = status_.items.cbegin(); s != status_.items.cend(); ++s)
        keys.insert(s.key());
    return keys;
}

QString CollectionRun::localKeyOfUid(const QString& uid) {
    if (uid.isEmpty())
        return {};
    if (uidKeys_.isEmpty())
        for (auto l = local_.cbegin(); l != local_.cend(); ++l)
            uidKeys_.insert(items_.uidOf(l.value()), l.key());
    return uidKeys_.value(uid);
}

void CollectionRun::place(const ServerItem& server, bool tracked) {
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

void CollectionRun::keepUnchanged(const QString& key) {
    const auto server = server_.constFind(key);
    const auto local = local_.constFind(key);
    const auto recorded = status_.items.constFind(key);
    bool moved = false;
    if (server == server_.cend() || local == local_.cend() || recorded == status_.items.cend() ||
        !unchangedOnBoth(*recorded, *local, *server, moved) || !moved)
        return;
    SyncStatusItem& kept = status_.items[key];
    kept.etag = server->etag;
    kept.href = server->href;
    kept.localStamp = local->stamp;
}

bool CollectionRun::ownAtLastRun(const QString& key) const {
    const auto local = local_.constFind(key);
    const auto kept = status_.items.constFind(key);
    return local != local_.cend() && kept != status_.items.cend() && local->hash == kept->localHash;
}

DavReply CollectionRun::putOver(const ServerItem& server, const SyncItem& item, QByteArray& body) {
    body = items_.serverBody(item, server.body);
    DavClient::Headers headers = {{"Content-Type", items_.contentType()}};
    if (!server.etag.isEmpty())
        headers.append({"If-Match", server.etag});
    return client_.send("PUT", urlOf(server.href), body, headers);
}

QUrl CollectionRun::urlOf(const QString& href) const {
    QUrl url = url_;
    url.setPath(href, QUrl::DecodedMode);
    return url;
}

QString CollectionRun::separator() const {
    return QStringLiteral("----- Arriba, la versión del servidor «%1»; abajo, la de este equipo -----")
        .arg(name_);
}

void CollectionRun::remember(const QString& key, const QString& href, const QByteArray& etag,
                             const QByteArray& body) {
    SyncStatusItem entry;
    entry.href = href;
    entry.etag = etag;
    const SyncItem now = items_.localNow(key);
    entry.localHash = now.hash;
    SyncItem mapped;
    QString reason;
    entry.serverHash = !body.isEmpty() && items_.fromServer(body, mapped, reason) ? mapped.hash : now.hash;
    status_.items.insert(key, entry);
}

CollectionRun::Fetched CollectionRun::refetch(ServerItem& server) {
    const DavReply reply = client_.send("GET", urlOf(server.href));
    if (reply.status == 404 || reply.status == 410)
        return Fetched::Gone;
    if (client_.failed())
        return Fetched::Failed;
    if (!reply.ok()) {
        failure(SyncProblemKind::ServerRefused, server.item.what.isEmpty() ? server.href : server.item.what,
                reply.status);
        return Fetched::Failed;
    }
    const QString key = server.item.key;
    QString reason;
    if (!items_.fromServer(reply.body, server.item, reason)) {
        failure(SyncProblemKind::NotUnderstood, server.href.section(u'/', -1), 0, reason);
        return Fetched::Failed;
    }
    server.item.key = key;
    server.body = reply.body;
    server.etag = reply.etag;
    return Fetched::Read;
}

void CollectionRun::carryOut(const SyncStep& step) {
    const QString& key = step.key;
    const auto local = local_.constFind(key);
    const auto server = server_.constFind(key);
    depth_ = 0;
    switch (step.action) {
    case SyncAction::Keep:
        return keepUnchanged(key);
    case SyncAction::Postpone:
        return;
    case SyncAction::Forget:
        status_.items.remove(key);
        return;
    case SyncAction::Record:
        return remember(key, server->href, server->etag, server->body);
    case SyncAction::CreateOnServer:
        return createOnServer(*local);
    case SyncAction::UpdateServer:
        return updateServer(*local, *server);
    case SyncAction::DeleteOnServer:
        return deleteOnServer(*server);
    case SyncAction::CreateInAgenda: {
        ServerItem fetched = *server; // one the record knew unchanged is not read by the listing
        if (!fetched.body.isEmpty() || refetch(fetched) == Fetched::Read)
            storeLocal({}, fetched, true);
        return;
    }
    case SyncAction::UpdateAgenda:
        return storeLocal(*local, *server, false);
    case SyncAction::DeleteInAgenda:
        return deleteLocal(*local);
    case SyncAction::Merge:
        return merge(*local, *server);
    }
}

void CollectionRun::createOnServer(const SyncItem& local) {
    if (++depth_ > kMaxDepth)
        return failure(SyncProblemKind::ServerKeepsChanging, local.what);
    SyncItem item = local;
    if (items_.addressBook())
        item.uid = items_.uidOf(local);
    const QUrl target = url_.resolved(QUrl(items_.newHrefName(local)));
    const QByteArray body = items_.serverBody(item, {});
    const DavReply reply =
        client_.send("PUT", target, body, {{"If-None-Match", "*"}, {"Content-Type", items_.contentType()}});
    if (client_.failed())
        return;
    if (reply.ok()) {
        remember(local.key, target.path(), reply.etag, body);
        ++result_.server.created;
        return;
    }
    if (reply.status == 412) {
        // Already there: written by a run cut short, or by another agenda of this folder.
        ServerItem there{target.path(), {}, {}, {}};
        there.item.key = local.key;
        if (refetch(there) != Fetched::Read)
            return failure(SyncProblemKind::ServerRefused, local.what, reply.status);
        if (there.item.hash == local.hash)
            remember(local.key, there.href, there.etag, there.body);
        else
            merge(local, there);
        return;
    }
    failure(SyncProblemKind::ServerRefused, local.what, reply.status);
}

void CollectionRun::updateServer(const SyncItem& local, ServerItem server) {
    const QByteArray known = status_.items.value(local.key).serverHash;
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        if (server.body.isEmpty()) {
            if (const Fetched fetched = refetch(server); fetched != Fetched::Read) {
                if (fetched == Fetched::Gone)
                    createOnServer(local);
                return;
            }
            if (server.item.hash != known)
                return merge(local, server);
        }
        SyncItem item = local;
        item.uid = server.item.uid;
        QByteArray body;
        const DavReply reply = putOver(server, item, body);
        if (client_.failed())
            return;
        if (reply.ok()) {
            remember(local.key, server.href, reply.etag, body);
            ++result_.server.changed;
            return;
        }
        if (reply.status == 404 || reply.status == 410)
            return createOnServer(local);
        if (reply.status != 412)
            return failure(SyncProblemKind::ServerRefused, local.what, reply.status);
        // Changed on the server since it was listed: read it again, never write over it.
        server.body.clear();
    }
    failure(SyncProblemKind::ServerKeepsChanging, local.what);
}

void CollectionRun::deleteOnServer(const ServerItem& server) {
    DavClient::Headers headers;
    if (!server.etag.isEmpty())
        headers.append({"If-Match", server.etag});
    const DavReply reply = client_.send("DELETE", urlOf(server.href), {}, headers);
    if (client_.failed())
        return;
    if (reply.ok() || reply.status == 404 || reply.status == 410) {
        status_.items.remove(server.item.key);
        ++result_.server.deleted;
        return;
    }
    if (reply.status == 412) {
        // Changed on the server meanwhile: the changed one is kept, and comes to the agenda. The same
        // content under a new ETag is no change, and is deleted over that ETag.
        ServerItem now = server;
        switch (refetch(now)) {
        case Fetched::Read:
            if (now.item.hash == status_.items.value(server.item.key).serverHash && ++depth_ <= kMaxDepth)
                return deleteOnServer(now);
            return storeLocal({}, now, true);
        case Fetched::Gone:
            status_.items.remove(server.item.key);
            return;
        case Fetched::Failed:
            return;
        }
        return;
    }
    failure(SyncProblemKind::ServerRefused, server.item.what.isEmpty() ? server.href : server.item.what,
            reply.status);
}

void CollectionRun::storeLocal(const SyncItem& before, const ServerItem& server, bool created) {
    const QString& key = server.item.key;
    // Read again right before it is replaced: what was saved since the listing is never written over.
    const SyncItem now = items_.localNow(key);
    if (now.hash != before.hash && !now.key.isEmpty())
        return merge(now, server);
    // A new file goes with the others of the run: one flush for all, and remembered once it is in place.
    QByteArray storedHash;
    if (now.key.isEmpty() && !storingAlone_ && items_.stageNew(server.item, staged_, storedHash)) {
        stagedItems_.append({server, storedHash, created});
        return;
    }
    SyncItem item = server.item;
    if (const common::Status stored = items_.store(item); !stored)
        return failure(SyncProblemKind::AgendaNotWritten, item.what, 0, stored.error());
    remember(key, server.href, server.etag, server.body);
    ++(created ? result_.agenda.created : result_.agenda.changed);
}

void CollectionRun::writeStaged() {
    if (stagedItems_.isEmpty())
        return;
    const QList<common::WriteBatch::Outcome> outcomes = staged_.commit();
    const QList<StagedItem> items = std::exchange(stagedItems_, {});
    for (qsizetype i = 0; i < items.size(); ++i) {
        const StagedItem& staged = items[i];
        const common::WriteBatch::Outcome outcome = outcomes.value(i);
        if (outcome.appearedMeanwhile) {
            // Saved meanwhile (in the window, by another machine): read again and merged, never replaced.
            depth_ = 0;
            storingAlone_ = true;
            storeLocal({}, staged.server, staged.created);
            storingAlone_ = false;
        } else if (!outcome.status) {
            failure(SyncProblemKind::AgendaNotWritten, staged.server.item.what, 0, outcome.status.error());
        } else {
            items_.noteStored(staged.server.item);
            SyncStatusItem entry;
            entry.href = staged.server.href;
            entry.etag = staged.server.etag;
            entry.localHash = staged.storedHash;
            entry.serverHash = staged.server.item.hash;
            status_.items.insert(staged.server.item.key, entry);
            ++(staged.created ? result_.agenda.created : result_.agenda.changed);
        }
    }
}

void CollectionRun::deleteLocal(const SyncItem& before) {
    const SyncItem now = items_.localNow(before.key);
    if (now.hash != before.hash) {
        if (!now.key.isEmpty())
            createOnServer(now);
        else
            status_.items.remove(before.key);
        return;
    }
    if (const common::Status removed = items_.remove(before.key); !removed)
        return failure(SyncProblemKind::AgendaNotWritten, before.what, 0, removed.error());
    status_.items.remove(before.key);
    ++result_.agenda.deleted;
}

void CollectionRun::merge(const SyncItem& local, ServerItem server) {
    if (++depth_ > kMaxDepth)
        return failure(SyncProblemKind::ServerKeepsChanging, local.what);
    if (server.body.isEmpty()) {
        if (const Fetched fetched = refetch(server); fetched != Fetched::Read) {
            if (fetched == Fetched::Gone)
                createOnServer(local);
            return;
        }
    }
    // Each attempt merges the newest server version with the agenda's own text, never with the merge an
    // earlier attempt stored; what the user saves meanwhile becomes the agenda's own text.
    SyncItem own = local;
    QByteArray storedMerge;
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        const SyncItem now = items_.localNow(local.key);
        if (!now.key.isEmpty() && now.hash != storedMerge)
            own = now;
        SyncItem merged = items_.merged(server.item, own, separator());
        if (merged.hash != (now.key.isEmpty() ? local.hash : now.hash)) {
            if (const common::Status stored = items_.store(merged); !stored)
                return failure(SyncProblemKind::AgendaNotWritten, local.what, 0, stored.error());
        }
        storedMerge = merged.hash;
        if (merged.hash == server.item.hash) {
            remember(local.key, server.href, server.etag, server.body);
            ++result_.agenda.merged;
            return;
        }
        merged.uid = server.item.uid;
        QByteArray body;
        const DavReply reply = putOver(server, merged, body);
        if (client_.failed())
            return;
        if (reply.ok()) {
            remember(local.key, server.href, reply.etag, body);
            ++result_.agenda.merged;
            ++result_.server.merged;
            return;
        }
        if (reply.status == 404 || reply.status == 410) {
            SyncItem again = items_.localNow(local.key);
            return createOnServer(again.key.isEmpty() ? merged : again);
        }
        if (reply.status != 412 || refetch(server) != Fetched::Read)
            return failure(SyncProblemKind::ServerRefused, local.what, reply.status);
    }
    failure(SyncProblemKind::ServerKeepsChanging, local.what);
}

} // namespace quindara
