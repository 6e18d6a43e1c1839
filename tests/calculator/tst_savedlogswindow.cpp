// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/ui/savedlogswindow.h"
#include "common/textfile.h"
#include "common/units.h"
#include "tests/support/keyboarduse.h"
#include "tests/support/recordingdesktopservices.h"

#include "calculator/ui/calculatorpictures.h"
#include "common/ui/controls.h"
#include "tests/support/timing.h"

#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using common::PrintResult;
using tallimo::SavedLogsWindow;

namespace {

const QString kLogFixture = QStringLiteral(QUINDARA_TEST_DATA "/calculator/operacion.txt");
const QString kFirstName = QStringLiteral("2026-12-6--9-5");

} // namespace

class SavedLogsWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<common::FixedClock> clock;
    std::unique_ptr<common::RecordingDesktopServices> desktop;
    // Stands for the calculator window, whose place the browser takes.
    std::unique_ptr<QWidget> calculator;
    std::unique_ptr<SavedLogsWindow> window;

    QString path(const QString& relative) const { return dir->filePath(relative); }
    QString savedPath(const QString& name) const { return path(QStringLiteral("operaciones/") + name); }
    QByteArray bytesOf(const QString& relative) const {
        return common::readBytes(path(relative)).value_or(QByteArray("(no file)"));
    }
    void writeFile(const QString& relative, const QByteArray& bytes) {
        QVERIFY(QDir(dir->path()).mkpath(QFileInfo(path(relative)).path()));
        QVERIFY(common::writeBytes(path(relative), bytes));
    }
    void writeLog(const QByteArray& bytes) { writeFile(QStringLiteral("operacion.txt"), bytes); }
    QByteArray fixtureLog() const { return common::readBytes(kLogFixture).value(); }

    void open() {
        window = std::make_unique<SavedLogsWindow>(dir->path(), *clock, *desktop, calculator.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    QPushButton* button(const QString& name) const {
        auto* found = window->findChild<QPushButton*>(name);
        Q_ASSERT(found);
        return found;
    }
    void click(const QString& name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    QListWidget* list() const { return window->findChild<QListWidget*>(QStringLiteral("File1")); }
    QPlainTextEdit* viewer() const { return window->findChild<QPlainTextEdit*>(QStringLiteral("Text1")); }
    QStringList listed() const {
        QStringList names;
        for (int row = 0; row < list()->count(); ++row)
            names.append(list()->item(row)->text());
        return names;
    }
    void clickListed(const QString& name) {
        const auto items = list()->findItems(name, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualItemRect(items.first()).center());
    }
    void typeAtEnd(const QString& text) {
        viewer()->moveCursor(QTextCursor::End);
        QTest::keyClicks(viewer(), text);
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        clock = std::make_unique<common::FixedClock>(QDateTime(QDate(2026, 12, 6), QTime(9, 5, 20)));
        desktop = std::make_unique<common::RecordingDesktopServices>();
        calculator = std::make_unique<QWidget>();
        calculator->setWindowTitle(QStringLiteral("TALLIMO 1.2"));
        calculator->setFixedSize(common::twipsSize(9585, 6015));
        calculator->move(140, 90);
        writeLog(fixtureLog());
    }
    void cleanup() {
        window.reset();
        calculator.reset();
    }

    void placesItsControls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<quint32>("colour");
        QTest::addColumn<int>("picture");
        QTest::newRow("save") << "Command1_0" << common::twipsRect(2280, 120, 735, 735) << 0xC0FFC0u
                              << int(tallimo::Picture::Camera);
        QTest::newRow("print") << "Command1_2" << common::twipsRect(3000, 120, 735, 735) << 0xFFFFC0u
                               << int(tallimo::Picture::Printer);
        QTest::newRow("editor") << "Command1_3" << common::twipsRect(3720, 120, 735, 735) << 0xFFC0FFu
                                << int(tallimo::Picture::Notepad);
        QTest::newRow("copy") << "Command1_1" << common::twipsRect(4440, 120, 735, 735) << 0xC0E0FFu
                              << int(tallimo::Picture::Clipboard);
        QTest::newRow("size") << "Command1_4" << common::twipsRect(5160, 120, 735, 735) << 0xC0FFFFu
                              << int(tallimo::Picture::TextSize);
        QTest::newRow("delete") << "Command2" << common::twipsRect(120, 5280, 2055, 615) << 0u
                                << int(tallimo::Picture::Eraser);
    }
    void placesItsControls() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(quint32, colour);
        QFETCH(int, picture);
        open();
        QCOMPARE(button(name)->geometry(), place);
        QCOMPARE(button(name)->accessibleName(), button(name)->toolTip());
        if (colour)
            QCOMPARE(common::backColour(button(name)), colour);
        const QSize size(32, 32);
        QCOMPARE(button(name)->icon().pixmap(size).toImage(),
                 tallimo::pictureIcon(tallimo::Picture(picture)).pixmap(size).toImage());
    }

    // Without a mouse: Tab follows the buttons as they are shown, and the focused control wears a frame.
    void usableFromTheKeyboard_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("save button") << "Command1_0";
        QTest::newRow("picture button") << "Command2";
        QTest::newRow("list") << "File1";
        QTest::newRow("viewer") << "Text1";
    }
    void usableFromTheKeyboard() {
        QFETCH(QString, name);
        writeFile(QStringLiteral("operaciones/") + kFirstName, "1\r\n");
        open();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const QString problem = keyboarduse::focusFrameProblem(window->findChild<QWidget*>(name));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const QString order = keyboarduse::tabOrderProblem(*window);
        QVERIFY2(order.isEmpty(), qPrintable(order));
    }

    // Its own title and a place that leaves the calculator in sight: the two are not taken for one.
    void standsBesideTheCalculatorWindow() {
        open();
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Operaciones guardadas — %1").arg(calculator->windowTitle()));
        QCOMPARE(window->size(), calculator->size());
        QVERIFY(window->frameGeometry().left() >= calculator->frameGeometry().left() + common::twips(480) ||
                !window->frameGeometry().intersects(calculator->frameGeometry()));
        QCOMPARE(common::bgrValue(window->palette().color(QPalette::Window)), 0xC0C0FFu);
        QCOMPARE(list()->geometry(), common::twipsRect(120, 120, 2055, 5130));
        QCOMPARE(list()->accessibleName(), QStringLiteral("Operaciones guardadas"));
        QCOMPARE(viewer()->accessibleName(), QStringLiteral("Registro de operaciones"));
        QCOMPARE(list()->font().family(), QStringLiteral("Arial"));
        QCOMPARE(list()->font().pointSizeF(), 9.75);
        QCOMPARE(viewer()->geometry(), common::twipsRect(2280, 960, 7095, 4935));
        QCOMPARE(viewer()->font().family(), QStringLiteral("Courier New"));
        QCOMPARE(viewer()->font().pointSize(), 12);
        QVERIFY(!viewer()->isReadOnly());
    }

    // A conflict copy a sync tool left of a log is a log of its own, marked, listed after the log it copies.
    void opensOnTheCurrentLogAndTheSavedOnes() {
        writeFile(QStringLiteral("operaciones/2026-12-5--18-30"), "ayer");
        writeFile(QStringLiteral("operaciones/2026-12-5--18-30.sync-conflict-20261207-101500-ABCDEFG"),
                  "otro");
        writeFile(QStringLiteral("operaciones/2026-12-10--7-0"), "luego");
        open();
        QCOMPARE(viewer()->toPlainText(), common::textFromBytes(fixtureLog(), common::Ending::Bare));
        const QString copy =
            QStringLiteral("2026-12-5--18-30 (copia en conflicto de Syncthing, 7 de diciembre, 10:15)");
        QCOMPARE(listed(),
                 QStringList({QStringLiteral("2026-12-10--7-0"), QStringLiteral("2026-12-5--18-30"), copy}));
        // Shown whole, on as many lines as it takes, within the list's width.
        const QRect place = list()->visualItemRect(list()->item(2));
        QVERIFY(place.right() < list()->viewport()->width());
        const QRect needed = QFontMetrics(list()->font())
                                 .boundingRect(QRect(0, 0, place.width() - 8, 1000), Qt::TextWordWrap, copy);
        QVERIFY(needed.height() <= place.height());
        clickListed(copy);
        QCOMPARE(viewer()->toPlainText(), QStringLiteral("otro"));
        QVERIFY(desktop->messages.isEmpty());
    }

    void createsAMissingSavedLogsFolder() {
        open();
        QVERIFY(QFileInfo(path(QStringLiteral("operaciones"))).isDir());
        QVERIFY(listed().isEmpty());
        QVERIFY(desktop->messages.isEmpty());
    }

    void savesACopyUnderTheTimeStamp() {
        open();
        click(QStringLiteral("Command1_0"));
        QCOMPARE(listed(), QStringList({kFirstName}));
        QCOMPARE(list()->currentItem()->text(), kFirstName);
        QVERIFY(desktop->messages.isEmpty());
    }

    void unchangedLogIsSavedByteForByte_data() {
        QTest::addColumn<QByteArray>("log");
        QTest::newRow("calculator log") << fixtureLog();
        QTest::newRow("no-break spaces")
            << QByteArray("\r\n 1 )\xc2\xa0\xc2\xa0 1.234,50\xc2\xa0\xe2\x82\xac\r\n");
        QTest::newRow("lone line feeds") << QByteArray("\n 1 )   7\n\n---\n   7\n");
        QTest::newRow("older 8-bit install") << QByteArray("\r\n 2 ) Ra\xedz\t 3\r\n");
        QTest::newRow("no final line end") << QByteArray("7\r\n\r\n\r\n8");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("a line too long to show whole")
            << "\r\n 1 )  " + QByteArray(20000, '7') + "\r\n 2 )  1\r\n";
    }
    void unchangedLogIsSavedByteForByte() {
        QFETCH(QByteArray, log);
        writeLog(log);
        open();
        click(QStringLiteral("Command1_0"));
        QCOMPARE(bytesOf(QStringLiteral("operaciones/") + kFirstName), log);
        click(QStringLiteral("Command1_3"));
        QCOMPARE(bytesOf(QStringLiteral("operacion.txt")), log);
    }

    void savingTwiceInOneMinuteKeepsTheCurrentText() {
        open();
        click(QStringLiteral("Command1_0"));
        clickListed(kFirstName);
        typeAtEnd(QStringLiteral("revisado"));
        clock->set(clock->now().addSecs(30));
        click(QStringLiteral("Command1_0"));
        QCOMPARE(listed(), QStringList({kFirstName}));
        QCOMPARE(bytesOf(QStringLiteral("operaciones/") + kFirstName), fixtureLog() + "revisado");
    }

    void anotherLogSavedInTheSameMinuteKeepsTheFirst() {
        const QByteArray earlier("\r\n 1 )  5\r\n\r\n------\r\n  5\r\n");
        writeFile(QStringLiteral("operaciones/2026-12-1--8-0"), earlier);
        open();
        click(QStringLiteral("Command1_0"));
        clickListed(QStringLiteral("2026-12-1--8-0"));
        clock->set(clock->now().addSecs(20));
        click(QStringLiteral("Command1_0"));
        QCOMPARE(listed(), QStringList({kFirstName, kFirstName + "-2", QStringLiteral("2026-12-1--8-0")}));
        QCOMPARE(bytesOf(QStringLiteral("operaciones/") + kFirstName), fixtureLog());
        QCOMPARE(bytesOf(QStringLiteral("operaciones/") + kFirstName + "-2"), earlier);
        QVERIFY(desktop->messages.isEmpty());
    }

    // Another machine of a synced folder saves and removes logs: the list follows within a second.
    void logsChangedElsewhereAreListed() {
        open();
        const QString name = QStringLiteral("2026-12-7--10-15");
        writeFile(QStringLiteral("operaciones/") + name, "1 + 1 = 2\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(listed().contains(name), scaledMs(1000));
        QVERIFY(QFile::remove(savedPath(name)));
        QTRY_VERIFY_WITH_TIMEOUT(!listed().contains(name), scaledMs(1000));
    }

    void textSizeStepsAndComesBack() {
        open();
        QList<int> sizes;
        for (int clickCount = 0; clickCount < 5; ++clickCount) {
            click(QStringLiteral("Command1_4"));
            sizes.append(viewer()->font().pointSize());
        }
        QCOMPARE(sizes, QList<int>({14, 16, 18, 12, 14}));
        QCOMPARE(viewer()->font().family(), QStringLiteral("Courier New"));
    }

    // Deleting asks first, naming the log; "No" keeps it.
    void deletingTheShownLogKeepsItsText() {
        const QByteArray earlier("\r\n 1 )  5\r\n\r\n------\r\n  5\r\n");
        writeFile(QStringLiteral("operaciones/2026-12-1--8-0"), earlier);
        open();
        // Nothing chosen yet (focus may make the first name current): the eraser does nothing.
        list()->setFocus();
        click(QStringLiteral("Command2"));
        QCOMPARE(listed(), QStringList({QStringLiteral("2026-12-1--8-0")}));
        clickListed(QStringLiteral("2026-12-1--8-0"));
        const QString shown = viewer()->toPlainText();
        QCOMPARE(shown, common::textFromBytes(earlier, common::Ending::Bare));
        QVERIFY(desktop->callsOf(QStringLiteral("askYesNo")).isEmpty());
        click(QStringLiteral("Command2"));
        const QStringList asked = desktop->callsOf(QStringLiteral("askYesNo"));
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked.first().contains(QStringLiteral("«2026-12-1--8-0»")), qPrintable(asked.first()));
        QCOMPARE(desktop->calls.last().extra.last(), QStringLiteral("No"));
        QVERIFY(QFile::exists(savedPath(QStringLiteral("2026-12-1--8-0"))));
        QCOMPARE(listed(), QStringList({QStringLiteral("2026-12-1--8-0")}));
        desktop->yesNoAnswer = true;
        click(QStringLiteral("Command2"));
        QVERIFY(!QFile::exists(savedPath(QStringLiteral("2026-12-1--8-0"))));
        QVERIFY(listed().isEmpty());
        QCOMPARE(viewer()->toPlainText(), shown);
        click(QStringLiteral("Command1_0"));
        QCOMPARE(bytesOf(QStringLiteral("operaciones/") + kFirstName), earlier);
        QVERIFY(desktop->messages.isEmpty());
    }

    // A second click on the eraser must not remove the neighbour the user never chose.
    void afterADeletionNothingIsChosen() {
        writeFile(QStringLiteral("operaciones/2026-12-1--8-0"), "a");
        writeFile(QStringLiteral("operaciones/2026-12-1--8-1"), "b");
        desktop->yesNoAnswer = true;
        open();
        clickListed(QStringLiteral("2026-12-1--8-0"));
        click(QStringLiteral("Command2"));
        QVERIFY(list()->selectedItems().isEmpty());
        click(QStringLiteral("Command2"));
        QCOMPARE(listed(), QStringList({QStringLiteral("2026-12-1--8-1")}));
        QVERIFY(QFile::exists(savedPath(QStringLiteral("2026-12-1--8-1"))));
    }

    // Tab leaves the viewer and types nothing into the log.
    void editorButtonMakesTheEditedTextTheCurrentLog() {
        open();
        viewer()->setFocus();
        typeAtEnd(QStringLiteral("nota"));
        QCOMPARE(window->focusWidget(), viewer());
        QTest::keyClick(viewer(), Qt::Key_Tab);
        QVERIFY(window->focusWidget() != viewer());
        click(QStringLiteral("Command1_3"));
        QCOMPARE(bytesOf(QStringLiteral("operacion.txt")), fixtureLog() + "nota");
        QCOMPARE(desktop->callsOf(QStringLiteral("openInTextEditor")), QStringList({path("operacion.txt")}));
    }

    void copyPutsTheExactTextOnTheClipboard() {
        open();
        typeAtEnd(QStringLiteral("x"));
        click(QStringLiteral("Command1_1"));
        QCOMPARE(desktop->clipboard, common::textFromBytes(fixtureLog(), common::Ending::Bare) + u'x');
    }

    void printsOrOffersAPdf_data() {
        QTest::addColumn<PrintResult>("result");
        QTest::addColumn<bool>("wantsPdf");
        QTest::addColumn<QString>("pdfPath");
        QTest::addColumn<bool>("pdfWritten");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("messages");
        const QString pdf = QStringLiteral("/tmp/cuenta.pdf");
        QTest::newRow("printed") << PrintResult::Printed << false << QString() << true
                                 << QStringList({"printText"}) << 0;
        QTest::newRow("no printer, no pdf") << PrintResult::NoPrinter << false << QString() << true
                                            << QStringList({"printText", "askYesNo"}) << 0;
        QTest::newRow("no printer, pdf")
            << PrintResult::NoPrinter << true << pdf << true
            << QStringList({"printText", "askYesNo", "askSaveFile", "printTextToPdf"}) << 0;
        QTest::newRow("pdf cancelled") << PrintResult::Failed << true << QString() << true
                                       << QStringList({"printText", "askYesNo", "askSaveFile"}) << 0;
        QTest::newRow("pdf not written")
            << PrintResult::Failed << true << pdf << false
            << QStringList({"printText", "askYesNo", "askSaveFile", "printTextToPdf", "showMessage"}) << 1;
    }
    void printsOrOffersAPdf() {
        QFETCH(PrintResult, result);
        QFETCH(bool, wantsPdf);
        QFETCH(QString, pdfPath);
        QFETCH(bool, pdfWritten);
        QFETCH(QStringList, calls);
        QFETCH(int, messages);
        desktop->printAnswer = result;
        desktop->yesNoAnswer = wantsPdf;
        desktop->saveFileAnswer = pdfPath;
        desktop->succeed = pdfWritten;
        open();
        click(QStringLiteral("Command1_2"));
        QStringList made;
        for (const auto& call : desktop->calls)
            made.append(call.what);
        QCOMPARE(made, calls);
        const QString text = common::textFromBytes(fixtureLog(), common::Ending::Bare) + u'\n';
        QCOMPARE(desktop->callsOf(QStringLiteral("printText")), QStringList({text}));
        QCOMPARE(desktop->calls.first().extra.first(), QStringLiteral("Courier New"));
        if (!pdfPath.isEmpty())
            QCOMPARE(desktop->calls.at(3).extra.first(), text);
        QCOMPARE(desktop->messages.size(), messages);
    }

    void unwritableFolderIsToldOncePerAction() {
        writeFile(QStringLiteral("operaciones"), "no es una carpeta");
        open();
        QCOMPARE(desktop->messages.size(), 1);
        QVERIFY(listed().isEmpty());
        click(QStringLiteral("Command1_0"));
        QCOMPARE(desktop->messages.size(), 2);
        QVERIFY(desktop->messages.last().contains(kFirstName));
        QVERIFY(window->isVisible());
    }

    void missingLogOpensEmptyWithoutAMessage() {
        QVERIFY(QFile::remove(path(QStringLiteral("operacion.txt"))));
        open();
        QVERIFY(viewer()->toPlainText().isEmpty());
        QVERIFY(desktop->messages.isEmpty());
    }

    void unreadableLogIsToldAndCannotBeReplacedBlindly() {
        // A folder in the log's place can be neither read nor written.
        QVERIFY(QFile::remove(path(QStringLiteral("operacion.txt"))));
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("operacion.txt")));
        open();
        QVERIFY(viewer()->toPlainText().isEmpty());
        QCOMPARE(desktop->messages.size(), 1);
        click(QStringLiteral("Command1_3"));
        QCOMPARE(desktop->messages.size(), 2);
        QVERIFY(desktop->callsOf(QStringLiteral("openInTextEditor")).isEmpty());
    }

    void vanishedSavedLogLeavesTheViewerAlone() {
        writeFile(QStringLiteral("operaciones/2026-12-1--8-0"), "antes");
        open();
        const QString shown = viewer()->toPlainText();
        QVERIFY(QFile::remove(savedPath(QStringLiteral("2026-12-1--8-0"))));
        clickListed(QStringLiteral("2026-12-1--8-0"));
        QCOMPARE(viewer()->toPlainText(), shown);
        QCOMPARE(desktop->messages.size(), 1);
        QVERIFY(listed().isEmpty());
    }
};

QTEST_MAIN(SavedLogsWindowTest)
#include "tst_savedlogswindow.moc"
