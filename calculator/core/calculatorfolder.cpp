// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/calculatorfolder.h"

#include "common/leftoversavefiles.h"

#include "common/programfolder.h"

#include <QDir>
#include <QFileInfo>

namespace tallimo {

namespace {
const QString kConfiguration = QStringLiteral("configuracion");
const QString kSavedLogs = QStringLiteral("operaciones");
} // namespace

QString CalculatorFolder::startFile() const {
    return common::programPath(programFolder_, kConfiguration + QStringLiteral("/inicio.txt"));
}

QString CalculatorFolder::helpFile() const {
    return common::programPath(programFolder_, kConfiguration + QStringLiteral("/ayuda.txt"));
}

QString CalculatorFolder::currencyFile() const {
    return common::programPath(programFolder_, kConfiguration + QStringLiteral("/moneda.txt"));
}

QString CalculatorFolder::logFile() const {
    return common::programPath(programFolder_, QStringLiteral("operacion.txt"));
}

QString CalculatorFolder::savedLogsFolder() const {
    return common::programPath(programFolder_, kSavedLogs);
}

QString CalculatorFolder::savedLog(const QString& name) const {
    return savedLogsFolder() + u'/' + name;
}

QStringList CalculatorFolder::treeFolders() {
    return {kConfiguration, kSavedLogs};
}

common::Status CalculatorFolder::createMissingFolders() const {
    common::removeLeftoverSaveFiles(programFolder_, QStringList(QStringLiteral(".")) + treeFolders());
    return common::ensureFolders(programFolder_, treeFolders());
}

common::Status CalculatorFolder::checkPresent() const {
    if (QFileInfo(programFolder_).isDir())
        return {};
    return common::Status::failure(
        QStringLiteral(
            "La carpeta de datos %1 ya no existe: se ha movido o borrado. No se guardará nada en ella "
            "hasta que vuelva a abrir la calculadora.")
            .arg(QDir::toNativeSeparators(programFolder_)));
}

} // namespace tallimo
