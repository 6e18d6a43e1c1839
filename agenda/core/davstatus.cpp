// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/davstatus.h"

#include "agenda/core/logging.h"
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
    return QString::fromLatin1(QUrl::toPercentEncoding(text, "/@:+()"));
}

// Most fields need no decoding; the others as QUrl decodes them.
QString decoded(QByteArrayView field) {
    const bool plain = std::all_of(field.begin(), field.end(), [](char c) { return c > 0 && c != '%'; });
    return plain ? QString::fromLatin1(field) : QUrl::fromPercentEncoding(field.toByteArray());
}

QByteArray decodedBytes(QByteArrayView field) {
    const bool plain = std::all_of(field.begin(), field.end(), [](char c) { return c > 0 && c != '%'; });
    return plain ? field.toByteArray() : decoded(field).toUtf8();
}

// The record's lines. It is written in ASCII with CR LF ends and is split as bytes; one edited into
// anything else is read as every text file is, each line as the fields' bytes.
QList<QByteArray> recordLines(const QString& path) {
    const std::optional<QByteArray> bytes = common::readBytes(path);
    if (!bytes || bytes->isEmpty())
        return {};
    bool plain = true;
    for (qsizetype i = 0; i < bytes->size() && plain; ++i) {
        const char c = bytes->at(i);
        plain = c > 0 && (c != '\r' || (i + 1 < bytes->size() && bytes->at(i + 1) == '\n'));
    }
    QList<QByteArray> lines;
    if (!plain) {
        for (const QString& line : common::readLines(path))
            lines.append(line.toLatin1());
        return lines;
    }
    lines = bytes->split('\n');
    if (bytes->endsWith('\n'))
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

} // namespace

void SyncStatus::load() {
    collections_.clear();
    stored_.clear();
    const QList<QByteArray> lines = recordLines(path_);
    if (lines.isEmpty())
        return;
    if (lines.first() != kHeader.toLatin1()) {
        qCWarning(lcDavStatus) << "status record of another form, started again:" << path_;
        return;
    }
    // Split in place, each collection looked up once for its run of lines: a run that changes nothing
    // reads the whole record.
    QByteArrayView lastUrl;
    SyncCollectionStatus* collection = nullptr;
    QVarLengthArray<QByteArrayView, 9> parts;
    for (const QByteArray& line : lines) {
        parts.clear();
        for (qsizetype from = 0; parts.size() < 9;) {
            const qsizetype tab = line.indexOf('\t', from);
            parts.append(QByteArrayView(line).sliced(from, (tab < 0 ? line.size() : tab) - from));
            if (tab < 0)
                break;
            from = tab + 1;
        }
        if (parts[0] == "token" && parts.size() == 3) {
            collections_[decoded(parts[1])].syncToken = decoded(parts[2]);
            collection = nullptr;
        } else if (parts[0] == "item" && parts.size() >= 7) {
            if (!collection || parts[1] != lastUrl) {
                collection = &collections_[decoded(parts[1])];
                collection->items.reserve(lines.size());
                lastUrl = parts[1];
            }
            collection->items.insert(decoded(parts[2]),
                                     {decoded(parts[3]), decodedBytes(parts[4]), parts[5].toByteArray(),
                                      parts[6].toByteArray(),
                                      parts.size() > 7 ? parts[7].toByteArray() : QByteArray()});
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
