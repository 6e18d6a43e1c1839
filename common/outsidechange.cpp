// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/outsidechange.h"

#include "common/storedfile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocale>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

namespace {

qint64 nanoseconds(const timespec& time) {
    return qint64(time.tv_sec) * 1'000'000'000LL + time.tv_nsec;
}

bool statNative(const QByteArray& nativePath, FileVersion& version) {
    struct stat info {};
    if (::stat(nativePath.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    version.size = info.st_size;
    version.modifiedNs = nanoseconds(info.st_mtim);
    version.statusChangedNs = nanoseconds(info.st_ctim);
    return true;
}

std::optional<QByteArray> hashOf(const QByteArray& nativePath) {
    QFile file;
    if (!openNative(nativePath, file))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!hash.addData(&file))
        return std::nullopt;
    return hash.result();
}

} // namespace

FileVersion FileVersion::at(const QByteArray& nativePath) {
    FileVersion version;
    if (!statNative(nativePath, version))
        return FileVersion();
    const auto hash = hashOf(nativePath);
    // Something that cannot be read counts as there, with an empty hash: it equals only itself unread.
    version.exists = true;
    version.hash = hash.value_or(QByteArray());
    return version;
}

FileVersion FileVersion::at(const QString& path) {
    return at(QFile::encodeName(path));
}

QDateTime FileVersion::modified() const {
    return exists ? QDateTime::fromMSecsSinceEpoch(modifiedNs / 1'000'000) : QDateTime();
}

bool changedSince(const FileVersion& loaded, const QByteArray& nativePath) {
    FileVersion now;
    const bool exists = statNative(nativePath, now);
    if (exists != loaded.exists)
        return true;
    if (!exists || (now.size == loaded.size && now.modifiedNs == loaded.modifiedNs &&
                    now.statusChangedNs == loaded.statusChangedNs))
        return false;
    return !FileVersion::at(nativePath).sameContentAs(loaded);
}

QStringList outsideChoiceCaptions() {
    return {QStringLiteral("Conservar ambos"), QStringLiteral("Usar el mío"), QStringLiteral("Usar el otro")};
}

namespace {

QString timeText(const QDateTime& time) {
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                          : QStringLiteral("hora desconocida");
}

} // namespace

QString outsideChangeQuestion(const QString& what, const QDateTime& otherTime) {
    // "la fiesta ..." is feminine, "el día ...", "el contacto ..." masculine.
    const bool feminine = what.startsWith(QLatin1String("la ")) || what.startsWith(QLatin1String("las "));
    return QStringLiteral("Mientras %1 editaba, %2 se ha cambiado en otro equipo o en otro programa "
                          "(%3).\n\n"
                          "«Conservar ambos» guarda los dos textos, primero el otro y después el suyo.\n"
                          "«Usar el mío» sustituye el otro por el suyo.\n"
                          "«Usar el otro» descarta lo que ha escrito aquí.")
        .arg(feminine ? QStringLiteral("la") : QStringLiteral("lo"), what, timeText(otherTime));
}

QString keptBothSeparator(const QDateTime& otherTime) {
    return QStringLiteral("----- Arriba, la versión guardada fuera el %1; abajo, la de este equipo -----")
        .arg(timeText(otherTime));
}

QString conflictCopySeparator(const QDateTime& copyTime) {
    return QStringLiteral("----- Arriba, la copia en conflicto guardada el %1; abajo, la versión que "
                          "conservaba el archivo -----")
        .arg(timeText(copyTime));
}

namespace {

const QString kPartSeparator = QStringLiteral(" / ");

QStringList partsOf(const QString& line) {
    QStringList parts = line.split(kPartSeparator);
    for (QString& part : parts)
        part = part.trimmed();
    return parts;
}

} // namespace

bool holdsText(const QString& whole, const QString& part, TextShape shape) {
    if (part.isEmpty() || whole == part)
        return true;
    if (shape == TextShape::Lines)
        return (u'\n' + whole + u'\n').contains(u'\n' + part + u'\n');
    const QStringList parts = partsOf(whole);
    const QStringList wanted = partsOf(part);
    return std::all_of(wanted.cbegin(), wanted.cend(),
                       [&parts](const QString& one) { return one.isEmpty() || parts.contains(one); });
}

QString keepBothTexts(const QString& first, const QString& second, const QString& separator,
                      TextShape shape) {
    if (holdsText(second, first, shape))
        return second;
    if (holdsText(first, second, shape))
        return first;
    if (shape == TextShape::Lines)
        return first + u'\n' + separator + u'\n' + second;
    const QStringList held = partsOf(first);
    QStringList added;
    for (const QString& part : second.split(kPartSeparator)) {
        if (!held.contains(part.trimmed()))
            added.append(part);
    }
    return first + kPartSeparator + added.join(kPartSeparator);
}

std::optional<QString> resolveOutsideChange(OutsideChoice choice, const QString& mine, const QString& other,
                                            const QDateTime& otherTime, TextShape shape) {
    switch (choice) {
    case OutsideChoice::UseMine:
        return mine;
    case OutsideChoice::UseOther:
        return std::nullopt;
    case OutsideChoice::KeepBoth:
        break;
    }
    return keepBothTexts(other, mine, keptBothSeparator(otherTime), shape);
}

} // namespace common
