// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/result.h"

#include <QString>
#include <QStringList>

namespace quindara {

// Folder names of the agenda's data tree, relative to the program folder.
namespace folders {
inline const QString holidays = QStringLiteral("fiestas");
inline const QString yearlyReminders = QStringLiteral("recordatorio");
inline const QString oneYearReminders = QStringLiteral("recordatorionoanual");
inline const QString saints = QStringLiteral("santoral");
inline const QString dayNotes = QStringLiteral("dias");
inline const QString attachmentLists = QStringLiteral("listaarchivos");
inline const QString attachedFiles = QStringLiteral("Archivos");
inline const QString addressBook = QStringLiteral("direcciones");
inline const QString allContacts = QStringLiteral("Todos");
inline const QString notesPad = QStringLiteral("notas");
} // namespace folders

inline const QString kTextPadFile = QStringLiteral("texto.txt");
inline const QString kBackgroundPicture = QStringLiteral("fondo.jpg");
inline const QString kTxt = QStringLiteral(".txt");

// Paths of every kind of agenda file under one program folder.
class DataFolder {
public:
    explicit DataFolder(QString programFolder);

    const QString& programFolder() const { return programFolder_; }
    // Folders are found in any letter case: an existing "FIESTAS" serves as "fiestas".
    QString folder(const QString& relative) const;

    QString holidayFile(const QString& annualKey) const;
    QString yearlyReminderFile(const QString& annualKey) const;
    QString oneYearReminderFile(const QString& datedKey) const;
    QString saintsFile(const QString& annualKey) const;
    QString dayNoteFile(const QString& dayNoteKey) const;
    // Attachment lists: the dated key for one year, the annual key for every year.
    QString attachmentListFile(const QString& key) const;
    QString attachedFile(const QString& fileName) const;
    QString categoryFolder(const QString& category) const;
    QString contactFile(const QString& category, const QString& surname) const;
    QString noteFile(const QString& timeStampName) const;
    QString textPadFile() const;
    QString backgroundPicture() const;

    // Every folder of the tree, relative, for creating the missing ones at start.
    static QStringList treeFolders();
    // The folders, relative to the program folder, where saves leave their staging files: the program
    // folder itself (the text pad; its direct sub-folders such as the sync records' are swept with it) and
    // the tree's folders.
    static QStringList savedFolders();
    common::Status createMissingFolders() const;
    // Removes the unfinished saves a killed writer of the folder left (see leftoversavefiles.h). Only for
    // the folder's writer, right after it became it: the window at start, a command-line import or sync.
    void removeLeftoverSaveFiles() const;

private:
    QString inFolder(const QString& relativeFolder, const QString& fileName) const;

    QString programFolder_;
};

} // namespace quindara
