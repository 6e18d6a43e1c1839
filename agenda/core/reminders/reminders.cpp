// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/reminders/reminders.h"

#include "agenda/core/days/daykeys.h"
#include "agenda/core/days/storedtext.h"
#include "agenda/core/reminders/logging.h"
#include "common/folderindex.h"
#include "common/textfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace quindara {

namespace {

const QString kTomorrowPrefix = QStringLiteral("Mañana: ");
const QString kRemindTomorrowKey = QStringLiteral("avisar-manana");

// The text of `name` in `index`, when the file is there.
QString readIfThere(const common::FolderIndex& index, const QString& name, common::Ending ending) {
    if (!index.contains(name))
        return QString();
    const StoredText stored = readIndexedText(index, name, ending);
    if (!stored.readable())
        qCWarning(lcReminders) << "cannot read" << stored.unreadablePath;
    return stored.text;
}

// Each non-blank line of a text, without its surrounding blanks.
QStringList linesOf(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines.append(trimmed);
    }
    return lines;
}

// A folder listed once, for the few lookups of one notice.
common::FolderIndex listed(const QString& folder) {
    common::FolderIndex index(folder);
    index.refresh();
    return index;
}

struct DayFolders {
    explicit DayFolders(const DataFolder& data)
        : holidays(listed(data.folder(folders::holidays))),
          yearly(listed(data.folder(folders::yearlyReminders))),
          oneYear(listed(data.folder(folders::oneYearReminders))) {}

    // The holiday and the reminders of a day, one line each.
    QStringList markedTexts(const QDate& day) const {
        const QString annual = annualKey(day) + kTxt;
        QStringList lines = linesOf(readIfThere(holidays, annual, common::Ending::Line));
        lines += linesOf(readIfThere(yearly, annual, common::Ending::Line));
        lines += linesOf(readIfThere(oneYear, datedKey(day) + kTxt, common::Ending::Bare));
        return lines;
    }

    common::FolderIndex holidays;
    common::FolderIndex yearly;
    common::FolderIndex oneYear;
};

} // namespace

QString noticeTitle(const QDate& today) {
    const QString weekday = weekdayName(mondayBasedWeekday(today)).chopped(2).toLower();
    return QStringLiteral("Hoy, %1 %2 de %3")
        .arg(weekday)
        .arg(today.day())
        .arg(monthName(today.month()).toLower());
}

QStringList timedLines(const QString& note) {
    static const QRegularExpression time(QStringLiteral("^([01]?[0-9]|2[0-3]):[0-5][0-9](\\s|$)"));
    QStringList timed;
    for (const QString& line : linesOf(note))
        if (time.match(line).hasMatch())
            timed.append(line);
    return timed;
}

DayNotice dueNotice(const DataFolder& data, const QDate& today, bool withTomorrow) {
    DayNotice notice;
    notice.day = today;
    notice.title = noticeTitle(today);
    const DayFolders folders(data);
    notice.lines = folders.markedTexts(today);
    const common::FolderIndex notes = listed(data.folder(folders::dayNotes));
    notice.lines += timedLines(readIfThere(notes, dayNoteKey(today) + kTxt, common::Ending::Zoned));
    if (withTomorrow)
        for (const QString& line : folders.markedTexts(today.addDays(1)))
            notice.lines.append(kTomorrowPrefix + line);
    notice.lines.removeDuplicates();
    return notice;
}

AgendaSettings readAgendaSettings(const DataFolder& data) {
    AgendaSettings settings;
    const QString path = QDir(data.programFolder()).filePath(kSettingsFile);
    if (!QFileInfo::exists(path))
        return settings;
    for (const QString& line : common::readLines(path)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed().toLower();
        if (key.compare(kRemindTomorrowKey, Qt::CaseInsensitive) == 0)
            settings.remindTomorrow = !(value == u"no" || value == u"0" || value == u"false");
    }
    return settings;
}

NoticeRecord::NoticeRecord(const QString& dataFolder, const QString& stateFolder) {
    // Keyed by the folder's canonical path, so two names of one folder share their record.
    const QString canonical = QFileInfo(dataFolder).canonicalFilePath();
    const QByteArray key = QFile::encodeName(canonical.isEmpty() ? QDir::cleanPath(dataFolder) : canonical);
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
    path_ = QDir(stateFolder.isEmpty() ? userStateFolder() : stateFolder)
                .filePath(QStringLiteral("avisos-%1.txt").arg(hash));
}

QString NoticeRecord::userStateFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME is not to be used: the default takes its place.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    return QDir(state).filePath(QStringLiteral("quindara"));
}

QStringList NoticeRecord::toldOn(const QDate& day) const {
    if (!QFileInfo::exists(path_))
        return {};
    QStringList lines = common::readLines(path_);
    if (lines.isEmpty() || lines.constFirst() != day.toString(Qt::ISODate))
        return {};
    lines.removeFirst();
    return lines;
}

DayNotice NoticeRecord::unseen(const DayNotice& notice, bool again) const {
    if (again)
        return notice;
    DayNotice fresh = notice;
    const QStringList told = toldOn(notice.day);
    fresh.lines.removeIf([&told](const QString& line) { return told.contains(line); });
    return fresh;
}

common::Status NoticeRecord::remember(const DayNotice& notice) const {
    QStringList told = toldOn(notice.day);
    for (const QString& line : notice.lines)
        if (!told.contains(line))
            told.append(line);
    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        return common::Status::failure(QStringLiteral("no se puede crear la carpeta %1")
                                           .arg(QDir::toNativeSeparators(QFileInfo(path_).absolutePath())));
    told.prepend(notice.day.toString(Qt::ISODate));
    return common::writeLines(path_, told);
}

} // namespace quindara
