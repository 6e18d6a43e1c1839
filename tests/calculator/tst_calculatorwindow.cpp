#include "calculator/core/calculatorfolder.h"
#include "calculator/core/operations.h"
#include "calculator/ui/calculatorwindow.h"
#include "calculator/ui/tapeview.h"
#include "common/textfile.h"
#include "tests/support/recordingdesktopservices.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <memory>

using namespace tallimo;

namespace {

// A calculator window on a fresh program folder, with the saved logs window replaced by a counter.
class Calculator {
public:
    explicit Calculator(const std::function<void(const CalculatorFolder&)>& prepare = {}) {
        if (prepare) {
            QDir().mkpath(paths.programFolder() + QStringLiteral("/configuracion"));
            prepare(paths);
        }
        window = std::make_unique<CalculatorWindow>(folder.path(), clock, desktop);
        window->setSavedLogsOpener([this](SavedLogsWindow::LogWrite) {
            ++savedLogsShown;
            logWhenShown = common::readBytes(paths.logFile()).value_or(QByteArray());
        });
    }

    template <typename T = QPushButton> T* control(const QString& name) const {
        return window->findChild<T*>(name);
    }
    // Clicks the buttons named, in order ("Command2_1 Command4").
    void press(const QString& names) const {
        for (const QString& name : names.split(u' ', Qt::SkipEmptyParts)) {
            QPushButton* button = control(name);
            QVERIFY2(button && button->isVisible(), qPrintable(name));
            button->click();
        }
    }
    // Digits and keys typed on the keyboard.
    void type(const QString& keys) const { QTest::keyClicks(window.get(), keys); }
    QString display() const { return control<QLineEdit>(QStringLiteral("Text2"))->text(); }
    QString row(int i) const {
        const auto* text = control<QLineEdit>(QStringLiteral("Text1_%1").arg(i));
        return text ? text->text() : QStringLiteral("<not shown>");
    }
    QString formatted(int i) const { return control<QLabel>(QStringLiteral("Label2_%1").arg(i))->text(); }
    bool visible(const QString& name) const {
        const QWidget* widget = control<QWidget>(name);
        return widget && widget->isVisible();
    }

    QTemporaryDir folder;
    CalculatorFolder paths{folder.path()};
    common::FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(9, 5))};
    common::RecordingDesktopServices desktop;
    std::unique_ptr<CalculatorWindow> window;
    int savedLogsShown = 0;
    QByteArray logWhenShown;
};

void writeLines(const QString& path, int count, const QString& prefix) {
    QStringList lines;
    for (int k = 1; k <= count; ++k)
        lines.append(prefix + QString::number(k));
    QVERIFY(common::writeLines(path, lines));
}

} // namespace

class CalculatorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain)); }

    void secondDecimalKeyChangesNothing() {
        Calculator calculator;
        calculator.window->show();
        calculator.press(QStringLiteral("Command2_1 Command2_2 Command4"));
        QCOMPARE(calculator.display(), QStringLiteral("12"));
        calculator.press(QStringLiteral("Command2_5 Command4"));
        QCOMPARE(calculator.row(0), QStringLiteral("12.5"));
        QCOMPARE(calculator.display(), QStringLiteral("12.5"));
    }

    void signKeyToggles() {
        Calculator calculator;
        calculator.window->show();
        calculator.press(QStringLiteral("Command2_5 Command10"));
        QCOMPARE(calculator.row(0), QStringLiteral("-5"));
        QCOMPARE(calculator.display(), QStringLiteral("-5"));
        calculator.press(QStringLiteral("Command10"));
        QCOMPARE(calculator.row(0), QStringLiteral("5"));
        QCOMPARE(calculator.display(), QStringLiteral("5"));
    }

    void squareRootActsAtOnce() {
        Calculator calculator;
        calculator.window->show();
        calculator.press(QStringLiteral("Command2_9 Command3_6"));
        QCOMPARE(calculator.display(), QStringLiteral("3"));
        QCOMPARE(calculator.row(1), QStringLiteral("9"));
        QVERIFY(calculator.visible(QStringLiteral("Command1_1")));
        QVERIFY(calculator.visible(QStringLiteral("Label1_1")));
        QVERIFY(!calculator.visible(QStringLiteral("Command1_0")));
        QVERIFY(!calculator.visible(QStringLiteral("Label1_0")));
    }

    void pendingOperandThenClearLast() {
        Calculator calculator;
        calculator.window->show();
        calculator.press(QStringLiteral("Command2_8 Command3_3"));
        QCOMPARE(calculator.display(), QStringLiteral("8"));
        // Deleting on the empty new row must not bring it into the result.
        calculator.press(QStringLiteral("Command9"));
        QCOMPARE(calculator.display(), QStringLiteral("8"));
        calculator.press(QStringLiteral("Command5"));
        QCOMPARE(calculator.display(), QStringLiteral("ERROR"));
        calculator.press(QStringLiteral("Command7_1"));
        QCOMPARE(calculator.window->tape().currentRow(), 0);
        QCOMPARE(calculator.display(), QStringLiteral("8"));
        QCOMPARE(calculator.row(1), QStringLiteral("<not shown>"));
        calculator.press(QStringLiteral("Command7_1"));
        QCOMPARE(calculator.row(0), QString());
        QCOMPARE(calculator.display(), QStringLiteral("0"));
    }

    void clearAllKeepsTheResultInTheList() {
        Calculator calculator;
        calculator.window->show();
        QVERIFY(!calculator.visible(QStringLiteral("Combo1")));
        calculator.press(QStringLiteral("Command2_3 Command3_0 Command2_4 Command7_0"));
        auto* combo = calculator.control<QComboBox>(QStringLiteral("Combo1"));
        QVERIFY(combo->isVisible());
        QVERIFY(calculator.visible(QStringLiteral("Command12")));
        QCOMPARE(combo->currentText(), QStringLiteral("7"));
        QCOMPARE(calculator.window->tape().currentRow(), 0);
        QCOMPARE(calculator.row(0), QString());
        QCOMPARE(calculator.display(), QStringLiteral("0"));

        emit combo->activated(0);
        QCOMPARE(calculator.row(0), QStringLiteral("7"));
        QCOMPARE(calculator.display(), QStringLiteral("7"));

        calculator.press(QStringLiteral("Command3_3 Command5 Command7_0"));
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentText(), QStringLiteral("ERROR"));

        // A turn of the wheel over the list chooses nothing: the current row keeps its text.
        calculator.press(QStringLiteral("Command2_1"));
        QWheelEvent wheel(QPointF(5, 5), combo->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(combo, &wheel);
        QCOMPARE(calculator.row(0), QStringLiteral("1"));
        QCOMPARE(combo->currentText(), QStringLiteral("ERROR"));
        calculator.press(QStringLiteral("Command9"));
        QCOMPARE(calculator.row(0), QString());
        calculator.press(QStringLiteral("Command2_2"));
        emit combo->activated(1);
        QCOMPARE(calculator.row(0), QStringLiteral("ERROR"));
        QCOMPARE(calculator.display(), QStringLiteral("0"));

        calculator.press(QStringLiteral("Command12"));
        QCOMPARE(combo->count(), 0);
        QVERIFY(combo->isVisible());
    }

    void paletteChangesARowsOperation() {
        Calculator calculator;
        calculator.window->show();
        calculator.press(QStringLiteral("Command2_2 Command3_0 Command2_3"));
        QCOMPARE(calculator.display(), QStringLiteral("5"));
        QVERIFY(!calculator.visible(QStringLiteral("Picture4")));
        calculator.press(QStringLiteral("Command1_1"));
        QVERIFY(calculator.visible(QStringLiteral("Picture4")));
        calculator.press(QStringLiteral("Command14_2"));
        QCOMPARE(calculator.display(), QStringLiteral("6"));
        QCOMPARE(calculator.window->tape().operation(1), 2);
        QVERIFY(!calculator.visible(QStringLiteral("Picture4")));
        const auto picture = [&](const QString& name) {
            return calculator.control(name)->icon().pixmap(QSize(19, 19)).toImage();
        };
        QCOMPARE(picture(QStringLiteral("Command1_1")), picture(QStringLiteral("Command14_2")));
        QVERIFY(picture(QStringLiteral("Command1_1")) != picture(QStringLiteral("Command14_0")));

        // A row removed while the palette is open is left alone.
        calculator.press(QStringLiteral("Command1_1 Command7_1 Command14_4"));
        QCOMPARE(calculator.display(), QStringLiteral("2"));
        QVERIFY(!calculator.visible(QStringLiteral("Picture4")));
    }

    void aboutPanel() {
        Calculator calculator;
        calculator.window->show();
        QVERIFY(!calculator.visible(QStringLiteral("Picture3")));
        calculator.press(QStringLiteral("Command13"));
        QVERIFY(calculator.visible(QStringLiteral("Picture3")));
        for (int k = 0; k < 5; ++k)
            QVERIFY(!calculator.control<QLabel>(QStringLiteral("Label5_%1").arg(k))->text().isEmpty());
        calculator.press(QStringLiteral("Command13"));
        QVERIFY(!calculator.visible(QStringLiteral("Picture3")));
        calculator.press(QStringLiteral("Command13 Command2_4"));
        QVERIFY(!calculator.visible(QStringLiteral("Picture3")));
    }

    void tooltipsFromTheHelpFile_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QStringList>("tooltips");
        QStringList twelve;
        for (int k = 1; k <= 12; ++k)
            twelve.append(QStringLiteral("ayuda %1").arg(k));
        QStringList five = twelve.mid(0, 5);
        while (five.size() < 12)
            five.append(QStringLiteral("ayuda 5"));
        QTest::newRow("no file") << -1 << QStringList(12, QString());
        QTest::newRow("twelve lines") << 12 << twelve;
        QTest::newRow("five lines") << 5 << five;
        QTest::newRow("more lines than keys") << 14 << twelve;
    }
    void tooltipsFromTheHelpFile() {
        QFETCH(int, lines);
        QFETCH(QStringList, tooltips);
        Calculator calculator([lines](const CalculatorFolder& paths) {
            if (lines >= 0)
                writeLines(paths.helpFile(), lines, QStringLiteral("ayuda "));
        });
        QStringList shown;
        for (int k = 0; k < 12; ++k)
            shown.append(calculator.control(QStringLiteral("Command3_%1").arg(k))->toolTip());
        QCOMPARE(shown, tooltips);
    }

    void logButtonWritesTheLogBeforeShowingIt() {
        Calculator calculator(
            [](const CalculatorFolder& paths) { writeLines(paths.startFile(), 12, QStringLiteral("NAME")); });
        calculator.window->show();
        calculator.type(QStringLiteral("12.5+3*2="));
        QCOMPARE(calculator.display(), QStringLiteral("31"));
        calculator.press(QStringLiteral("Command11"));
        QCOMPARE(calculator.savedLogsShown, 1);
        const QByteArray expected = "\r\n 1 )                    12.5\r\n 2 ) NAME1               3\r\n"
                                    " 3 ) NAME3               2\r\n\r\n------------------------------\r\n"
                                    "                        31\r\n";
        QCOMPARE(calculator.logWhenShown, expected);
        calculator.press(QStringLiteral("Command11"));
        QCOMPARE(calculator.savedLogsShown, 2);
        QCOMPARE(*common::readBytes(calculator.paths.logFile()), expected);
        QVERIFY(calculator.desktop.messages.isEmpty());
    }

    // A log that cannot be written is told once, from the real saved logs window too, which shows what the
    // tape holds (not the file's older log) and saves that with its camera. A data folder moved away after
    // start is said to be gone, and neither the log nor the camera makes it again at its old place.
    void logThatCannotBeWrittenIsToldOnce_data() {
        QTest::addColumn<bool>("movedAway");
        QTest::addColumn<QString>("told");
        QTest::newRow("log is a folder") << false << QStringLiteral("operacion.txt");
        QTest::newRow("data folder moved away") << true << QStringLiteral("ya no existe");
    }
    void logThatCannotBeWrittenIsToldOnce() {
        QFETCH(bool, movedAway);
        QFETCH(QString, told);
        Calculator calculator;
        const QString dataFolder = calculator.folder.filePath(QStringLiteral("D"));
        const CalculatorFolder paths(dataFolder + QStringLiteral("/tallimo"));
        QVERIFY(QDir().mkpath(paths.programFolder()));
        CalculatorWindow window(paths.programFolder(), calculator.clock, calculator.desktop);
        window.show();
        QTest::keyClicks(&window, QStringLiteral("12.5+3*2="));
        if (movedAway)
            QVERIFY(QDir().rename(dataFolder, dataFolder + QStringLiteral(".moved")));
        else
            QVERIFY(QDir().mkpath(paths.logFile()));
        QString shown;
        int toldBeforeSaving = -1;
        QTimer::singleShot(0, [&] {
            QWidget* browser = QApplication::activeModalWidget();
            if (!browser || browser->objectName() != QStringLiteral("Form2"))
                return;
            shown = browser->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText();
            toldBeforeSaving = int(calculator.desktop.messages.size());
            browser->findChild<QPushButton*>(QStringLiteral("Command1_0"))->click();
            browser->close();
        });
        window.findChild<QPushButton*>(QStringLiteral("Command11"))->click();
        QCOMPARE(toldBeforeSaving, 1);
        QVERIFY(calculator.desktop.messages.first().contains(told));
        QVERIFY(shown.contains(QStringLiteral("12.5")) && shown.contains(QStringLiteral("31")));
        if (movedAway) {
            QCOMPARE(calculator.desktop.messages.size(), 2);
            QVERIFY(calculator.desktop.messages.last().contains(told));
            QVERIFY(!QFileInfo::exists(dataFolder));
        } else {
            QCOMPARE(calculator.desktop.messages.size(), 1);
            QCOMPARE(
                common::readBytes(paths.savedLog(QStringLiteral("2026-12-6--9-5"))).value_or(QByteArray()),
                common::encodeText(shown, common::Ending::Bare));
        }
    }

    void formattedMode() {
        Calculator calculator([](const CalculatorFolder& paths) {
            QVERIFY(common::writeBytes(paths.currencyFile(), "\xe2\x82\xac"));
        });
        calculator.window->show();
        calculator.type(QStringLiteral("1234.5+0.125="));
        calculator.press(QStringLiteral("Command8_0"));
        QVERIFY(!calculator.visible(QStringLiteral("Text1_0")));
        QVERIFY(!calculator.visible(QStringLiteral("Text2")));
        QCOMPARE(calculator.formatted(0), QStringLiteral("1.234,50"));
        QCOMPARE(calculator.formatted(1), QStringLiteral("0,13"));
        auto* result = calculator.control<QLabel>(QStringLiteral("Label3"));
        QVERIFY(result->isVisible());
        QCOMPARE(result->text(), QStringLiteral("1.234,63"));

        calculator.press(QStringLiteral("Command8_2"));
        QCOMPARE(calculator.formatted(0), QStringLiteral("1.234,50 €"));
        calculator.press(QStringLiteral("Command11"));
        QVERIFY(calculator.logWhenShown.contains("\r\n 1 )            1.234,50 \xe2\x82\xac\r\n"));
        QVERIFY(calculator.logWhenShown.endsWith("      1.234,63 \xe2\x82\xac\r\n"));

        // Keys that stay in formatted mode leave the snapshot alone.
        calculator.press(QStringLiteral("Command7_1"));
        QCOMPARE(calculator.display(), QStringLiteral("1234.5"));
        QCOMPARE(result->text(), QStringLiteral("1.234,63 €"));
        QVERIFY(!calculator.visible(QStringLiteral("Text1_0")));

        calculator.press(QStringLiteral("Command2_7"));
        QVERIFY(calculator.visible(QStringLiteral("Text1_0")));
        QVERIFY(!result->isVisible());
        QCOMPARE(calculator.row(0), QStringLiteral("1234.57"));

        calculator.press(QStringLiteral("Command8_4 Command8_1"));
        QVERIFY(calculator.visible(QStringLiteral("Text2")));
        QVERIFY(!calculator.visible(QStringLiteral("Label2_0")));
    }

    void keyboard_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("result");
        QTest::newRow("no precedence") << "12+3*2="
                                       << "30";
        QTest::newRow("comma as decimal key") << "1,5-0.25\r"
                                              << "1.25";
        QTest::newRow("division") << "1/3="
                                  << "0.333333333333333";
        QTest::newRow("backspace") << "123\b"
                                   << "12";
    }
    // Through the window system, as a user types: no control takes the keyboard from the window.
    void keyboard() {
        QFETCH(QString, keys);
        QFETCH(QString, result);
        Calculator calculator;
        calculator.window->show();
        calculator.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(calculator.window.get()));
        QWindow* window = calculator.window->windowHandle();
        for (const QChar c : keys) {
            if (c == u'\b')
                QTest::keyClick(window, Qt::Key_Backspace);
            else if (c == u'\r')
                QTest::keyClick(window, Qt::Key_Return);
            else
                QTest::keyClick(window, c.toLatin1());
        }
        QCOMPARE(calculator.display(), result);
    }

    void escapeAndDeleteKeys() {
        Calculator calculator;
        calculator.window->show();
        calculator.type(QStringLiteral("8/"));
        QTest::keyClick(calculator.window.get(), Qt::Key_Delete);
        QCOMPARE(calculator.window->tape().currentRow(), 0);
        QCOMPARE(calculator.display(), QStringLiteral("8"));
        QTest::keyClick(calculator.window.get(), Qt::Key_Escape);
        QCOMPARE(calculator.control<QComboBox>(QStringLiteral("Combo1"))->currentText(), QStringLiteral("8"));
        QCOMPARE(calculator.display(), QStringLiteral("0"));
    }

    void scrollingStopsAtTheFirstAndLastRow() {
        Calculator calculator;
        calculator.window->show();
        calculator.type(QStringLiteral("1+2+3"));
        const auto* tape = calculator.control<TapeView>(QStringLiteral("Picture2"));
        const qint64 home = -2 * TapeView::kRowPitch;
        QCOMPARE(tape->top(), home);
        calculator.press(QStringLiteral("Command6_1"));
        QCOMPARE(tape->top(), home);
        calculator.press(QStringLiteral("Command6_0 Command6_0 Command6_0"));
        QCOMPARE(tape->top(), 0);
        // Row 0 in the newest row's place; the rows below it have left the frame.
        QCOMPARE(calculator.control<QLineEdit>(QStringLiteral("Text1_0"))->y(), 256);
        QCOMPARE(calculator.row(2), QStringLiteral("<not shown>"));
        calculator.press(QStringLiteral("Command6_1"));
        QCOMPARE(tape->top(), -TapeView::kRowPitch);
        calculator.press(QStringLiteral("Command7_0"));
        QCOMPARE(tape->top(), 0);
    }

    // A column from a spreadsheet in, the total out, through the clipboard; then undo and redo.
    void pasteAColumnCopyTheTotalAndUndo() {
        Calculator calculator;
        calculator.window->show();
        calculator.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(calculator.window.get()));
        QWindow* window = calculator.window->windowHandle();
        QString& clipboard = calculator.desktop.clipboard;
        calculator.type(QStringLiteral("2+"));
        clipboard = QStringLiteral("Importe\n1.234,50\n(12,00)\n€ 3,25\n\nTotal\n");
        QTest::keyClick(window, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(calculator.desktop.messages,
                 QStringList({QStringLiteral("2 líneas sin número no se han añadido.")}));
        QCOMPARE(calculator.row(1), QStringLiteral("1234.50"));
        QCOMPARE(calculator.row(3), QStringLiteral("3.25"));
        QCOMPARE(calculator.display(), QStringLiteral("1227.75"));
        QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard, QStringLiteral("1227,75"));
        QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(clipboard, QStringLiteral("1\t\t2\n2\t\t1234,50\n3\t\t-12,00\n4\t\t3,25\n"
                                                   "\tTotal\t1227,75\n"));

        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(calculator.window->tape().rowCount(), 2);
        QCOMPARE(calculator.display(), QStringLiteral("2"));
        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(calculator.display(), QStringLiteral("0"));
        QTest::keyClick(window, Qt::Key_Y, Qt::ControlModifier);
        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(window, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(calculator.display(), QStringLiteral("1227.75"));
        QCOMPARE(calculator.row(1), QStringLiteral("1234.50"));
    }

    // The style must not tint the keys: their colours tell the kinds of key apart.
    void keysShowTheirExactColours_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("C") << "Command7_0" << QColor(0xFF, 0x00, 0x00);
        QTest::newRow("CE") << "Command7_1" << QColor(0xFF, 0x80, 0x80);
        QTest::newRow("digit") << "Command2_5" << QColor(0xC0, 0xFF, 0xC0);
        QTest::newRow("decimal point") << "Command4" << QColor(0xFF, 0xC0, 0xFF);
        QTest::newRow("equals") << "Command5" << QColor(0xFF, 0xC0, 0xC0);
        QTest::newRow("format") << "Command8_3" << QColor(0xFF, 0xFF, 0xC0);
    }
    void keysShowTheirExactColours() {
        QFETCH(QString, key);
        QFETCH(QColor, colour);
        Calculator calculator;
        calculator.window->show();
        const QImage face = calculator.control(key)->grab().toImage();
        // Inside the raised edge, away from the centred caption.
        for (const QPoint& point : {QPoint(6, 6), QPoint(face.width() - 7, face.height() - 7)})
            QCOMPARE(face.pixelColor(point).name(), colour.name());
    }

    // Row numbers of four and five digits shrink until every digit fits their label.
    void longRowNumbersFit_data() {
        QTest::addColumn<int>("row");
        QTest::newRow("three digits") << 999;
        QTest::newRow("four digits") << 1990;
        QTest::newRow("five digits") << 12345;
    }
    void longRowNumbersFit() {
        QFETCH(int, row);
        Tape tape;
        for (int k = 1; k <= row; ++k)
            tape.addRow(operation::Add);
        QWidget frame;
        TapeView view(tape, {4575, 4455}, &frame);
        frame.show();
        view.setTop(-qint64(TapeView::kRowPitch) * row);
        const auto* number = view.findChild<QLabel*>(QStringLiteral("Label1_%1").arg(row));
        QVERIFY(number && number->isVisible());
        QCOMPARE(number->text(), QString::number(row));
        QVERIFY(QFontMetrics(number->font()).horizontalAdvance(number->text()) <=
                number->contentsRect().width());
        QVERIFY(number->font().pointSizeF() >= 6);
    }

    // Rows get controls only while they can be seen, so long tapes stay light.
    void longTapeKeepsAFewRowControls() {
        Calculator calculator;
        calculator.window->show();
        calculator.press(QStringLiteral("Command2_1"));
        for (int i = 1; i <= 300; ++i)
            calculator.press(QStringLiteral("Command3_0 Command2_1"));
        QCOMPARE(calculator.display(), QStringLiteral("301"));
        QVERIFY(calculator.window->findChildren<QLineEdit*>().size() < 20);
        QCOMPARE(calculator.row(300), QStringLiteral("1"));
        QCOMPARE(calculator.control<QLabel>(QStringLiteral("Label1_300"))->text(), QStringLiteral("300"));
        calculator.press(QStringLiteral("Command1_300 Command14_1"));
        QCOMPARE(calculator.display(), QStringLiteral("299"));
    }
};

QTEST_MAIN(CalculatorWindowTest)
#include "tst_calculatorwindow.moc"
