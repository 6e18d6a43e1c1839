#include "calculator/core/savedlogs.h"

#include "common/programfolder.h"
#include "common/textfile.h"
#include "common/timestamp.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

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
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const auto stampA = stampOf(a);
        const auto stampB = stampOf(b);
        if (stampA && stampB) {
            if (stampA->moment != stampB->moment)
                return stampA->moment > stampB->moment;
            if (stampA->counter != stampB->counter)
                return stampA->counter < stampB->counter;
        }
        if (stampA.has_value() != stampB.has_value())
            return stampA.has_value();
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

int nextViewerFontSize(int size) {
    size += 2;
    return size == 20 ? 12 : size;
}

common::Status SavedLogs::ensureFolder() const {
    if (QDir().mkpath(folder_.savedLogsFolder()))
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
    // The folder may have gone since the window opened; the copy is worth recreating it.
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
