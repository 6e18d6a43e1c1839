// SPDX-License-Identifier: GPL-3.0-or-later
#include "crashwrites.h"

#include "common/folderindex.h"
#include "tests/support/filetree.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <random>

using namespace quindara;

// Saves interrupted by SIGKILL at random moments: each file keeps either its old bytes or the bytes of
// one whole new version, and nothing else is left in the data folder for the programs to list.
class CrashSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void killedSavesLeaveOldOrNewFiles();
};

namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The version a file says it holds: every content names its version in its first line.
int versionIn(const QByteArray& bytes) {
    static const QRegularExpression number(QStringLiteral("(?:versión|Fiesta|Ana) (\\d+)"));
    const QRegularExpressionMatch match = number.match(QString::fromUtf8(bytes));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

void CrashSafetyTest::killedSavesLeaveOldOrNewFiles() {
    QTemporaryDir folder;
    QTemporaryDir referenceFolder;
    const DataFolder data(folder.path());
    const DataFolder reference(referenceFolder.path());
    QVERIFY(data.createMissingFolders() && reference.createMissingFolders());
    QVERIFY(crashwrites::saveVersion(data, 0));
    const QStringList files = crashwrites::savedFiles(data);
    const QDir root(folder.path());
    QList<QByteArray> current;
    for (const QString& file : files)
        current.append(bytesOf(root.filePath(file)));
    const QStringList treeBefore = filesUnder(folder.path());

    // A staging file the way a killed save leaves it, and files of the user's that only look like an
    // unfinished save; the scratch files of a killed write test and of an older staged write.
    const QFileInfo holiday(files[1]);
    const QString leftover =
        holiday.path() + QStringLiteral("/.") + holiday.fileName() + QStringLiteral(".quindara-AbC123.tmp");
    const QStringList lookalikes = {files[1] + QStringLiteral(".AbC123"),
                                    QStringLiteral("notas/informe.backup")};
    const QStringList scratch = {QStringLiteral("dias/.quindara-4242.tmp"),
                                 QStringLiteral(".prueba-escritura.quindara-AbC123.tmp")};
    for (const QString& name : QStringList{leftover} + lookalikes + scratch)
        QVERIFY(QFile(root.filePath(name)).open(QIODevice::WriteOnly));
    common::FolderIndex holidays(root.filePath(QStringLiteral("fiestas")));
    holidays.refresh();
    QStringList listed = holidays.names();
    listed.sort();
    QCOMPARE(listed, (QStringList{holiday.fileName(), holiday.fileName() + QStringLiteral(".AbC123")}));
    QVERIFY(data.createMissingFolders());
    QVERIFY(!QFileInfo::exists(root.filePath(leftover)));
    for (const QString& name : scratch)
        QVERIFY(!QFileInfo::exists(root.filePath(name)));
    for (const QString& name : lookalikes)
        QVERIFY(QFile::remove(root.filePath(name)));

    // Kills land from the writer's start to about two of its rounds of saves, whatever this build's speed
    // (a sanitizer build saves several times slower), so that some fall inside a save and some after one.
    QElapsedTimer round;
    round.start();
    QVERIFY(crashwrites::saveVersion(reference, 1));
    const int roundMicroseconds = int(round.nsecsElapsed() / 1000);
    std::mt19937 random(19);
    std::uniform_int_distribution<int> delayMicroseconds(0, std::max(5000, 2 * roundMicroseconds));
    constexpr int kKills = 250;
    int newVersionsSeen = 0;
    int leftoversSeen = 0;
    for (int kill = 1; kill <= kKills; ++kill) {
        const int firstVersion = kill * 100000;
        QProcess writer;
        writer.start(QStringLiteral(CRASH_WRITER), {folder.path(), QString::number(firstVersion)});
        QVERIFY(writer.waitForReadyRead());
        QThread::usleep(static_cast<unsigned long>(delayMicroseconds(random)));
        QCOMPARE(::kill(static_cast<pid_t>(writer.processId()), SIGKILL), 0);
        QVERIFY(writer.waitForFinished());
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

        for (int i = 0; i < files.size(); ++i) {
            const QByteArray bytes = bytesOf(root.filePath(files[i]));
            if (bytes == current[i])
                continue;
            const int version = versionIn(bytes);
            QVERIFY2(version >= firstVersion, qPrintable(files[i] + QStringLiteral(" is cut or mixed")));
            QVERIFY(crashwrites::saveVersion(reference, version));
            QVERIFY2(bytes == bytesOf(QDir(referenceFolder.path()).filePath(files[i])),
                     qPrintable(files[i] + QStringLiteral(" is not a whole version")));
            current[i] = bytes;
            ++newVersionsSeen;
        }
        // What the programs list straight away, and what is left after their next start.
        for (const QString& file : files) {
            common::FolderIndex index(QFileInfo(root.filePath(file)).absolutePath());
            index.refresh();
            QCOMPARE(index.names(), QStringList(QFileInfo(file).fileName()));
        }
        leftoversSeen += int(filesUnder(folder.path()).size() - treeBefore.size());
        QVERIFY(data.createMissingFolders());
        const QStringList tree = filesUnder(folder.path());
        QVERIFY2(tree == treeBefore, qPrintable(tree.join(u'|')));
    }
    qInfo("%d kills survived, %d new versions found whole, %d unfinished saves cleared", kKills,
          newVersionsSeen, leftoversSeen);
    // How many saves finish between kills depends on the machine (a loaded one or a sanitizer build does
    // few); some must have, or the kills never met a finished save.
    QVERIFY(newVersionsSeen > 0);
}

QTEST_GUILESS_MAIN(CrashSafetyTest)
#include "tst_crashsafety.moc"
