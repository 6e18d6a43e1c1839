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
    return common::encodeText(shown, common::Ending::Bare);
}

std::optional<QDateTime> timeStampOf(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,4})-(\\d{1,2})-(\\d{1,2})--(\\d{1,2})-(\\d{1,2})$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    const auto part = [&match](int n) { return match.capturedView(n).toInt(); };
    const QDate date(part(1), part(2), part(3));
    const QTime time(part(4), part(5));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

QStringList orderedLogNames(QStringList names) {
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const auto momentA = timeStampOf(a);
        const auto momentB = timeStampOf(b);
        if (momentA && momentB && *momentA != *momentB)
            return *momentA > *momentB;
        if (momentA.has_value() != momentB.has_value())
            return momentA.has_value();
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

int nextViewerFontSize(int size) {
    size += 2;
    return size == 20 ? 12 : size;
}

bool SavedLogs::ensureFolder() const {
    return QDir().mkpath(folder_.savedLogsFolder());
}

QStringList SavedLogs::names() const {
    return orderedLogNames(QDir(folder_.savedLogsFolder()).entryList(QDir::Files));
}

std::optional<QByteArray> SavedLogs::read(const QString& name) const {
    if (!common::isSafeFileName(name))
        return std::nullopt;
    return common::readBytes(folder_.savedLog(name));
}

std::optional<QString> SavedLogs::save(const QByteArray& bytes, const QDateTime& moment,
                                       QString* error) const {
    const QString name = common::timeStampName(moment);
    // The folder may have gone since the window opened; the copy is worth recreating it.
    if (!ensureFolder()) {
        if (error)
            *error = QStringLiteral("no existe la carpeta %1").arg(QDir::toNativeSeparators(folderPath()));
        return std::nullopt;
    }
    if (!common::writeBytes(folder_.savedLog(name), bytes, error))
        return std::nullopt;
    return name;
}

bool SavedLogs::remove(const QString& name) const {
    if (!common::isSafeFileName(name))
        return false;
    const QString path = folder_.savedLog(name);
    return QFileInfo(path).isFile() && common::removeFile(path);
}

} // namespace tallimo
