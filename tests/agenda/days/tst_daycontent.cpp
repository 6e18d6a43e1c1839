// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/days/attachments.h"
#include "agenda/core/days/daymarks.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/days/daytexts.h"
#include "agenda/core/days/notespad.h"
#include "agenda/core/days/textpad.h"
#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quindara;

namespace {

QByteArray zoned(const char* text) {
    return common::encodeText(QString::fromUtf8(text), common::Ending::Zoned);
}

QByteArray bytesOf(const QString& path) {
    return common::readBytes(path).value_or(QByteArray("<missing>"));
}

void put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QVERIFY(common::writeBytes(path, bytes));
}

// Turns a data folder into a plain file, so every write into it fails.
void blockFolder(const DataFolder& data, const QString& relative) {
    QVERIFY(QDir(data.folder(relative)).removeRecursively());
    put(data.folder(relative), "no soy una carpeta");
}

QString entry(const QString& key, const QString& note) {
    return key + kSummarySeparator + note + kSummarySeparator + kSummarySeparator;
}

} // namespace

class DayContentTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    DataFolder data_{dir_.path()};

private slots:
    void init() {
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        QVERIFY(data_.createMissingFolders());
    }

    void dayNoteIsStoredWithItsZonedEnding_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("short") << QStringLiteral("Dentista") << zoned("Dentista");
        QTest::newRow("two lines") << QStringLiteral("Uno\nMIÉRCOLES") << QByteArray("Uno\r\nMIÉRCOLES     ");
        QTest::newRow("emptied") << QString() << QByteArray(14, ' ');
    }
    void dayNoteIsStoredWithItsZonedEnding() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        DayNotes notes(data_);
        const QString key = QStringLiteral("MIÉRCOLES, 5 de ENERO de 2011");
        QVERIFY(notes.save(key, QStringLiteral("antes")));
        QVERIFY(notes.save(key, text));
        QCOMPARE(bytesOf(data_.dayNoteFile(key)), bytes);
        QVERIFY(notes.hasNote(key));
        QCOMPARE(notes.load(key).text, text);
    }

    void dayNoteReplacesAStoredNameOfAnotherCase() {
        const QString stored = data_.dayNoteFile(QStringLiteral("miércoles, 5 de enero de 2011"));
        put(stored, "viejo         ");
        DayNotes notes(data_);
        const QString key = QStringLiteral("MIÉRCOLES, 5 de ENERO de 2011");
        QCOMPARE(notes.load(key).text, QStringLiteral("viejo"));
        QVERIFY(notes.save(key, QStringLiteral("nuevo")));
        QCOMPARE(QDir(data_.folder(folders::dayNotes)).entryList(QDir::Files).size(), 1);
        QCOMPARE(bytesOf(stored), QByteArray("nuevo         "));
    }

    void dayNoteRefusesUnsafeKeysAndReportsFailures() {
        DayNotes notes(data_);
        QVERIFY(!notes.save(QStringLiteral("../fuera"), QStringLiteral("x")));
        QVERIFY(!QFile::exists(data_.folder(QStringLiteral("fuera.txt"))));
        // Something of the note's name that cannot be read is told as such and never replaced.
        const QString unreadable = data_.dayNoteFile(QStringLiteral("MARTES, 4 de ENERO de 2011"));
        QVERIFY(QDir().mkpath(unreadable));
        QCOMPARE(notes.load(QStringLiteral("MARTES, 4 de ENERO de 2011")).unreadablePath, unreadable);
        QVERIFY(
            notes.save(QStringLiteral("MARTES, 4 de ENERO de 2011"), QString()).error().contains(unreadable));
        QVERIFY(QFileInfo(unreadable).isDir());
        blockFolder(data_, folders::dayNotes);
        QVERIFY(
            !notes.save(QStringLiteral("LUNES, 3 de ENERO de 2011"), QStringLiteral("x")).error().isEmpty());
    }

    void monthSummaryFollowsTheWeekdaysFromDayOne() {
        // August 2010 begins on a Sunday.
        put(data_.dayNoteFile(QStringLiteral("DOMINGO, 1 de AGOSTO de 2010")), "Playa         ");
        put(data_.dayNoteFile(QStringLiteral("LUNES, 2 de AGOSTO de 2010")), zoned("uno\ndos"));
        put(data_.dayNoteFile(QStringLiteral("martes, 31 de agosto de 2010")), "fin           ");
        // A name with the wrong weekday for its date is not a note of that date.
        put(data_.dayNoteFile(QStringLiteral("LUNES, 3 de AGOSTO de 2010")), "perdida       ");
        put(data_.dayNoteFile(QStringLiteral("MIÉRCOLES, 1 de SEPTIEMBRE de 2010")), "otro mes      ");
        DayNotes notes(data_);
        QCOMPARE(notes.monthSummary(2010, 8),
                 entry(QStringLiteral("DOMINGO, 1 de AGOSTO de 2010"), QStringLiteral("Playa")) +
                     entry(QStringLiteral("LUNES, 2 de AGOSTO de 2010"), QStringLiteral("uno\ndos")) +
                     entry(QStringLiteral("MARTES, 31 de AGOSTO de 2010"), QStringLiteral("fin")));
        QCOMPARE(entry(QStringLiteral("K"), QStringLiteral("n")), QStringLiteral("K \nn \n \n"));
    }

    void emptyNotesAndEmptyRangesInSummaries() {
        DayNotes notes(data_);
        QCOMPARE(notes.monthSummary(2011, 1), QString());
        QCOMPARE(notes.yearSummary(2011), QString());
        QVERIFY(notes.save(QStringLiteral("LUNES, 3 de ENERO de 2011"), QString()));
        QCOMPARE(notes.monthSummary(2011, 1), entry(QStringLiteral("LUNES, 3 de ENERO de 2011"), QString()));
        QCOMPARE(notes.monthSummary(2011, 2), QString());
    }

    void yearSummaryCountsWeekdaysOnAcrossMonths() {
        const QStringList keys = {
            QStringLiteral("DOMINGO, 1 de ENERO de 2012"), QStringLiteral("MIÉRCOLES, 29 de FEBRERO de 2012"),
            QStringLiteral("JUEVES, 1 de MARZO de 2012"), QStringLiteral("LUNES, 31 de DICIEMBRE de 2012")};
        DayNotes notes(data_);
        for (const QString& key : keys)
            QVERIFY(notes.save(key, key.left(3)));
        QVERIFY(notes.save(QStringLiteral("MARTES, 1 de ENERO de 2013"), QStringLiteral("otro año")));
        QString expected;
        for (const QString& key : keys)
            expected += entry(key, key.left(3));
        QCOMPARE(notes.yearSummary(2012), expected);
        QCOMPARE(notes.monthSummary(2012, 2), entry(keys.at(1), QStringLiteral("MIÉ")));
    }

    void holidaysAndRemindersExistExactlyWhileTheirTextIsNotEmpty_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        const auto holiday = int(DayTextKind::Holiday);
        const auto yearly = int(DayTextKind::YearlyReminder);
        const auto oneYear = int(DayTextKind::OneYearReminder);
        QTest::newRow("holiday") << holiday << QStringLiteral("Reyes")
                                 << QStringLiteral("fiestas/6 de ENERO.txt") << QByteArray("Reyes\r\n");
        QTest::newRow("blanks are a text")
            << holiday << QStringLiteral("   ") << QStringLiteral("fiestas/6 de ENERO.txt")
            << QByteArray("   \r\n");
        QTest::newRow("yearly") << yearly << QStringLiteral("Cumpleaños\nde Ana")
                                << QStringLiteral("recordatorio/6 de ENERO.txt")
                                << QByteArray("Cumpleaños\r\nde Ana\r\n");
        QTest::newRow("one year, bare")
            << oneYear << QStringLiteral("ITV")
            << QStringLiteral("recordatorionoanual/6 de ENERO de 2011.txt") << QByteArray("ITV");
    }
    void holidaysAndRemindersExistExactlyWhileTheirTextIsNotEmpty() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        const auto store = [&](const QString& t) {
            return storeDayText(data_, DayTextKind(kind), QStringLiteral("6"), QStringLiteral("ENERO"),
                                QStringLiteral("2011"), t);
        };
        QCOMPARE(store(QString()), DayTextChange::NothingToRemove);
        QCOMPARE(QDir(data_.folder(fileName.section(u'/', 0, 0))).entryList(QDir::Files).size(), 0);
        QCOMPARE(store(QStringLiteral("primero")), DayTextChange::Written);
        QCOMPARE(store(text), DayTextChange::Written);
        QCOMPARE(bytesOf(data_.folder(fileName)), bytes);
        QCOMPARE(store(QString()), DayTextChange::Removed);
        QVERIFY(!QFile::exists(data_.folder(fileName)));
    }

    void removingFindsEverySpellingOfTheName() {
        put(data_.folder(QStringLiteral("fiestas/6 de enero.txt")), "Reyes\r\n");
        put(data_.folder(QStringLiteral("fiestas/6 DE ENERO.txt")), "Reyes\r\n");
        QCOMPARE(storeDayText(data_, DayTextKind::Holiday, QStringLiteral("6"), QStringLiteral("ENERO"),
                              QStringLiteral("2011"), QString()),
                 DayTextChange::Removed);
        QCOMPARE(QDir(data_.folder(folders::holidays)).entryList(QDir::Files), QStringList());
    }

    void oneYearReminderOfLeapDayMarksOnlyItsYear() {
        QCOMPARE(storeDayText(data_, DayTextKind::OneYearReminder, QStringLiteral("29"),
                              QStringLiteral("FEBRERO"), QStringLiteral("2012"), QStringLiteral("Bisiesto")),
                 DayTextChange::Written);
        DayMarks marks(data_);
        marks.forceRefresh();
        const auto markIn = [&](const char* year) {
            return marks.markOf(QStringLiteral("29"), QStringLiteral("FEBRERO"), QString::fromLatin1(year));
        };
        QCOMPARE(markIn("2012"), Mark::OneYearReminder);
        QCOMPARE(markIn("2016"), Mark::None);
        QCOMPARE(markIn("2008"), Mark::None);
    }

    void dayTextFailuresAreReported() {
        QVERIFY(!storeDayText(data_, DayTextKind::Holiday, QStringLiteral("../6"), QStringLiteral("ENERO"),
                              QStringLiteral("2011"), QStringLiteral("x")));
        blockFolder(data_, folders::yearlyReminders);
        QVERIFY(!storeDayText(data_, DayTextKind::YearlyReminder, QStringLiteral("6"),
                              QStringLiteral("ENERO"), QStringLiteral("2011"), QStringLiteral("x"))
                     .error()
                     .isEmpty());
    }

    void attachmentListsAreRewrittenWhole() {
        Attachments attachments(data_);
        QCOMPARE(
            attachmentListKey(QStringLiteral("6"), QStringLiteral("ENERO"), QStringLiteral("2011"), false),
            QStringLiteral("6 de ENERO de 2011"));
        QCOMPARE(
            attachmentListKey(QStringLiteral("6"), QStringLiteral("ENERO"), QStringLiteral("2011"), true),
            QStringLiteral("6 de ENERO"));
        const QString key = QStringLiteral("6 de ENERO de 2011");
        const QStringList twice = {QStringLiteral("foto.jpg"), QStringLiteral("foto.jpg")};
        QVERIFY(attachments.writeList(key, twice));
        QCOMPARE(bytesOf(data_.attachmentListFile(key)), QByteArray("foto.jpg\r\nfoto.jpg\r\n"));
        QCOMPARE(attachments.readList(key), twice);
        QVERIFY(attachments.writeList(key, {}));
        QCOMPARE(bytesOf(data_.attachmentListFile(key)), QByteArray());
        QCOMPARE(attachments.readList(key), QStringList());
        blockFolder(data_, folders::attachmentLists);
        QVERIFY(!attachments.writeList(key, twice).error().isEmpty());
    }

    void archiveCopiesAndTheirConflicts() {
        Attachments attachments(data_);
        const QString first = dir_.filePath(QStringLiteral("uno/informe.doc"));
        const QString same = dir_.filePath(QStringLiteral("dos/informe.doc"));
        const QString other = dir_.filePath(QStringLiteral("tres/INFORME.doc"));
        put(first, "primero");
        put(same, "primero");
        put(other, "segundo");
        QCOMPARE(attachments.stateOf(dir_.filePath(QStringLiteral("nada.doc"))), ArchiveState::Unreadable);
        QCOMPARE(attachments.stateOf(first), ArchiveState::NewName);
        QVERIFY(attachments.copyIntoArchive(first));
        const QString copy = data_.attachedFile(QStringLiteral("informe.doc"));
        QCOMPARE(bytesOf(copy), QByteArray("primero"));
        QCOMPARE(attachments.stateOf(first), ArchiveState::SameContent);
        QCOMPARE(attachments.stateOf(same), ArchiveState::SameContent);
        QCOMPARE(attachments.stateOf(copy), ArchiveState::SameContent);
        QVERIFY(attachments.copyIntoArchive(copy));
        // Names compare without regard to case: the later file replaces the earlier copy.
        QCOMPARE(attachments.stateOf(other), ArchiveState::DifferentContent);
        QVERIFY(attachments.copyIntoArchive(other));
        QCOMPARE(QDir(data_.folder(folders::attachedFiles)).entryList(QDir::Files),
                 QStringList{QStringLiteral("informe.doc")});
        QCOMPARE(bytesOf(copy), QByteArray("segundo"));
        QCOMPARE(attachments.copyOf(QStringLiteral("INFORME.DOC")), copy);
    }

    // A list file edited by hand, or a key that is not a bare name, must never lead out of its folder.
    void namesThatLeaveTheirFolderAreRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("parent") << QStringLiteral("../quindara");
        QTest::newRow("far up") << QStringLiteral("../../../../etc/hostname");
        QTest::newRow("absolute") << QStringLiteral("/etc/passwd");
        QTest::newRow("down and up") << QStringLiteral("x/../../quindara");
    }
    void namesThatLeaveTheirFolderAreRefused() {
        QFETCH(QString, name);
        Attachments attachments(data_);
        // Where "../quindara" leads from "Archivos" and from "listaarchivos".
        put(dir_.filePath(QStringLiteral("quindara")), "programa");
        put(dir_.filePath(QStringLiteral("quindara.txt")), "lista.doc\r\n");
        QCOMPARE(attachments.copyOf(name), QString());
        QCOMPARE(attachments.readList(name), QStringList());
        QVERIFY(!attachments.writeList(name, {QStringLiteral("x.doc")}).error().isEmpty());
        QCOMPARE(bytesOf(dir_.filePath(QStringLiteral("quindara.txt"))), QByteArray("lista.doc\r\n"));
    }

    void storableNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("storable");
        QTest::newRow("plain") << QStringLiteral("foto de Ávila.jpg") << true;
        QTest::newRow("parent") << QStringLiteral("..") << false;
        QTest::newRow("line break") << QStringLiteral("a\nb.txt") << false;
        QTest::newRow("separator") << QStringLiteral("a\\b.txt") << false;
    }
    void storableNames() {
        QFETCH(QString, name);
        QFETCH(bool, storable);
        QCOMPARE(Attachments::isStorableName(name), storable);
    }

    void notesAreNamedByTheMinuteOfSaving_data() {
        QTest::addColumn<QDateTime>("minute");
        QTest::addColumn<QString>("name");
        QTest::newRow("morning") << QDateTime(QDate(2004, 12, 1), QTime(10, 30))
                                 << QStringLiteral("2004-12-1--10-30");
        QTest::newRow("midnight") << QDateTime(QDate(2005, 1, 2), QTime(0, 0))
                                  << QStringLiteral("2005-1-2--0-0");
    }
    void notesAreNamedByTheMinuteOfSaving() {
        QFETCH(QDateTime, minute);
        QFETCH(QString, name);
        common::FixedClock clock(minute);
        NotesPad pad(data_, clock);
        QCOMPARE(pad.save(QStringLiteral("primera")), name);
        clock.set(minute.addSecs(59));
        // The note being edited is replaced in its minute.
        QCOMPARE(pad.save(QStringLiteral("segunda"), PadNote{name, QStringLiteral("primera")}), name);
        QCOMPARE(pad.noteNames(), QStringList{name});
        QCOMPARE(bytesOf(data_.noteFile(name)), QByteArray("segunda       "));
        QCOMPARE(pad.read(name).value_or(QString()), QStringLiteral("segunda"));
    }

    void notesListReadAndDelete() {
        common::FixedClock clock(QDateTime(QDate(2011, 10, 1), QTime(23, 5)));
        NotesPad pad(data_, clock);
        QVERIFY(pad.save(QStringLiteral("a")));
        clock.set(QDateTime(QDate(2004, 3, 7), QTime(9, 5)));
        QVERIFY(pad.save(QStringLiteral("b")));
        QCOMPARE(pad.noteNames(),
                 (QStringList{QStringLiteral("2004-3-7--9-5"), QStringLiteral("2011-10-1--23-5")}));
        QVERIFY(pad.remove(QStringLiteral("2004-3-7--9-5")));
        QCOMPARE(pad.noteNames(), QStringList{QStringLiteral("2011-10-1--23-5")});
        QVERIFY(!pad.remove(QStringLiteral("../dias")));
        QVERIFY(QDir(data_.folder(folders::dayNotes)).exists());
        QVERIFY(!pad.read(QStringLiteral("no-existe")));
        blockFolder(data_, folders::notesPad);
        QVERIFY(!pad.save(QStringLiteral("c")).error().isEmpty());
    }

    void textPadContentOfEachKindOfPage_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("single text") << QStringLiteral("text") << QByteArray(zoned("uno\ndos"));
        QTest::newRow("week") << QStringLiteral("week")
                              << QByteArray(
                                     "LUNES, 3\r\nnota\r\nMARTES, 4\r\n\r\nMIÉRCOLES, 5\r\nx\r\ny\r\n");
        QTest::newRow("nothing") << QStringLiteral("empty") << QByteArray();
    }
    void textPadContentOfEachKindOfPage() {
        QFETCH(QString, which);
        QFETCH(QByteArray, bytes);
        put(data_.textPadFile(), "anterior");
        TextPadContent content = emptyTextPad();
        if (which == QLatin1String("text"))
            content = textPadOfText(QStringLiteral("uno\ndos"));
        else if (which == QLatin1String("week"))
            content = textPadOfWeek(
                {QStringLiteral("LUNES, 3"), QStringLiteral("MARTES, 4"), QStringLiteral("MIÉRCOLES, 5")},
                {QStringLiteral("nota"), QString(), QStringLiteral("x\ny")});
        QVERIFY(writeTextPad(data_, content));
        QCOMPARE(bytesOf(data_.textPadFile()), bytes);
    }
};

QTEST_GUILESS_MAIN(DayContentTest)
#include "tst_daycontent.moc"
