// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/datafolderchoice.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace common {

namespace {

QString absoluteFrom(const QString& workingFolder, const QString& path) {
    return QDir::cleanPath(QDir(workingFolder).absoluteFilePath(path));
}

// The portable calculator sits in "<agenda folder>/tallimo"; it counts as portable when that folder holds
// its configuration or the agenda folder above holds the agenda's tree.
bool isPortableCalculatorFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.fileName().compare(calculatorFolderName(), Qt::CaseInsensitive) != 0)
        return false;
    return QFileInfo(QDir(folder).filePath(QStringLiteral("configuracion"))).isDir() ||
           holdsAgendaTree(info.absolutePath());
}

} // namespace

QString defaultFolderName() {
    return QStringLiteral("Quindara");
}

QString calculatorFolderName() {
    return QStringLiteral("tallimo");
}

bool holdsAgendaTree(const QString& folder) {
    const QDir root(folder);
    return QFileInfo(root.filePath(QStringLiteral("santoral"))).isDir() &&
           QFileInfo(root.filePath(QStringLiteral("dias"))).isDir();
}

FolderChoice chooseDataFolder(Program program, const FolderRequest& request) {
    FolderChoice choice;
    const QString programFolder = QDir::cleanPath(request.programFolder);
    if (!request.option.isEmpty()) {
        choice.dataFolder = absoluteFrom(request.workingFolder, request.option);
        choice.source = FolderSource::Option;
    } else if (!request.environment.isEmpty()) {
        choice.dataFolder = absoluteFrom(request.workingFolder, request.environment);
        choice.source = FolderSource::Environment;
    } else if (program == Program::Agenda && holdsAgendaTree(programFolder)) {
        choice.dataFolder = programFolder;
        choice.source = FolderSource::ProgramFolder;
    } else if (program == Program::Calculator && isPortableCalculatorFolder(programFolder)) {
        choice.dataFolder = QFileInfo(programFolder).absolutePath();
        choice.source = FolderSource::ProgramFolder;
    } else {
        choice.dataFolder = QDir::cleanPath(QDir(request.homeFolder).filePath(defaultFolderName()));
        choice.source = FolderSource::Home;
    }
    if (program == Program::Agenda)
        choice.programFolder = choice.dataFolder;
    else if (choice.source == FolderSource::ProgramFolder)
        choice.programFolder = programFolder; // keeps the letter case the portable folder has
    else
        choice.programFolder = QDir(choice.dataFolder).filePath(calculatorFolderName());
    return choice;
}

QString installedShareFolder(const QString& executableFolder) {
    const QString share =
        QDir::cleanPath(QDir(executableFolder).filePath(QStringLiteral(QUINDARA_SHIPPED_TREE)));
    return QFileInfo(share).isDir() ? share : QString();
}

bool needsShippedContent(Program program, const QString& dataFolder) {
    if (program == Program::Agenda)
        return !holdsAgendaTree(dataFolder);
    const QString configuration =
        QDir(dataFolder).filePath(calculatorFolderName() + QStringLiteral("/configuracion"));
    return !QFileInfo(configuration).isDir();
}

QStringList copyMissingShippedContent(Program program, const QString& shareFolder,
                                      const QString& dataFolder) {
    QStringList failures;
    const QString part = program == Program::Agenda ? QString() : calculatorFolderName();
    const QDir from(QDir(shareFolder).filePath(part));
    const QDir to(QDir(dataFolder).filePath(part));
    if (!to.mkpath(QStringLiteral(".")))
        return {to.path()};
    if (shareFolder.isEmpty() || !from.exists())
        return failures;
    QDirIterator it(from.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo source(it.next());
        const QString relative = from.relativeFilePath(source.filePath());
        const QString target = to.filePath(relative);
        if (source.isDir()) {
            if (!to.mkpath(relative))
                failures.append(target);
        } else if (!QFileInfo::exists(target) && !QFileInfo(target).isSymLink()) {
            if (!to.mkpath(QFileInfo(relative).path()) || !QFile::copy(source.filePath(), target))
                failures.append(target);
            else // the installed copy is read-only; the user's copy must not be
                QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
        }
    }
    return failures;
}

} // namespace common
