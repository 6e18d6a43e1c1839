// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/davstatus.h"

#include "agenda/core/logging.h"
#include "common/textfile.h"

#include <QFileInfo>
#include <QUrl>

namespace quindara {

namespace {

const QString kHeader = QStringLiteral("quindara-sync-status 1");

QString encoded(const QString& text) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text, "/@:+()"));
}

QString decoded(const QString& text) {
    return QUrl::fromPercentEncoding(text.toLatin1());
}

} // namespace

void SyncStatus::load() {
    collections_.clear();
    stored_.clear();
    const QStringList lines = common::readLines(path_);
    if (lines.isEmpty())
        return;
    if (lines.first() != kHeader) {
        qCWarning(lcDavStatus) << "status record of another form, started again:" << path_;
        return;
    }
    for (const QString& line : lines) {
        const QStringList parts = line.split(u'\t');
        if (parts.value(0) == u"token" && parts.size() == 3) {
            collections_[decoded(parts[1])].syncToken = decoded(parts[2]);
        } else if (parts.value(0) == u"item" && parts.size() >= 7) {
            collections_[decoded(parts[1])].items.insert(
                decoded(parts[2]), {decoded(parts[3]), decoded(parts[4]).toUtf8(), parts[5].toLatin1(),
                                    parts[6].toLatin1(), parts.value(7).toLatin1()});
        } else if (parts.value(0) == u"shared" && parts.size() == 5) {
            SyncSharedItem& shared = collections_[decoded(parts[1])].shared[decoded(parts[2])];
            shared.etag = decoded(parts[3]).toUtf8();
            shared.hash = parts[4].toLatin1();
        } else if (parts.value(0) == u"fed" && parts.size() >= 5) {
            SyncFedDay& day =
                collections_[decoded(parts[1])].shared[decoded(parts[2])].days[decoded(parts[3])];
            day.pending = parts[4] == u"pending";
            for (qsizetype i = 5; i < parts.size(); ++i)
                day.texts.append(decoded(parts[i]));
        }
    }
    keepAsStored();
}

void SyncStatus::keepAsStored() const {
    // A copy of its own: the runs write through references into `collections_`, which must not reach it.
    stored_ = collections_;
    stored_.detach();
}

common::Status SyncStatus::save() const {
    if (collections_ == stored_ && QFileInfo::exists(path_))
        return {};
    QStringList lines = {kHeader};
    QStringList urls = collections_.keys();
    urls.sort();
    for (const QString& url : std::as_const(urls)) {
        const auto c = collections_.constFind(url);
        lines.append(QStringLiteral("token\t%1\t%2").arg(encoded(url), encoded(c->syncToken)));
        QStringList keys = c->items.keys();
        keys.sort();
        for (const QString& key : std::as_const(keys)) {
            const auto i = c->items.constFind(key);
            lines.append(QStringList{QStringLiteral("item"), encoded(url), encoded(i.key()), encoded(i->href),
                                     encoded(QString::fromUtf8(i->etag)), QString::fromLatin1(i->localHash),
                                     QString::fromLatin1(i->serverHash), QString::fromLatin1(i->localStamp)}
                             .join(u'\t'));
        }
        QStringList hrefs = c->shared.keys();
        hrefs.sort();
        for (const QString& href : std::as_const(hrefs)) {
            const SyncSharedItem shared = c->shared.value(href);
            lines.append(QStringList{QStringLiteral("shared"), encoded(url), encoded(href),
                                     encoded(QString::fromUtf8(shared.etag)),
                                     QString::fromLatin1(shared.hash)}
                             .join(u'\t'));
            QStringList days = shared.days.keys();
            days.sort();
            for (const QString& day : std::as_const(days)) {
                const SyncFedDay fed = shared.days.value(day);
                QStringList parts = {QStringLiteral("fed"), encoded(url), encoded(href), encoded(day),
                                     fed.pending ? QStringLiteral("pending") : QStringLiteral("done")};
                for (const QString& text : fed.texts)
                    parts.append(encoded(text));
                lines.append(parts.join(u'\t'));
            }
        }
    }
    const common::Status written = common::writeLines(path_, lines);
    if (written)
        keepAsStored();
    if (!written)
        qCWarning(lcDavStatus) << "status record not saved:" << path_ << written.error();
    return written;
}

} // namespace quindara
