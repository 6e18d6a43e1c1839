#include "agenda/core/daynotes.h"

#include "agenda/core/calendar.h"
#include "agenda/core/daykeys.h"
#include "common/programfolder.h"
#include "common/textfile.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace quindara {

QString noteSaveFailureMessage(const QString& dayNoteKey, const QString& error) {
    return QStringLiteral("No se ha podido guardar la nota del %1.\nERROR: %2\n"
                          "El texto se ha copiado al portapapeles.")
        .arg(dayNoteKey, error);
}

namespace {

QDateTime modifiedTime(const QString& folder) {
    const QFileInfo info(folder);
    return info.exists() ? info.lastModified() : QDateTime();
}

} // namespace

DayNotes::DayNotes(const DataFolder& data) : data_(data), index_(data.folder(folders::dayNotes)) {}

void DayNotes::bringIndexUpToDate() {
    // Stat before listing: a change in between shows as a new time next time.
    const QDateTime modified = modifiedTime(index_.folder());
    if (listed_ && modified == knownModified_)
        return;
    knownModified_ = modified;
    index_.refresh();
    created_.clear();
    listed_ = true;
}

QString DayNotes::storedPath(const QString& name) const {
    const QString stored = index_.realName(name);
    if (!stored.isEmpty())
        return index_.folder() + u'/' + stored;
    return created_.isEmpty() ? QString() : created_.value(common::FolderIndex::foldName(name));
}

bool DayNotes::hasNote(const QString& dayNoteKey) {
    bringIndexUpToDate();
    return !storedPath(dayNoteKey + kTxt).isEmpty();
}

StoredText DayNotes::load(const QString& dayNoteKey) {
    bringIndexUpToDate();
    const QString name = dayNoteKey + kTxt;
    const QString path = storedPath(name);
    // The index lists files only; anything else of the note's name is there but cannot be read.
    return readStoredText(path.isEmpty() ? QDir(index_.folder()).filePath(name) : path,
                          common::Ending::Zoned);
}

bool DayNotes::save(const QString& dayNoteKey, const QString& text, QString* error) {
    const QString name = dayNoteKey + kTxt;
    if (dayNoteKey.isEmpty() || !common::isSafeFileName(name)) {
        if (error)
            *error = QStringLiteral("nombre de día no válido");
        return false;
    }
    bringIndexUpToDate();
    const QString stored = storedPath(name);
    const QString path = stored.isEmpty() ? QDir(index_.folder()).filePath(name) : stored;
    if (!mayReplace(path)) {
        if (error)
            *error = QStringLiteral("%1 existe pero no se puede leer; no se sobrescribe").arg(path);
        return false;
    }
    if (!common::writeText(path, text, common::Ending::Zoned, error))
        return false;
    if (stored.isEmpty())
        created_.insert(common::FolderIndex::foldName(name), path);
    knownModified_ = modifiedTime(index_.folder());
    return true;
}

void DayNotes::appendMonth(QString& summary, int year, int month, int& weekday) {
    const QString monthText = monthName(month);
    const QString yearText = QString::number(year);
    const int days = QDate(year, month, 1).daysInMonth();
    for (int day = 1; day <= days; ++day) {
        const QString key = dayNoteKey(weekday, QString::number(day), monthText, yearText);
        const QString path = storedPath(key + kTxt);
        if (!path.isEmpty()) {
            // An unreadable note still shows its key, with an empty body.
            summary += key;
            summary += kSummarySeparator;
            summary += common::readTextOrEmpty(path, common::Ending::Zoned);
            summary += kSummarySeparator;
            summary += kSummarySeparator;
        }
        weekday = (weekday + 1) % kGridColumns;
    }
}

QString DayNotes::monthSummary(int year, int month) {
    QString summary;
    if (!QDate(year, month, 1).isValid())
        return summary;
    bringIndexUpToDate();
    int weekday = monthLayout(year, month).firstIndex;
    appendMonth(summary, year, month, weekday);
    return summary;
}

QString DayNotes::yearSummary(int year) {
    QString summary;
    if (!QDate(year, 1, 1).isValid())
        return summary;
    bringIndexUpToDate();
    int weekday = janFirstWeekday(year);
    for (int month = 1; month <= 12; ++month)
        appendMonth(summary, year, month, weekday);
    return summary;
}

} // namespace quindara
