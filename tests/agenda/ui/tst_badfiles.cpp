// SPDX-License-Identifier: GPL-3.0-or-later
#include "agendafixture.h"

#include "common/textfile.h"

#include <QDirIterator>
#include <QRandomGenerator>

#include <sys/stat.h>
#include <unistd.h>

// Odd things on disk where the agenda expects a note: the window opens, says so when a save cannot
// happen, and every other file keeps its bytes.
class BadFilesTest : public QObject {
    Q_OBJECT

private slots:
    void badEntryLosesNothingElse_data();
    void badEntryLosesNothingElse();
};

namespace {

const QString kTodayNote = QStringLiteral("dias/MIÉRCOLES, 5 de ENERO de 2011.txt");
const QString kFridayNote = QStringLiteral("dias/VIERNES, 7 de ENERO de 2011.txt");

enum class Bad { Folder, Unreadable, Huge, Garbage, CrowdedFolder, LinkOutside, Fifo, SaintsFifo };

QHash<QString, QByteArray> snapshot(const QString& root, const QString& leaveOut) {
    QHash<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = QDir(root).relativeFilePath(it.next());
        if (relative != leaveOut && !relative.startsWith(QLatin1String("dias/relleno ")))
            files.insert(relative, common::readBytes(it.filePath()).value_or("unreadable"));
    }
    return files;
}

} // namespace

void BadFilesTest::badEntryLosesNothingElse_data() {
    QTest::addColumn<Bad>("bad");
    QTest::addColumn<bool>("saveFails");
    QTest::newRow("note replaced by a folder") << Bad::Folder << true;
    QTest::newRow("note nobody may read") << Bad::Unreadable << true;
    QTest::newRow("note of 50 MB") << Bad::Huge << false;
    QTest::newRow("note of binary garbage") << Bad::Garbage << false;
    QTest::newRow("folder of 100000 notes") << Bad::CrowdedFolder << false;
    QTest::newRow("note linked to a file outside") << Bad::LinkOutside << true;
    QTest::newRow("note that is a FIFO") << Bad::Fifo << true;
    QTest::newRow("today's saints a FIFO") << Bad::SaintsFifo << false;
}

void BadFilesTest::badEntryLosesNothingElse() {
    QFETCH(Bad, bad);
    QFETCH(bool, saveFails);
    if (bad == Bad::Unreadable && ::geteuid() == 0)
        QSKIP("root reads every file");

    AgendaFixture fixture(QDate(2011, 1, 5));
    const QDir root(fixture.programFolder);
    QTemporaryDir elsewhere;
    const QString outsideFile = elsewhere.filePath(QStringLiteral("passwd"));
    QVERIFY(common::writeBytes(outsideFile, "root:x:0:0\r\n"));
    fixture.writeFile(QStringLiteral("fiestas/5 de ENERO.txt"), "Fiesta local\r\n");
    fixture.writeFile(kFridayNote, "viernes       ");
    fixture.writeFile(QStringLiteral("direcciones/Todos/PÉREZ"), "PÉREZ\r\nAna\r\n\r\n\r\n\r\n\r\n\r\n");
    fixture.writeFile(QStringLiteral("notas/2011-1-4--9-5"), "una nota    ");
    switch (bad) {
    case Bad::Folder:
        QVERIFY(root.mkpath(kTodayNote));
        break;
    case Bad::Unreadable:
        fixture.writeFile(kTodayNote, "secreto       ");
        QVERIFY(QFile::setPermissions(root.filePath(kTodayNote), QFileDevice::Permissions()));
        break;
    case Bad::Huge: {
        const QByteArray line = QByteArray(78, 'x') + "\r\n";
        fixture.writeFile(kTodayNote, line.repeated(50 * 1024 * 1024 / line.size()));
        break;
    }
    case Bad::Garbage: {
        QByteArray garbage(64 * 1024, '\0');
        QRandomGenerator random(5);
        for (char& c : garbage)
            c = char(random.bounded(256));
        fixture.writeFile(kTodayNote, garbage);
        break;
    }
    case Bad::CrowdedFolder:
        for (int i = 0; i < 100000; ++i) {
            QFile file(root.filePath(QStringLiteral("dias/relleno %1.txt").arg(i)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        break;
    case Bad::LinkOutside:
        QVERIFY(QFile::link(outsideFile, root.filePath(kTodayNote)));
        break;
    case Bad::Fifo:
        QVERIFY(::mkfifo(QFile::encodeName(root.filePath(kTodayNote)).constData(), 0600) == 0);
        break;
    case Bad::SaintsFifo:
        QVERIFY(root.mkpath(QStringLiteral("santoral")));
        QVERIFY(
            ::mkfifo(QFile::encodeName(root.filePath(QStringLiteral("santoral/5 de ENERO.txt"))).constData(),
                     0600) == 0);
        break;
    }
    const QHash<QString, QByteArray> before = snapshot(fixture.programFolder, kTodayNote);

    fixture.open();
    fixture.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(fixture.window.get()));
    // The day's other file still shows, and the note box takes typing.
    auto* note = fixture.find<QPlainTextEdit>(QStringLiteral("Text1"));
    if (bad == Bad::Garbage || bad == Bad::Huge)
        QVERIFY(!note->toPlainText().isEmpty());
    // A note that is there but cannot be read is locked, so nothing typed can replace it.
    const bool locked =
        bad == Bad::Folder || bad == Bad::Unreadable || bad == Bad::LinkOutside || bad == Bad::Fifo;
    QVERIFY(!note->toPlainText().contains(QStringLiteral("root")));
    QCOMPARE(note->isReadOnly(), locked);
    QTest::mouseClick(note->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    note->moveCursor(QTextCursor::Start);
    QTest::keyClicks(note, QStringLiteral("anadido "));
    QCOMPARE(note->toPlainText().startsWith(QStringLiteral("anadido ")), !locked);
    // Leaving the day saves its note.
    QVERIFY(fixture.clickDay(7));
    QCOMPARE(fixture.text(QStringLiteral("Text1")), QStringLiteral("viernes"));
    QTRY_COMPARE(!fixture.desktop.messages.isEmpty(), saveFails);

    QHash<QString, QByteArray> after = snapshot(fixture.programFolder, kTodayNote);
    QCOMPARE(after.keys().size(), before.keys().size());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
    QCOMPARE(common::readBytes(outsideFile), QByteArray("root:x:0:0\r\n"));
    if (!saveFails) {
        const auto saved = common::readText(root.filePath(kTodayNote), common::Ending::Zoned);
        QVERIFY(saved && saved->startsWith(QStringLiteral("anadido")));
    }
}

QTEST_MAIN(BadFilesTest)
#include "tst_badfiles.moc"
