// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/daynotes.h"

#include "agenda/core/calendar/calendar.h"
#include "agenda/core/days/daykeys.h"
#include "common/programfolder.h"
#include "common/storedfile.h"

#include <QDate>

namespace quindara {

QString noteSaveFailureMessage(const QString& dayNoteKey, const QString& error) {
    return QStringLiteral("No se ha podido guardar la nota del %1.\nERROR: %2\n"
                          "El texto se ha copiado al portapapeles.")
        .arg(dayNoteKey, error);
}

DayNotes::DayNotes(const DataFolder& data) : data_(data), index_(data.folder(folders::dayNotes)) {}

bool DayNotes::hasNote(const QString& dayNoteKey) {
    index_.refreshIfChanged();
    return index_.contains(dayNoteKey + kTxt);
}

StoredText DayNotes::load(const QString& dayNoteKey) {
    index_.refreshIfChanged();
    return readIndexedText(index_, dayNoteKey + kTxt, common::Ending::Zoned);
}

common::Status DayNotes::save(const QString& dayNoteKey, const QString& text) {
    const QString name = dayNoteKey + kTxt;
    if (dayNoteKey.isEmpty() || !common::isSafeFileName(name))
        return common::Status::failure(QStringLiteral("nombre de día no válido"));
    index_.refreshIfChanged();
    const QString path = index_.pathFor(name);
    if (!mayReplace(path))
        return common::Status::failure(
            QStringLiteral("%1 existe pero no se puede leer; no se sobrescribe").arg(path));
    return common::writeStoredText(index_, name, text, common::Ending::Zoned);
}

std::optional<StoredText> DayNotes::changedSince(const QString& dayNoteKey,
                                                 const common::FileVersion& loaded) {
    index_.refreshIfChanged();
    const QString name = dayNoteKey + kTxt;
    if (!common::changedSince(loaded, index_.nativePathFor(name)))
        return std::nullopt;
    return readIndexedText(index_, name, common::Ending::Zoned);
}

const common::FolderIndex& DayNotes::index() {
    index_.refreshIfChanged();
    return index_;
}

common::FileVersion DayNotes::version(const QString& dayNoteKey) {
    index_.refreshIfChanged();
    return common::FileVersion::at(index_.nativePathFor(dayNoteKey + kTxt));
}

void DayNotes::appendMonth(QString& summary, int year, int month, int& weekday) {
    const QString monthText = monthName(month);
    const QString yearText = QString::number(year);
    const int days = QDate(year, month, 1).daysInMonth();
    for (int day = 1; day <= days; ++day) {
        const QString key = dayNoteKey(weekday, QString::number(day), monthText, yearText);
        const QString name = key + kTxt;
        if (index_.contains(name)) {
            // An unreadable note still shows its key, with an empty body.
            summary += key;
            summary += kSummarySeparator;
            summary += common::readStoredText(index_, name, common::Ending::Zoned);
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
    index_.refreshIfChanged();
    int weekday = monthLayout(year, month).firstIndex;
    appendMonth(summary, year, month, weekday);
    return summary;
}

QString DayNotes::yearSummary(int year) {
    QString summary;
    if (!QDate(year, 1, 1).isValid())
        return summary;
    index_.refreshIfChanged();
    int weekday = janFirstWeekday(year);
    for (int month = 1; month <= 12; ++month)
        appendMonth(summary, year, month, weekday);
    return summary;
}

} // namespace quindara
