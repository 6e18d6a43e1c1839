// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/dayreader.h"

#include "agenda/core/days/daykeys.h"
#include "common/storedfile.h"

namespace quindara {

namespace {

// Path of the stored file named `name` in any case; the exact name when the folder does not hold it.
QString storedPath(common::FolderIndex& index, const QString& name) {
    index.refreshIfChanged();
    return index.pathFor(name);
}

QString readStored(common::FolderIndex& index, const QString& name, common::Ending ending) {
    index.refreshIfChanged();
    return common::readStoredText(index, name, ending);
}

} // namespace

DayReader::DayReader(const DataFolder& data, DayMarks& marks)
    : marks_(marks), saints_(data.folder(folders::saints)), dayNotes_(data.folder(folders::dayNotes)),
      attachmentLists_(data.folder(folders::attachmentLists)) {}

QString DayReader::dayNote(const QString& dayNoteKey) {
    return readStored(dayNotes_, dayNoteKey + kTxt, common::Ending::Zoned);
}

DayTexts DayReader::dayTexts(const QString& day, const QString& month, const QString& year) {
    const QString annual = annualKey(day, month) + kTxt;
    const QString dated = datedKey(day, month, year) + kTxt;
    DayTexts texts;
    marks_.refresh();
    const StoredText holiday = readIndexedText(marks_.holidays(), annual, common::Ending::Line);
    const StoredText yearlyReminder = readIndexedText(marks_.yearlyReminders(), annual, common::Ending::Line);
    const StoredText oneYearReminder =
        readIndexedText(marks_.oneYearReminders(), dated, common::Ending::Bare);
    texts.holiday = holiday.text;
    texts.yearlyReminder = yearlyReminder.text;
    // Saint files come with the program; a final line end is not part of the text.
    texts.saints = readStored(saints_, annual, common::Ending::Line);
    texts.oneYearReminder = oneYearReminder.text;
    texts.unreadable = {holiday.unreadablePath, yearlyReminder.unreadablePath, QString(),
                        oneYearReminder.unreadablePath};
    texts.versions = {holiday.version, yearlyReminder.version,
                      common::FileVersion::at(saints_.nativePathFor(annual)), oneYearReminder.version};
    texts.thisYearAttachments = common::readLines(storedPath(attachmentLists_, dated));
    texts.everyYearAttachments = common::readLines(storedPath(attachmentLists_, annual));
    return texts;
}

} // namespace quindara
