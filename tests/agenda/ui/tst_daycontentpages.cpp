// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/ui/deferredmessages.h"
#include "agenda/ui/notespadpage.h"
#include "common/textfile.h"
#include "tests/support/recordingdesktopservices.h"
#include "tests/support/timing.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace quindara;

namespace {

const QDateTime kMorning(QDate(2004, 12, 1), QTime(10, 30));

QByteArray bytesOf(const QString& path) {
    return common::readBytes(path).value_or(QByteArray("<missing>"));
}

} // namespace

class DayContentPagesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    DataFolder data_{dir_.path()};

    // The notes pad on a window with a second control to move the focus to.
    struct PadHost {
        explicit PadHost(const DataFolder& data) : clock(kMorning) {
            auto* layout = new QVBoxLayout(&window);
            page = new NotesPadPage(data, clock, desktop);
            page->setMinimumSize(page->size());
            elsewhere = new QLineEdit;
            layout->addWidget(page);
            layout->addWidget(elsewhere);
            window.show();
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            text = page->findChild<QPlainTextEdit*>(QStringLiteral("Text6"));
            list = page->findChild<QListWidget*>(QStringLiteral("File1"));
            remove = page->findChild<QPushButton*>(QStringLiteral("Command13"));
            QVERIFY(text && list && remove);
        }
        void type(const QString& typed) {
            text->setFocus(Qt::MouseFocusReason);
            QTest::keyClicks(text, typed);
        }
        void leave() {
            elsewhere->setFocus(Qt::MouseFocusReason);
            QCoreApplication::processEvents();
        }
        QStringList listed() const {
            QStringList names;
            for (int i = 0; i < list->count(); ++i)
                names.append(list->item(i)->text());
            return names;
        }
        void choose(const QString& name) {
            const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
            QVERIFY(!found.isEmpty());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(found.first()).center());
        }

        QWidget window;
        common::FixedClock clock;
        common::RecordingDesktopServices desktop;
        NotesPadPage* page = nullptr;
        QLineEdit* elsewhere = nullptr;
        QPlainTextEdit* text = nullptr;
        QListWidget* list = nullptr;
        QPushButton* remove = nullptr;
    };

    QString note(const char* name) const { return data_.noteFile(QString::fromLatin1(name)); }

private slots:
    void init() {
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        QVERIFY(data_.createMissingFolders());
    }

    void leavingAnEditedPadStoresANoteNamedByTheMinute() {
        PadHost host(data_);
        QCOMPARE(host.page->objectName(), QStringLiteral("Frame1_4"));
        host.type(QStringLiteral("Comprar pan"));
        host.leave();
        QCOMPARE(bytesOf(note("2004-12-1--10-30")),
                 common::encodeText(QStringLiteral("Comprar pan"), common::Ending::Zoned));
        QCOMPARE(host.listed(), QStringList{QStringLiteral("2004-12-1--10-30")});
        // Leaving again without a change stores nothing new.
        host.clock.set(kMorning.addSecs(3600));
        host.text->setFocus();
        host.leave();
        QCOMPARE(host.listed(), QStringList{QStringLiteral("2004-12-1--10-30")});
        // A second change within the same minute replaces the note.
        host.clock.set(kMorning.addSecs(20));
        host.type(QStringLiteral(" y leche"));
        host.leave();
        QCOMPARE(host.listed(), QStringList{QStringLiteral("2004-12-1--10-30")});
        QCOMPARE(common::readText(note("2004-12-1--10-30"), common::Ending::Zoned),
                 QStringLiteral("Comprar pan y leche"));
        QVERIFY(host.desktop.messages.isEmpty());
    }

    // A second note written in the same minute never replaces the first: it takes the next name and
    // is then updated in place like any note being edited.
    void anotherNoteOfTheSameMinuteKeepsTheFirst_data() {
        QTest::addColumn<bool>("emptiedFirst");
        QTest::newRow("pad emptied, then typed") << true;
        QTest::newRow("typed over the whole text") << false;
    }
    void anotherNoteOfTheSameMinuteKeepsTheFirst() {
        QFETCH(bool, emptiedFirst);
        PadHost host(data_);
        host.type(QStringLiteral("Nota A"));
        host.leave();
        host.clock.set(kMorning.addSecs(20));
        host.text->setFocus(Qt::MouseFocusReason);
        host.text->selectAll();
        if (emptiedFirst)
            QTest::keyClick(host.text, Qt::Key_Delete);
        host.type(QStringLiteral("Nota B"));
        host.leave();
        const QStringList both = {QStringLiteral("2004-12-1--10-30"), QStringLiteral("2004-12-1--10-30-2")};
        QCOMPARE(host.listed(), both);
        QCOMPARE(common::readText(note("2004-12-1--10-30"), common::Ending::Zoned), QStringLiteral("Nota A"));
        host.clock.set(kMorning.addSecs(40));
        host.type(QStringLiteral(" bis"));
        host.leave();
        QCOMPARE(host.listed(), both);
        QCOMPARE(common::readText(note("2004-12-1--10-30-2"), common::Ending::Zoned),
                 QStringLiteral("Nota B bis"));
        QCOMPARE(common::readText(note("2004-12-1--10-30"), common::Ending::Zoned), QStringLiteral("Nota A"));
    }

    // A message box opened while a button is down would take the click that is under way.
    void messagesWaitUntilTheMouseButtonIsUp() {
        QWidget window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        common::RecordingDesktopServices desktop;
        DeferredMessages messages(desktop);
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(QGuiApplication::mouseButtons(), Qt::LeftButton);
        messages.post(QStringLiteral("No se ha podido guardar."));
        QTest::qWait(scaledMs(300));
        QVERIFY(desktop.messages.isEmpty());
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
        QTRY_COMPARE(desktop.messages, QStringList{QStringLiteral("No se ha podido guardar.")});
    }

    void reopeningANoteIsNotAnEdit() {
        QVERIFY(
            common::writeText(note("2004-3-7--9-5"), QStringLiteral("vieja\nnota"), common::Ending::Zoned));
        PadHost host(data_);
        QCOMPARE(host.listed(), QStringList{QStringLiteral("2004-3-7--9-5")});
        host.choose(QStringLiteral("2004-3-7--9-5"));
        QCOMPARE(host.page->text(), QStringLiteral("vieja\nnota"));
        host.text->setFocus();
        host.leave();
        QCOMPARE(host.listed(), QStringList{QStringLiteral("2004-3-7--9-5")});
        // Editing the reopened note stores a new one beside the old.
        host.type(QStringLiteral("!"));
        host.leave();
        QCOMPARE(host.listed(),
                 (QStringList{QStringLiteral("2004-12-1--10-30"), QStringLiteral("2004-3-7--9-5")}));
    }

    // The click that leaves the pad is the one choosing a note: it must still open it, whether the pad
    // had changes to store (the list gains a name meanwhile) or not.
    void choosingANoteStraightFromThePadOpensIt_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("afterwards");
        QTest::newRow("edited") << QStringLiteral("nueva")
                                << QStringList{QStringLiteral("2004-12-1--10-30"),
                                               QStringLiteral("2004-3-7--9-5")};
        QTest::newRow("unchanged") << QString() << QStringList{QStringLiteral("2004-3-7--9-5")};
    }
    void choosingANoteStraightFromThePadOpensIt() {
        QFETCH(QString, typed);
        QFETCH(QStringList, afterwards);
        QVERIFY(common::writeText(note("2004-3-7--9-5"), QStringLiteral("vieja"), common::Ending::Zoned));
        PadHost host(data_);
        host.type(typed);
        QVERIFY(host.text->hasFocus());
        const QPoint place = host.list->visualItemRect(host.list->item(0)).center();
        QTest::mousePress(host.list->viewport(), Qt::LeftButton, {}, place);
        // What the press set going runs before the button comes up again.
        QCoreApplication::processEvents();
        QTest::mouseRelease(host.list->viewport(), Qt::LeftButton, {}, place);
        QCOMPARE(host.page->text(), QStringLiteral("vieja"));
        QCoreApplication::processEvents();
        QCOMPARE(host.listed(), afterwards);
    }

    void anEmptiedPadStoresAndDeletesNothing() {
        QVERIFY(common::writeText(note("2004-3-7--9-5"), QStringLiteral("x"), common::Ending::Zoned));
        PadHost host(data_);
        host.choose(QStringLiteral("2004-3-7--9-5"));
        host.text->setFocus();
        host.text->selectAll();
        QTest::keyClick(host.text, Qt::Key_Delete);
        host.leave();
        QCOMPARE(host.listed(), QStringList{QStringLiteral("2004-3-7--9-5")});
        QCOMPARE(bytesOf(note("2004-3-7--9-5")),
                 common::encodeText(QStringLiteral("x"), common::Ending::Zoned));
    }

    void eliminarDeletesTheChosenNoteOnly() {
        QVERIFY(common::writeText(note("2004-3-7--9-5"), QStringLiteral("a"), common::Ending::Zoned));
        QVERIFY(common::writeText(note("2005-1-2--0-0"), QStringLiteral("b"), common::Ending::Zoned));
        PadHost host(data_);
        QTest::mouseClick(host.remove, Qt::LeftButton);
        QCOMPARE(host.listed().size(), 2);
        host.choose(QStringLiteral("2005-1-2--0-0"));
        QTest::mouseClick(host.remove, Qt::LeftButton); // asked first; "No" keeps it
        QCOMPARE(host.listed().size(), 2);
        QVERIFY(host.desktop.callsOf(QStringLiteral("askYesNo"))
                    .value(0)
                    .contains(QStringLiteral("2005-1-2--0-0")));
        host.desktop.yesNoAnswer = true;
        QTest::mouseClick(host.remove, Qt::LeftButton);
        QCOMPARE(host.listed(), QStringList{QStringLiteral("2004-3-7--9-5")});
        QVERIFY(!QFile::exists(note("2005-1-2--0-0")));
        QCOMPARE(host.page->text(), QStringLiteral("b"));
        QVERIFY(host.desktop.messages.isEmpty());
    }

    void aFailedSaveIsToldAndKeepsTheText() {
        PadHost host(data_);
        QVERIFY(QDir(data_.folder(folders::notesPad)).removeRecursively());
        QVERIFY(common::writeBytes(data_.folder(folders::notesPad), "no soy una carpeta"));
        host.type(QStringLiteral("importante"));
        host.leave();
        QTRY_COMPARE(host.desktop.messages.size(), 1);
        QVERIFY(host.desktop.messages.first().startsWith(QStringLiteral("No se ha podido guardar")));
        QCOMPARE(host.page->text(), QStringLiteral("importante"));
        host.text->setFocus();
        host.leave();
        QCOMPARE(host.desktop.messages.size(), 1);
        // Once the folder is back, the pending note is stored on the way out.
        QVERIFY(QFile::remove(data_.folder(folders::notesPad)));
        QVERIFY(data_.createMissingFolders());
        QVERIFY(host.page->savePendingNote());
        QCOMPARE(common::readText(note("2004-12-1--10-30"), common::Ending::Zoned),
                 QStringLiteral("importante"));
        QCOMPARE(host.desktop.messages.size(), 1);
    }
};

QTEST_MAIN(DayContentPagesTest)
#include "tst_daycontentpages.moc"
