// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/writetest.h"

#include "common/textfile.h"

#include <QDir>
#include <QTemporaryFile>

namespace quindara {

common::Status writeTest(const QString& folder) {
    // A fresh unique name with the programs' scratch mark, so no file of the user's is ever truncated by
    // the test, and a leftover of a crash is hidden from every list and swept at the next start.
    QTemporaryFile scratch(QDir(folder).filePath(QStringLiteral(".prueba-escritura.quindara-XXXXXX.tmp")));
    if (!scratch.open())
        return common::Status::failure(scratch.errorString());
    const QByteArray blank = common::encodeText(QStringLiteral(" "), common::Ending::Zoned);
    if (scratch.write(blank) != blank.size() || !scratch.flush())
        return common::Status::failure(scratch.errorString());
    return {};
}

QString writeTestMessage(const QString& failure) {
    return QStringLiteral("Tu ordenador no me permite escribir datos en la carpeta del programa \nERROR: ") +
           failure;
}

} // namespace quindara
