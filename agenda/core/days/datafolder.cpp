// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/datafolder.h"

#include "common/leftoversavefiles.h"

#include "common/programfolder.h"

#include <QDir>

namespace quindara {

DataFolder::DataFolder(QString programFolder) : programFolder_(std::move(programFolder)) {}

QString DataFolder::folder(const QString& relative) const {
    return common::programPath(programFolder_, relative);
}

QString DataFolder::inFolder(const QString& relativeFolder, const QString& fileName) const {
    // The folder is found in any letter case; the file name is left to the folder indexes.
    return folder(relativeFolder) + u'/' + fileName;
}

QString DataFolder::holidayFile(const QString& annualKey) const {
    return inFolder(folders::holidays, annualKey + kTxt);
}

QString DataFolder::yearlyReminderFile(const QString& annualKey) const {
    return inFolder(folders::yearlyReminders, annualKey + kTxt);
}

QString DataFolder::oneYearReminderFile(const QString& datedKey) const {
    return inFolder(folders::oneYearReminders, datedKey + kTxt);
}

QString DataFolder::saintsFile(const QString& annualKey) const {
    return inFolder(folders::saints, annualKey + kTxt);
}

QString DataFolder::dayNoteFile(const QString& dayNoteKey) const {
    return inFolder(folders::dayNotes, dayNoteKey + kTxt);
}

QString DataFolder::attachmentListFile(const QString& key) const {
    return inFolder(folders::attachmentLists, key + kTxt);
}

QString DataFolder::attachedFile(const QString& fileName) const {
    return inFolder(folders::attachedFiles, fileName);
}

QString DataFolder::categoryFolder(const QString& category) const {
    return folder(folders::addressBook + u'/' + category);
}

QString DataFolder::contactFile(const QString& category, const QString& surname) const {
    return QDir(categoryFolder(category)).filePath(surname);
}

QString DataFolder::noteFile(const QString& timeStampName) const {
    return inFolder(folders::notesPad, timeStampName);
}

QString DataFolder::textPadFile() const {
    return folder(kTextPadFile);
}

QString DataFolder::backgroundPicture() const {
    return folder(kBackgroundPicture);
}

QStringList DataFolder::treeFolders() {
    return {
        folders::holidays,      folders::yearlyReminders, folders::oneYearReminders,
        folders::saints,        folders::dayNotes,        folders::attachmentLists,
        folders::attachedFiles, folders::addressBook,     folders::addressBook + u'/' + folders::allContacts,
        folders::notesPad};
}

QStringList DataFolder::savedFolders() {
    // The address book's categories are sub-folders of its folder, swept with it.
    return QStringList(QStringLiteral(".")) + treeFolders();
}

void DataFolder::removeLeftoverSaveFiles() const {
    common::removeLeftoverSaveFiles(programFolder_, savedFolders());
}

common::Status DataFolder::createMissingFolders() const {
    removeLeftoverSaveFiles();
    return common::ensureFolders(programFolder_, treeFolders());
}

} // namespace quindara
