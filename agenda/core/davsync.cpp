// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/davsync.h"

#include "agenda/core/davcollectionrun.h"
#include "agenda/core/exchange.h"
#include "agenda/core/folderid.h"
#include "agenda/core/logging.h"

#include <QDir>

#include <memory>
#include <utility>
#include <vector>

namespace quindara {

namespace {

constexpr int kMaxDepth = 4;

QString plural(int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

QString countLine(const QString& side, const SyncCount& c) {
    return QStringLiteral("%1: %2, %3, %4, %5.")
        .arg(side, plural(c.created, "creado", "creados"), plural(c.changed, "cambiado", "cambiados"),
             plural(c.deleted, "borrado", "borrados"),
             plural(c.merged, "con las dos versiones conservadas", "con las dos versiones conservadas"));
}

QString httpFailure(int status) {
    return status == 0 ? QStringLiteral("el servidor no ha contestado")
                       : QStringLiteral("el servidor no lo acepta (HTTP %1)").arg(status);
}

} // namespace

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

bool CollectionRun::refetch(ServerItem& server) {
    fetchFailed_ = false;
    const DavReply reply = client_.send("GET", urlOf(server.href));
    if (reply.status == 404 || reply.status == 410)
        return false;
    fetchFailed_ = true;
    if (client_.failed())
        return false;
    if (!reply.ok()) {
        failure(server.item.what.isEmpty() ? server.href : server.item.what, httpFailure(reply.status));
        return false;
    }
    const QString key = server.item.key;
    QString reason;
    if (!items_.fromServer(reply.body, server.item, reason)) {
        failure(server.href.section(u'/', -1), reason);
        return false;
    }
    fetchFailed_ = false;
    server.item.key = key;
    server.body = reply.body;
    server.etag = reply.etag;
    return true;
}

void CollectionRun::decide(const QString& key) {
    const bool hasS = status_.items.contains(key);
    const SyncStatusItem s = status_.items.value(key);
    const bool hasL = local_.contains(key);
    const SyncItem local = local_.value(key);
    const bool hasR = server_.contains(key);
    const ServerItem server = server_.value(key);
    depth_ = 0;
    if (!hasS) {
        if (hasL && !hasR)
            createOnServer(local);
        else if (!hasL && hasR)
            storeLocal({}, server, true);
        else if (local.hash == server.item.hash) // the same on both: a run cut short, or typed twice
            remember(key, server.href, server.etag, server.body);
        else
            merge(local, server);
        return;
    }
    const bool localChanged = hasL && local.hash != s.localHash;
    const bool serverChanged = hasR && server.item.hash != s.serverHash;
    if (hasL && hasR) {
        if (!localChanged && !serverChanged) {
            keepUnchanged(key);
        } else if (localChanged && !serverChanged) {
            updateServer(local, server);
        } else if (!localChanged) {
            storeLocal(local, server, false);
        } else if (local.hash == server.item.hash) {
            remember(key, server.href, server.etag, server.body);
        } else {
            merge(local, server);
        }
    } else if (hasL) {
        // Gone from the server: deleted there unless the agenda changed it since, which keeps it.
        if (localChanged)
            createOnServer(local);
        else
            deleteLocal(local);
    } else if (hasR) {
        if (serverChanged)
            storeLocal({}, server, true);
        else
            deleteOnServer(server);
    } else {
        status_.items.remove(key);
    }
}

void CollectionRun::createOnServer(const SyncItem& local) {
    if (++depth_ > kMaxDepth)
        return failure(local.what, QStringLiteral("el servidor lo cambia una y otra vez"));
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
        if (!refetch(there))
            return failure(local.what, httpFailure(reply.status));
        if (there.item.hash == local.hash)
            remember(local.key, there.href, there.etag, there.body);
        else
            merge(local, there);
        return;
    }
    failure(local.what, httpFailure(reply.status));
}

void CollectionRun::updateServer(const SyncItem& local, ServerItem server) {
    const QByteArray known = status_.items.value(local.key).serverHash;
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        if (server.body.isEmpty()) {
            if (!refetch(server)) {
                if (!fetchFailed_)
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
            return failure(local.what, httpFailure(reply.status));
        // Changed on the server since it was listed: read it again, never write over it.
        server.body.clear();
    }
    failure(local.what, QStringLiteral("el servidor lo cambia una y otra vez"));
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
        // Changed on the server meanwhile: the changed one is kept, and comes to the agenda.
        ServerItem now = server;
        if (refetch(now))
            storeLocal({}, now, true);
        else if (!fetchFailed_)
            status_.items.remove(server.item.key);
        return;
    }
    failure(server.item.what.isEmpty() ? server.href : server.item.what, httpFailure(reply.status));
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
        return failure(item.what, stored.error());
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
            failure(staged.server.item.what, outcome.status.error());
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
        return failure(before.what, removed.error());
    status_.items.remove(before.key);
    ++result_.agenda.deleted;
}

void CollectionRun::merge(const SyncItem& local, ServerItem server) {
    if (++depth_ > kMaxDepth)
        return failure(local.what, QStringLiteral("el servidor lo cambia una y otra vez"));
    if (server.body.isEmpty() && !refetch(server)) {
        if (!fetchFailed_)
            createOnServer(local);
        return;
    }
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        const SyncItem now = items_.localNow(local.key);
        const SyncItem base = now.key.isEmpty() ? local : now;
        SyncItem merged = items_.merged(server.item, base, separator());
        if (merged.hash != base.hash) {
            if (const common::Status stored = items_.store(merged); !stored)
                return failure(local.what, stored.error());
        }
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
        if (reply.status != 412 || !refetch(server))
            return failure(local.what, httpFailure(reply.status));
    }
    failure(local.what, QStringLiteral("el servidor lo cambia una y otra vez"));
}

int SyncResult::exitCode() const {
    switch (error.kind) {
    case DavErrorKind::None:
        break;
    case DavErrorKind::Unreachable:
        return 4;
    case DavErrorKind::Cancelled:
        return 3;
    case DavErrorKind::WrongPassword:
    case DavErrorKind::Forbidden:
    case DavErrorKind::StorageFull:
    case DavErrorKind::CertificateNotTrusted:
    case DavErrorKind::InsecureAddress:
    case DavErrorKind::Protocol:
        return 1;
    }
    return failures.isEmpty() && emptySideQuestion.isEmpty() ? 0 : 3;
}

QString SyncResult::summary() const {
    QStringList lines;
    if (error.kind != DavErrorKind::None) {
        lines.append(QStringLiteral("No se ha terminado: %1.").arg(error.text));
        if (!error.fingerprint.isEmpty())
            lines.append(QStringLiteral("Huella SHA-256 del certificado: %1").arg(error.fingerprint));
    }
    lines.append(countLine(QStringLiteral("En la agenda"), agenda));
    lines.append(countLine(QStringLiteral("En el servidor"), server));
    if (!emptySideQuestion.isEmpty()) {
        lines.append(emptySideQuestion);
        lines.append(QStringLiteral("No se ha cambiado nada en esa colección."));
    }
    appendListed(lines, QStringLiteral("Omitidos"), leftOut);
    appendListed(lines, QStringLiteral("No se ha podido sincronizar"), failures);
    return lines.join(u'\n') + u'\n';
}

SyncResult runSync(const DataFolder& data, const SyncAccount& account, const QString& password,
                   const SyncOptions& options) {
    SyncResult result;
    DavClient client(account.server, account.user, password, account.acceptedFingerprint,
                     options.answerTimeoutMs);
    client.setCancelled(options.cancelled);
    if (!QDir().mkpath(syncFolderPath(data))) {
        result.failures.append(
            QStringLiteral("«%1»: no se puede crear la carpeta").arg(syncFolderPath(data)));
        return result;
    }
    SyncStatus record(QDir(syncFolderPath(data)).filePath(account.id + QStringLiteral(".status")));
    record.load();
    const QString folderId = folderIdentifier(data);
    std::vector<std::unique_ptr<CollectionRun>> runs;
    for (const bool addressBook : {false, true}) {
        const QUrl& url = addressBook ? account.addressBook : account.calendar;
        if (!url.isValid() || url.isEmpty())
            continue;
        runs.push_back(std::make_unique<CollectionRun>(
            client, url, addressBook ? account.addressBookName : account.calendarName,
            SyncItems(data, addressBook, account.withNotes, folderId, options.today),
            record.collection(url.toString()), record, result, options));
    }
    if (options.progress)
        options.progress(SyncPhase::Listing, 0, qsizetype(runs.size()));
    // Every collection listed at once: one round trip when nothing changed.
    QList<DavReply> listings;
    const bool sameVerb = std::all_of(runs.begin(), runs.end(), [&](const auto& run) {
        return run->listingVerb() == runs.front()->listingVerb();
    });
    if (sameVerb && !runs.empty()) {
        QList<QPair<QUrl, QByteArray>> requests;
        for (const auto& run : runs)
            requests.append({run->url(), run->listingBody()});
        const QByteArray verb = runs.front()->listingVerb();
        listings = client.sendAll(requests, verb, {{"Depth", verb == "REPORT" ? "0" : "1"}});
    } else {
        for (const auto& run : runs)
            listings.append(client.send(run->listingVerb(), run->url(), run->listingBody(),
                                        {{"Depth", run->listingVerb() == "REPORT" ? "0" : "1"}}));
    }
    for (size_t i = 0; i < runs.size() && !client.failed(); ++i) {
        if (runs[i]->listed(listings.value(qsizetype(i))))
            runs[i]->run();
        if (options.cancelled && options.cancelled())
            break;
    }
    if (const common::Status saved = record.save(); !saved)
        result.failures.append(QStringLiteral("el estado de la sincronización: %1").arg(saved.error()));
    if (client.failed())
        result.error = client.error();
    else if (options.cancelled && options.cancelled())
        result.error = {DavErrorKind::Cancelled, davErrorText(DavErrorKind::Cancelled), {}, {}};
    result.requests = client.requestCount();
    return result;
}

} // namespace quindara
