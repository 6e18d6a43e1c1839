// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/result.h"

#include <QString>
#include <QStringList>

namespace tallimo {

// Paths of the calculator's files under its program folder.
class CalculatorFolder {
public:
    explicit CalculatorFolder(QString programFolder) : programFolder_(std::move(programFolder)) {}

    const QString& programFolder() const { return programFolder_; }
    QString startFile() const;    // operation names
    QString helpFile() const;     // help texts of the operation keys
    QString currencyFile() const; // currency character
    QString logFile() const;      // the operation log
    QString savedLogsFolder() const;
    QString savedLog(const QString& name) const;

    static QStringList treeFolders();
    // Only at start: a folder that goes later was moved or removed, and is never made again.
    common::Status createMissingFolders() const;
    // Fails, saying so, when the program folder is no longer there (moved or removed after start).
    common::Status checkPresent() const;

private:
    QString programFolder_;
};

} // namespace tallimo
