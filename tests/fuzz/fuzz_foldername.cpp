// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/folderindex.h"
#include "common/programfolder.h"
#include "fuzzcheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace common;

namespace {

// A name the programs accept becomes exactly one entry of the folder, never a path elsewhere.
void checkStaysInFolder(const QDir& folder, const QString& name) {
    const QFileInfo info(folder.filePath(name));
    FUZZ_CHECK(info.absolutePath() == folder.absolutePath());
    FUZZ_CHECK(info.fileName() == name);
}

} // namespace

// The input is a few names separated by line feeds. Names equal but for case or normal form fold to one
// key; safe names stay inside their folder; every listed file is found again under any of its spellings.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 2048)
        return 0;
    static QTemporaryDir root;
    const QStringList names = QString::fromUtf8(fuzz::bytesOf(data, size)).split(u'\n');

    QDir folder(root.path());
    FUZZ_CHECK(folder.removeRecursively() && folder.mkpath(QStringLiteral(".")));
    QStringList stored;
    for (const QString& name : names) {
        const QString composed = name.normalized(QString::NormalizationForm_C);
        FUZZ_CHECK(FolderIndex::foldName(composed) ==
                   FolderIndex::foldName(name.normalized(QString::NormalizationForm_D)));
        FUZZ_CHECK(FolderIndex::foldName(name) == FolderIndex::foldName(composed));
        if (!isSafeFileName(name))
            continue;
        checkStaysInFolder(folder, name);
        // Hidden names (lock files, temporary files of atomic writes) are left out of the index on purpose,
        // so only the others must be found again.
        if (stored.size() < 6 && !name.startsWith(u'.')) {
            QFile file(folder.filePath(name));
            if (file.open(QIODevice::WriteOnly))
                stored.append(name);
        }
    }

    FolderIndex index(folder.path());
    index.refresh();
    for (const QString& name : stored) {
        FUZZ_CHECK(index.contains(name));
        FUZZ_CHECK(index.contains(name.normalized(QString::NormalizationForm_D)));
        FUZZ_CHECK(index.contains(FolderIndex::foldName(name)));
        // U+0345, the one combining mark that folds to a letter, moves when the name is folded before it is
        // decomposed: such a folded spelling is another name.
        if (!name.contains(QChar(0x345)))
            FUZZ_CHECK(index.contains(name.toCaseFolded()));
        const QString real = index.realName(name);
        FUZZ_CHECK(QFileInfo(folder.filePath(real)).isFile());
        FUZZ_CHECK(FolderIndex::foldName(real) == FolderIndex::foldName(name));
        FUZZ_CHECK(QFileInfo(index.pathFor(name)).absolutePath() == folder.absolutePath());
    }
    return 0;
}
