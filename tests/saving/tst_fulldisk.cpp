// SPDX-License-Identifier: GPL-3.0-or-later
// Saves that run out of room, for real: a tiny file system filled up (needs root to mount it, as CI
// has) and a file-size limit (works for anyone). Every kind of file the programs write must keep its
// old bytes, leave no stray file and report the true cause.

#include "agenda/core/contacts/contactcard.h"
#include "agenda/core/days/attachments.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daynotes.h"
#include "calculator/core/calculatorfolder.h"
#include "calculator/core/savedlogs.h"
#include "common/leftoversavefiles.h"
#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <functional>

using namespace quindara;

namespace {

enum class Medium { FullDisk, SizeLimit };

const QString kNoteKey = QStringLiteral("MIÉRCOLES, 5 de ENERO de 2011");
const QString kSurname = QStringLiteral("Pérez");
const QString kAttachment = QStringLiteral("plano.pdf");
const QString kSavedLog = QStringLiteral("2011-1-5--9-7");
const QByteArray kOldBytes("lo que ya estaba guardado ahí  \r\n"); // 32 bytes

// The file each kind of save replaces, relative to the program folder.
QString targetOf(const QString& kind) {
    if (kind == u"note")
        return QStringLiteral("dias/") + kNoteKey + kTxt;
    if (kind == u"contact")
        return QStringLiteral("direcciones/Todos/") + kSurname;
    if (kind == u"attachment")
        return QStringLiteral("Archivos/") + kAttachment;
    if (kind == u"calculator log")
        return QStringLiteral("operacion.txt");
    if (kind == u"import batch")
        return QStringLiteral("recordatorionoanual/5 de ENERO de 2011.txt");
    return QStringLiteral("operaciones/") + kSavedLog;
}

// Under 16 KB, so that Qt would keep it all in its buffer until commit().
QByteArray newContent() {
    return QByteArray(3000, 'n');
}

} // namespace

// Unmounts the small file system when the test ends, pass or fail.
struct Mounted {
    QString path;
    ~Mounted() {
        if (!path.isEmpty())
            ::umount(QFile::encodeName(path).constData());
    }
};

class FullDiskTest : public QObject {
    Q_OBJECT

private slots:

    void aSaveWithoutRoomKeepsTheOldFileAndTellsWhy_data() {
        QTest::addColumn<int>("medium");
        QTest::addColumn<QString>("kind");
        const QList<std::pair<const char*, Medium>> media = {{"full disk", Medium::FullDisk},
                                                             {"size limit", Medium::SizeLimit}};
        for (const auto& [mediumName, medium] : media)
            for (const char* kind :
                 {"note", "contact", "attachment", "calculator log", "saved log", "import batch"})
                QTest::addRow("%s: %s", mediumName, kind) << int(medium) << QString::fromLatin1(kind);
    }
    void aSaveWithoutRoomKeepsTheOldFileAndTellsWhy() {
        QFETCH(int, medium);
        QFETCH(QString, kind);
        QTemporaryDir base;
        QTemporaryDir outside;
        QString folder = base.path();
        Mounted mounted;
        if (Medium(medium) == Medium::FullDisk) {
            if (::geteuid() != 0)
                QSKIP("mounting a small file system needs root");
            folder = base.filePath(QStringLiteral("disco"));
            QVERIFY(QDir().mkpath(folder));
            if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
                QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs: ") +
                                 QString::fromLocal8Bit(std::strerror(errno))));
            mounted.path = folder;
        }
        const DataFolder data(folder);
        const tallimo::CalculatorFolder calculator(folder);
        QVERIFY(data.createMissingFolders());
        QVERIFY(calculator.createMissingFolders());
        const QString target = QDir(folder).filePath(targetOf(kind));
        QVERIFY(common::writeBytes(target, kOldBytes));
        const QString chosen = outside.filePath(kAttachment);
        QVERIFY(common::writeBytes(chosen, newContent()));

        std::function<common::Status()> save;
        if (kind == u"note")
            save = [&] {
                DayNotes notes(data);
                return notes.save(kNoteKey, QString::fromLatin1(newContent()));
            };
        else if (kind == u"contact")
            save = [&] { return writeContactCard(target, {kSurname, QString::fromLatin1(newContent())}); };
        else if (kind == u"attachment")
            save = [&] { return Attachments(data).copyIntoArchive(chosen); };
        else if (kind == u"calculator log")
            save = [&] {
                return common::writeText(calculator.logFile(), QString::fromLatin1(newContent()),
                                         common::Ending::Line);
            };
        else if (kind == u"import batch")
            // One file replaced and one new, as an import writes them.
            save = [&] {
                common::WriteBatch batch;
                (void)batch.stage(
                    QDir(folder).filePath(QStringLiteral("recordatorionoanual/6 de ENERO de 2011.txt")),
                    newContent(), common::WriteBatch::Target::New);
                (void)batch.stage(target, newContent());
                for (const common::WriteBatch::Outcome& outcome : batch.commit())
                    if (!outcome.status)
                        return outcome.status;
                return common::Status();
            };
        else
            save = [&] {
                const QDateTime minute(QDate(2011, 1, 5), QTime(9, 7));
                const tallimo::SavedLog editing{kSavedLog, kOldBytes};
                return tallimo::SavedLogs(calculator).save(newContent(), minute, editing).status();
            };

        common::Status saved;
        QString cause;
        if (Medium(medium) == Medium::FullDisk) {
            QFile filler(QDir(folder).filePath(QStringLiteral("relleno")));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'r');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
            filler.close();
            cause = QStringLiteral("no queda espacio en el disco");
            saved = save();
        } else {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit original{};
            QCOMPARE(::getrlimit(RLIMIT_FSIZE, &original), 0);
            rlimit limited = original;
            limited.rlim_cur = 16;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
            saved = save();
            ::setrlimit(RLIMIT_FSIZE, &original);
            cause = QStringLiteral("el archivo supera el tamaño máximo permitido");
        }

        QVERIFY2(!saved, "a save without room must not report success");
        QCOMPARE(common::readBytes(target).value_or("(missing)"), kOldBytes);
        // No temporary file left beside it.
        QCOMPARE(
            QDir(QFileInfo(target).path())
                .entryList({QFileInfo(target).fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden),
            QStringList());
        const QStringList left = QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : left)
            QVERIFY2(!common::isOwnScratchName(QFile::encodeName(name)), qPrintable(name));
        if (kind == u"import batch")
            QVERIFY(!left.contains(QStringLiteral("6 de ENERO de 2011.txt")));
        // The cause, not the cancellation that followed it.
        QCOMPARE(saved.error(), cause);
    }
};

QTEST_GUILESS_MAIN(FullDiskTest)
#include "tst_fulldisk.moc"
