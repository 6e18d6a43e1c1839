#pragma once

#include <QString>
#include <QTemporaryDir>

namespace bench {

// Fills `folder` with `count` empty files named by `nameOf(i)`.
template <typename NameOf> void fillFolder(const QString& folder, int count, NameOf nameOf);

// A temporary folder kept for the whole benchmark program.
QTemporaryDir& scratch();

} // namespace bench

#include <QDir>
#include <QFile>

template <typename NameOf> void bench::fillFolder(const QString& folder, int count, NameOf nameOf) {
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile file(QDir(folder).filePath(nameOf(i)));
        if (file.open(QIODevice::WriteOnly))
            file.write("x\r\n");
    }
}
