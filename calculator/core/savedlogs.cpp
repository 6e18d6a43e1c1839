// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/savedlogs.h"

#include "common/conflictcopy.h"
#include "common/programfolder.h"
#include "common/textfile.h"
#include "common/timestamp.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace tallimo {

LogText::LogText(QByteArray bytes)
    : bytes_(std::move(bytes)), text_(common::textFromBytes(bytes_, common::Ending::Bare)) {}

QByteArray LogText::bytesFor(const QString& shown) const {
    if (shown == text_)
        return bytes_;
    QByteArray bytes = common::encodeText(shown, common::Ending::Bare);
    if (common::startsWithByteOrderMark(bytes_))
        bytes.prepend(common::kUtf8ByteOrderMark);
    return bytes;
}

namespace {

struct Stamp {
    QDateTime moment;
    int counter = 1; // 2, 3... for later logs of the same minute
};

std::optional<Stamp> stampOf(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{1,4})-(\\d{1,2})-(\\d{1,2})--(\\d{1,2})-(\\d{1,2})(?:-([2-9]|[1-9]\\d{1,5}))?$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    const auto part = [&match](int n) { return match.capturedView(n).toInt(); };
    const QDate date(part(1), part(2), part(3));
    const QTime time(part(4), part(5));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return Stamp{QDateTime(date, time), match.hasCaptured(6) ? part(6) : 1};
}

} // namespace

std::optional<QDateTime> timeStampOf(const QString& name) {
    const auto stamp = stampOf(name);
    return stamp ? std::optional<QDateTime>(stamp->moment) : std::nullopt;
}

QStringList orderedLogNames(QStringList names) {
    struct Entry {
        QString name;
        // The log's own name: a conflict copy is ordered as the log it is a copy of, after it.
        QString own;
        bool copy = false;
        std::optional<Stamp> stamp;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(names.size()));
    for (QString& name : names) {
        const auto copy = common::parseConflictCopyName(name);
        QString own = copy ? copy->originalName : name;
        auto stamp = stampOf(own);
        entries.push_back({std::move(name), std::move(own), copy.has_value(), stamp});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.stamp && b.stamp) {
            if (a.stamp->moment != b.stamp->moment)
                return a.stamp->moment > b.stamp->moment;
            if (a.stamp->counter != b.stamp->counter)
                return a.stamp->counter < b.stamp->counter;
        }
        if (a.stamp.has_value() != b.stamp.has_value())
            return a.stamp.has_value();
        if (const int order = a.own.compare(b.own, Qt::CaseInsensitive); order != 0)
            return order < 0;
        if (a.copy != b.copy)
            return b.copy;
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    QStringList ordered;
    ordered.reserve(qsizetype(entries.size()));
    for (Entry& entry : entries)
        ordered.append(std::move(entry.name));
    return ordered;
}

QString savedLogLabel(const QString& name, const QDate& today) {
    const auto copy = common::parseConflictCopyName(name);
    if (!copy)
        return name;
    return QStringLiteral("%1 (copia en conflicto de %2, %3)")
        .arg(copy->originalName, copy->tool, common::readableWhen(*copy, today));
}

int nextViewerFontSize(int size) {
    size += 2;
    return size == 20 ? 12 : size;
}

common::Status SavedLogs::ensureFolder() const {
    if (common::Status present = folder_.checkPresent(); !present)
        return present;
    const QString path = folder_.savedLogsFolder();
    if (QFileInfo(path).isDir() || QDir(folder_.programFolder()).mkdir(QFileInfo(path).fileName()))
        return {};
    return common::Status::failure(
        QStringLiteral("no existe la carpeta %1").arg(QDir::toNativeSeparators(folderPath())));
}

QStringList SavedLogs::names() const {
    return orderedLogNames(QDir(folder_.savedLogsFolder()).entryList(QDir::Files));
}

std::optional<QByteArray> SavedLogs::read(const QString& name) const {
    if (!common::isSafeFileName(name))
        return std::nullopt;
    return common::readBytes(folder_.savedLog(name));
}

common::Result<QString> SavedLogs::save(const QByteArray& bytes, const QDateTime& moment,
                                        const std::optional<SavedLog>& editing) const {
    // The folder of saved logs may have gone since the window opened; the copy is worth making it again.
    if (common::Status folder = ensureFolder(); !folder)
        return folder;
    const QString name = common::freeTimeStampName(moment, [&](const QString& candidate) {
        const QString path = folder_.savedLog(candidate);
        if (!QFileInfo::exists(path))
            return true;
        return editing && editing->name == candidate && common::readBytes(path) == editing->bytes;
    });
    if (common::Status written = common::writeBytes(folder_.savedLog(name), bytes); !written)
        return written;
    return name;
}

common::Status SavedLogs::remove(const QString& name) const {
    const QString path = folder_.savedLog(name);
    if (!common::isSafeFileName(name) || !QFileInfo(path).isFile())
        return common::Status::failure(QStringLiteral("no existe la operación guardada «%1»").arg(name));
    return common::removeFile(path);
}

} // namespace tallimo
