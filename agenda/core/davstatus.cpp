// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/davstatus.h"

#include "agenda/core/logging.h"
#include "common/textfile.h"

#include <QFileInfo>
#include <QUrl>
#include <QVarLengthArray>

#include <algorithm>

namespace quindara {

namespace {

const QString kHeader = QStringLiteral("quindara-sync-status 1");

QString encoded(const QString& text) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text, "/@:+()"));
}

QString decoded(QStringView text) {
    // Most fields need no decoding; the others as QUrl decodes them.
    const bool plain =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80 && c != u'%'; });
    return plain ? text.toString() : QUrl::fromPercentEncoding(text.toLatin1());
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
    // Split in place, each collection looked up once for its run of lines: a run that changes nothing
    // reads the whole record.
    QStringView lastUrl;
    SyncCollectionStatus* collection = nullptr;
    QVarLengthArray<QStringView, 9> parts;
    for (const QString& line : lines) {
        parts.clear();
        for (const QStringView part : QStringView(line).tokenize(u'\t')) {
            parts.append(part);
            if (parts.size() == 9)
                break;
        }
        if (parts.isEmpty())
            continue;
        if (parts[0] == u"token" && parts.size() == 3) {
            collections_[decoded(parts[1])].syncToken = decoded(parts[2]);
            collection = nullptr;
        } else if (parts[0] == u"item" && parts.size() >= 7) {
            if (!collection || parts[1] != lastUrl) {
                collection = &collections_[decoded(parts[1])];
                lastUrl = parts[1];
            }
            collection->items.insert(decoded(parts[2]),
                                     {decoded(parts[3]), decoded(parts[4]).toUtf8(), parts[5].toLatin1(),
                                      parts[6].toLatin1(),
                                      parts.size() > 7 ? parts[7].toLatin1() : QByteArray()});
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
    }
    const common::Status written = common::writeLines(path_, lines);
    if (written)
        keepAsStored();
    if (!written)
        qCWarning(lcDavStatus) << "status record not saved:" << path_ << written.error();
    return written;
}

} // namespace quindara
