// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/sync/davstatus.h"

#include "agenda/core/sync/logging.h"
#include "common/textfile.h"

#include <QByteArrayView>
#include <QFileInfo>
#include <QUrl>
#include <QVarLengthArray>

#include <algorithm>

namespace quindara {

namespace {

const QString kHeader = QStringLiteral("quindara-sync-status 1");

QString encoded(const QString& text) {
    // Most fields (keys, paths, hashes) need no escape: kept as they are without a round trip through bytes.
    const auto plain = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
               QStringView(u"-._~/@:+()").contains(c);
    };
    if (std::all_of(text.cbegin(), text.cend(), plain))
        return text;
    return QString::fromLatin1(QUrl::toPercentEncoding(text, "/@:+()"));
}

// Most fields need no decoding; the others as QUrl decodes them.
QString decoded(QByteArrayView field) {
    const bool plain = std::all_of(field.begin(), field.end(), [](char c) { return c > 0 && c != '%'; });
    return plain ? QString::fromLatin1(field) : QUrl::fromPercentEncoding(field.toByteArray());
}

QByteArray decodedBytes(QByteArrayView field) {
    const bool plain = std::all_of(field.begin(), field.end(), [](char c) { return c > 0 && c != '%'; });
    return plain ? field.toByteArray() : QByteArray::fromPercentEncoding(field.toByteArray());
}

// The record's bytes, lines ended by LF (and maybe CR). It is written in ASCII with CR LF ends and is read
// as it is; one edited into anything else is read as every text file is, each line as the fields' bytes.
QByteArray recordText(const QString& path) {
    const std::optional<QByteArray> bytes = common::readBytes(path);
    if (!bytes || bytes->isEmpty())
        return {};
    bool plain = QtPrivate::isAscii(QLatin1StringView(*bytes)) && !bytes->contains('\0');
    for (qsizetype cr = bytes->indexOf('\r'); plain && cr >= 0; cr = bytes->indexOf('\r', cr + 1))
        plain = cr + 1 < bytes->size() && bytes->at(cr + 1) == '\n';
    if (plain)
        return *bytes;
    QByteArray text;
    for (const QString& line : common::readLines(path))
        text += line.toLatin1() + '\n';
    return text;
}

} // namespace

void SyncStatus::load(const QString& from) {
    collections_.clear();
    stored_.clear();
    const QString& path = from.isEmpty() ? path_ : from;
    const QByteArray text = recordText(path);
    // Split in place, each collection looked up once for its run of lines: a run that changes nothing
    // reads the whole record.
    QByteArrayView lastUrl;
    SyncCollectionStatus* collection = nullptr;
    QVarLengthArray<QByteArrayView, 9> parts;
    for (qsizetype from = 0; from < text.size();) {
        qsizetype end = text.indexOf('\n', from);
        if (end < 0)
            end = text.size();
        QByteArrayView line(text.constData() + from, end - from);
        if (line.endsWith('\r'))
            line.chop(1);
        const bool header = from == 0;
        from = end + 1;
        if (header) {
            if (line == kHeader.toLatin1())
                continue;
            qCWarning(lcDavStatus) << "status record of another form, started again:" << path;
            return;
        }
        parts.clear();
        for (qsizetype at = 0;;) {
            const qsizetype tab = line.indexOf('\t', at);
            parts.append(line.sliced(at, (tab < 0 ? line.size() : tab) - at));
            if (tab < 0)
                break;
            at = tab + 1;
        }
        if (parts[0] == "token" && parts.size() == 3) {
            collections_[decoded(parts[1])].syncToken = decoded(parts[2]);
            collection = nullptr;
        } else if (parts[0] == "item" && parts.size() >= 7) {
            if (!collection || parts[1] != lastUrl) {
                collection = &collections_[decoded(parts[1])];
                lastUrl = parts[1];
            }
            collection->items.insert(decoded(parts[2]),
                                     {decoded(parts[3]), decodedBytes(parts[4]), parts[5].toByteArray(),
                                      parts[6].toByteArray(),
                                      parts.size() > 7 ? parts[7].toByteArray() : QByteArray()});
        } else if (parts[0] == "shared" && parts.size() == 5) {
            collection = nullptr; // a new collection may move the others
            SyncSharedItem& shared = collections_[decoded(parts[1])].shared[decoded(parts[2])];
            shared.etag = decodedBytes(parts[3]);
            shared.hash = parts[4].toByteArray();
        } else if (parts[0] == "fed" && parts.size() >= 5) {
            collection = nullptr;
            SyncFedDay& day =
                collections_[decoded(parts[1])].shared[decoded(parts[2])].days[decoded(parts[3])];
            day.pending = parts[4] == "pending";
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
