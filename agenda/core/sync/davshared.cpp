// SPDX-License-Identifier: GPL-3.0-or-later
// Server items that fill several days (a weekly meeting, a trip), or a day another server item fills
// already: their text is added to each day as an import adds it, and what was added is kept in the status
// record, so that the agenda never gives it back as a text of its own.
#include "agenda/core/sync/davcollectionrun.h"
#include "agenda/core/sync/logging.h"

#include <QCryptographicHash>
#include <QSet>

#include <algorithm>

namespace quindara {

namespace {

// The text each day gets from the item, by key; a day it fills twice gets both texts.
QHash<QString, QString> textsByDay(const QList<SyncItem>& days) {
    QHash<QString, QString> texts;
    for (const SyncItem& day : days) {
        if (day.day.text.trimmed().isEmpty())
            continue;
        QString& text = texts[day.key];
        text = text.isEmpty() ? day.day.text : dayWithText(text, day.day.text);
    }
    return texts;
}

QByteArray hashOfDays(const QHash<QString, QString>& texts) {
    QStringList keys = texts.keys();
    keys.sort();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& key : std::as_const(keys))
        hash.addData((key + u'\n' + texts.value(key) + QChar(0x1e)).toUtf8());
    return hash.result().toHex();
}

bool holdsAny(const QString& day, const QStringList& texts) {
    return std::any_of(texts.cbegin(), texts.cend(), [&](const QString& t) { return dayHoldsText(day, t); });
}

} // namespace

bool CollectionRun::takenAsShared(ServerItem& server, bool& mapped) {
    mapped = false;
    if (items_.addressBook())
        return false;
    const bool tracked = status_.shared.contains(server.href);
    if (server.body.isEmpty())
        return tracked; // unchanged since the last run
    QList<SyncItem> days;
    QStringList skipped;
    QString reason;
    if (!items_.daysFromServer(server.body, days, skipped, reason)) {
        if (tracked) // left as it was: its texts stay where they are
            result_.leftOut.append(
                QStringLiteral("«%1» del servidor: %2").arg(server.href.section(u'/', -1), reason));
        return tracked;
    }
    if (!tracked && days.size() == 1) {
        server.item = days.first();
        mapped = true;
        return false;
    }
    result_.leftOut += skipped;
    sharedNow_.insert(server.href, days);
    return true;
}

void CollectionRun::feedSharedTexts() {
    QHash<QString, QStringList> texts;
    for (const SyncSharedItem& shared : std::as_const(status_.shared)) {
        for (auto day = shared.days.cbegin(); day != shared.days.cend(); ++day)
            texts[day.key()] += day->texts;
    }
    items_.setSharedTexts(std::move(texts));
}

void CollectionRun::excludeDays(const QString& href, const QStringList& keys) {
    const DavReply now = client_.send("GET", urlOf(href));
    if (!now.ok())
        return; // changed, gone or not reached: the next run sees it
    QList<SyncItem> days;
    QStringList skipped;
    QString reason;
    SyncSharedItem& shared = status_.shared[href];
    if (!items_.daysFromServer(now.body, days, skipped, reason) ||
        (now.etag != shared.etag && hashOfDays(textsByDay(days)) != shared.hash))
        return; // changed since: brought in first by the next run
    const QByteArray body = items_.withoutDays(now.body, keys);
    QList<SyncItem> left;
    if (body.isEmpty() || now.etag.isEmpty() || !items_.daysFromServer(body, left, skipped, reason))
        return;
    // Written only when exactly those days went (an event of another zone may fall on another day here).
    const QHash<QString, QString> texts = textsByDay(left);
    QSet<QString> expected;
    for (const SyncItem& day : std::as_const(days))
        expected.insert(day.key);
    for (const QString& key : keys)
        expected.remove(key);
    if (QSet<QString>(texts.keyBegin(), texts.keyEnd()) != expected)
        return;
    const DavReply put = client_.send("PUT", urlOf(href), body,
                                      {{"Content-Type", items_.contentType()}, {"If-Match", now.etag}});
    if (!put.ok()) {
        if (!client_.failed() && put.status != 412)
            qCWarning(lcDavSync) << "dates not taken out of" << href << put.status;
        return;
    }
    shared.etag = put.etag;
    shared.hash = hashOfDays(texts);
    for (const QString& key : keys)
        shared.days.remove(key);
    ++result_.server.changed;
}

void CollectionRun::updateShared() {
    releaseChangedDays();
    QList<SharedUpdate> updates = planSharedUpdates();
    if (updates.isEmpty() || !keepPendingTexts(updates))
        return;
    QStringList recognised; // days whose text was taken as the agenda's own when it was listed
    for (const SharedUpdate& update : std::as_const(updates))
        writeSharedDays(update, recognised);
    feedSharedTexts();
    readAgain(recognised);
}

void CollectionRun::releaseChangedDays() {
    // Not after a status from elsewhere: the day's file may not have come to this machine yet.
    if (statusFromElsewhere_)
        return;
    QHash<QString, QStringList> taken;
    for (auto shared = status_.shared.begin(); shared != status_.shared.end(); ++shared) {
        for (auto day = shared->days.begin(); day != shared->days.end(); ++day) {
            if (day->pending || day->texts.isEmpty() || !lostSharedTexts(day.key(), day->texts))
                continue;
            day->texts.clear();
            if (!sharedNow_.contains(shared.key()))
                taken[shared.key()].append(day.key());
        }
    }
    for (auto t = taken.cbegin(); t != taken.cend() && !client_.failed(); ++t)
        excludeDays(t.key(), *t);
}

bool CollectionRun::lostSharedTexts(const QString& key, const QStringList& texts) const {
    const auto local = local_.constFind(key);
    if (local != local_.cend() && !local->stamp.isEmpty() &&
        status_.items.value(key).localStamp == local->stamp)
        return false; // the file is as it was
    return !holdsAny(items_.dayText(key), texts);
}

QList<CollectionRun::SharedUpdate> CollectionRun::planSharedUpdates() {
    QList<SharedUpdate> updates;
    for (auto s = status_.shared.begin(); s != status_.shared.end(); ++s) {
        if (!etags_.contains(s.key())) {
            if (!unfetched_.contains(s.key()))
                updates.append({s.key(), {}, {}, {}, {}, false});
            continue;
        }
        const auto now = sharedNow_.constFind(s.key());
        if (now == sharedNow_.cend())
            continue;
        const QHash<QString, QString> texts = textsByDay(*now);
        const QByteArray hash = hashOfDays(texts);
        if (hash == s->hash) {
            s->etag = etags_.value(s.key()); // a new ETag over the same content is no change
            continue;
        }
        updates.append({s.key(), texts, etags_.value(s.key()), hash, {}, false});
    }
    for (auto now = sharedNow_.cbegin(); now != sharedNow_.cend(); ++now) {
        if (!status_.shared.contains(now.key())) {
            const QHash<QString, QString> texts = textsByDay(*now);
            updates.append({now.key(), texts, etags_.value(now.key()), hashOfDays(texts), {}, true});
        }
    }
    return updates;
}

bool CollectionRun::keepPendingTexts(QList<SharedUpdate>& updates) {
    for (SharedUpdate& update : updates) {
        SyncSharedItem& shared = status_.shared[update.href];
        shared.etag.clear();
        shared.hash.clear();
        for (auto t = update.texts.cbegin(); t != update.texts.cend(); ++t) {
            SyncFedDay& day = shared.days[t.key()];
            if (day.texts.contains(*t))
                update.oursBefore.insert(t.key());
            else
                day.texts.append(*t);
        }
        for (SyncFedDay& day : shared.days)
            day.pending = true;
    }
    feedSharedTexts();
    if (const common::Status saved = record_.save(); !saved) {
        failure(SyncProblemKind::RecordNotSaved, {}, 0, saved.error());
        return false;
    }
    return true;
}

void CollectionRun::writeSharedDays(const SharedUpdate& update, QStringList& recognised) {
    SyncSharedItem& shared = status_.shared[update.href];
    QStringList keys = shared.days.keys();
    keys.sort();
    bool wrote = false;
    bool failed = false;
    for (const QString& key : std::as_const(keys)) {
        const DayWrite written = writeSharedDay(update, shared, key, recognised);
        wrote = wrote || written == DayWrite::Written;
        failed = failed || written == DayWrite::Failed;
    }
    if (wrote)
        ++(update.isNew             ? result_.agenda.created
           : update.texts.isEmpty() ? result_.agenda.deleted
                                    : result_.agenda.changed);
    if (failed)
        return;
    if (update.texts.isEmpty()) {
        status_.shared.remove(update.href);
    } else {
        shared.etag = update.etag;
        shared.hash = update.hash;
    }
}

CollectionRun::DayWrite CollectionRun::writeSharedDay(const SharedUpdate& update, SyncSharedItem& shared,
                                                      const QString& key, QStringList& recognised) {
    SyncFedDay& day = shared.days[key];
    const QString fresh = update.texts.value(key);
    // Read right before it is replaced: what the user saved meanwhile stays.
    const QString before = items_.dayText(key);
    QString text = before;
    for (const QString& old : std::as_const(day.texts)) {
        if (old != fresh)
            text = dayWithoutText(text, old);
    }
    // The new text is this item's when added now, when the status had it for this day already, or when the
    // day got it since this machine's last run: another machine of the folder brought it (each machine
    // keeps its own record). A day that held it as its own text then keeps it so.
    const bool held = !fresh.isEmpty() && dayHoldsText(text, fresh);
    const bool ours = !fresh.isEmpty() && (!held || update.oursBefore.contains(key) || !ownAtLastRun(key));
    if (!fresh.isEmpty() && !held)
        text = dayWithText(text, fresh);
    else if (held && ours && !update.oursBefore.contains(key))
        recognised.append(key);
    if (text != before) {
        if (const common::Status stored = items_.storeDayText(key, text); !stored) {
            failure(SyncProblemKind::AgendaNotWritten, update.href.section(u'/', -1), 0, stored.error());
            return DayWrite::Failed;
        }
    }
    if (ours)
        day = {{fresh}, false};
    else
        shared.days.remove(key);
    return text != before ? DayWrite::Written : DayWrite::Unchanged;
}

void CollectionRun::readAgain(const QStringList& keys) {
    for (const QString& key : keys) {
        if (const SyncItem now = items_.localNow(key); now.key.isEmpty())
            local_.remove(key);
        else
            local_.insert(key, now);
    }
}

} // namespace quindara
