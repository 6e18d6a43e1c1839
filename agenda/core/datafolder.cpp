#include "agenda/core/datafolder.h"

#include "common/leftoversavefiles.h"

#include "common/programfolder.h"

#include <QDir>

namespace quindara {

DataFolder::DataFolder(QString programFolder) : programFolder_(std::move(programFolder)) {}

QString DataFolder::folder(const QString& relative) const {
    return common::programPath(programFolder_, relative);
}

QString DataFolder::holidayFile(const QString& annualKey) const {
    return folder(folders::holidays + u'/' + annualKey + kTxt);
}

QString DataFolder::yearlyReminderFile(const QString& annualKey) const {
    return folder(folders::yearlyReminders + u'/' + annualKey + kTxt);
}

QString DataFolder::oneYearReminderFile(const QString& datedKey) const {
    return folder(folders::oneYearReminders + u'/' + datedKey + kTxt);
}

QString DataFolder::saintsFile(const QString& annualKey) const {
    return folder(folders::saints + u'/' + annualKey + kTxt);
}

QString DataFolder::dayNoteFile(const QString& dayNoteKey) const {
    return folder(folders::dayNotes + u'/' + dayNoteKey + kTxt);
}

QString DataFolder::attachmentListFile(const QString& key) const {
    return folder(folders::attachmentLists + u'/' + key + kTxt);
}

QString DataFolder::attachedFile(const QString& fileName) const {
    return folder(folders::attachedFiles + u'/' + fileName);
}

QString DataFolder::categoryFolder(const QString& category) const {
    return folder(folders::addressBook + u'/' + category);
}

QString DataFolder::contactFile(const QString& category, const QString& surname) const {
    return QDir(categoryFolder(category)).filePath(surname);
}

QString DataFolder::noteFile(const QString& timeStampName) const {
    return folder(folders::notesPad + u'/' + timeStampName);
}

QString DataFolder::textPadFile() const {
    return folder(kTextPadFile);
}

QString DataFolder::backgroundPicture() const {
    return folder(kBackgroundPicture);
}

QString DataFolder::calculatorProgram() const {
#ifdef Q_OS_WIN
    return folder(QStringLiteral("tallimo/tallimo.exe"));
#else
    return folder(QStringLiteral("tallimo/tallimo"));
#endif
}

QStringList DataFolder::treeFolders() {
    return {
        folders::holidays,      folders::yearlyReminders, folders::oneYearReminders,
        folders::saints,        folders::dayNotes,        folders::attachmentLists,
        folders::attachedFiles, folders::addressBook,     folders::addressBook + u'/' + folders::allContacts,
        folders::notesPad};
}

bool DataFolder::createMissingFolders() const {
    // The program folder holds the text pad; the address book's categories are its sub-folders.
    common::removeLeftoverSaveFiles(programFolder_, QStringList(QStringLiteral(".")) + treeFolders());
    return common::ensureFolders(programFolder_, treeFolders());
}

} // namespace quindara
