// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/core/calculatorabout.h"
#include "calculator/core/calculatorfolder.h"
#include "calculator/core/operations.h"
#include "calculator/ui/calculatorwindow.h"
#include "calculator/ui/tapeview.h"
#include "common/commandline.h"
#include "common/regularfile.h"
#include "common/textfile.h"
#include "common/ui/application.h"
#include "tests/support/keyboarduse.h"
#include "tests/support/recordingdesktopservices.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSpontaneKeyEvent>
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
    // Everything the keys can change, as one text.
    QString state() const {
        QStringList parts{display(), control<QLabel>(QStringLiteral("Label3"))->text()};
        for (const QString& panel :
             {QStringLiteral("Label3"), QStringLiteral("Picture3"), QStringLiteral("Picture4")})
            parts.append(visible(panel) ? panel : QString());
        const Tape& tape = window->tape();
        for (int i = 0; i < tape.rowCount(); ++i)
            parts.append(
                QStringLiteral("%1 %2 %3").arg(tape.operation(i)).arg(tape.text(i), tape.formatted(i)));
        parts.append(QString::number(control<QComboBox>(QStringLiteral("Combo1"))->count()));
        parts.append(QString::number(savedLogsShown));
        return parts.join(u'|');
    }

    QTemporaryDir folder;
    CalculatorFolder paths{folder.path()};
    common::FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(9, 5))};
    common::RecordingDesktopServices desktop;
    std::unique_ptr<CalculatorWindow> window;
    int savedLogsShown = 0;
    QByteArray logWhenShown;
};

// Keys as a tooltip names them ("Intro", "F9", "Ctrl+L", "^"), pressed through the window system.
void pressNamedKey(QWindow* window, const QString& name) {
    static const QHash<QString, int> named{{QStringLiteral("Intro"), Qt::Key_Return},
                                           {QStringLiteral("Esc"), Qt::Key_Escape},
                                           {QStringLiteral("Supr"), Qt::Key_Delete},
                                           {QStringLiteral("Retroceso"), Qt::Key_Backspace}};
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    QString key = name;
    if (key.startsWith(QStringLiteral("Ctrl+"))) {
        modifiers = Qt::ControlModifier;
        key = key.mid(5);
    }
    if (named.contains(key))
        QTest::keyClick(window, Qt::Key(named.value(key)), modifiers);
    else if (key.size() >= 2 && key.front() == u'F')
        QTest::keyClick(window, Qt::Key(Qt::Key_F1 + key.mid(1).toInt() - 1), modifiers);
    else if (key.size() == 1 && modifiers == Qt::NoModifier)
        QTest::keyClick(window, key.front().toLatin1());
    else
        QTest::keyClick(window, Qt::Key(Qt::Key_A + key.front().toLatin1() - 'A'), modifiers);
}

// Characters typed through the window system; ESC, BS and CR as their keys.
void typeKeys(QWindow* window, const QString& keys) {
    for (const QChar c : keys) {
        if (c == u'\x1b')
            QTest::keyClick(window, Qt::Key_Escape);
        else if (c == u'\b')
            QTest::keyClick(window, Qt::Key_Backspace);
        else if (c == u'\r')
            QTest::keyClick(window, Qt::Key_Return);
        else
            QTest::keyClick(window, c.toLatin1());
    }
}

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
        QCOMPARE(combo->accessibleName(), QStringLiteral("Resultados anteriores"));
        QCOMPARE(calculator.control(QStringLiteral("Command12"))->accessibleName(),
                 QStringLiteral("Vaciar los resultados anteriores"));
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
        // The help text, then a line naming the key.
        QStringList shown;
        for (int k = 0; k < 12; ++k)
            shown.append(
                calculator.control(QStringLiteral("Command3_%1").arg(k))->toolTip().section(u'\n', 0, -2));
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
        const QByteArray expected = "\r\n 1 )                  12.5\r\n 2 ) NAME1               3\r\n"
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

        // The total is rounded from the exact sum, not from the 15 digits shown.
        calculator.press(QStringLiteral("Command7_0"));
        calculator.type(QStringLiteral("12345678901234.5+0.06="));
        QCOMPARE(calculator.display(), QStringLiteral("12345678901234.6"));
        calculator.press(QStringLiteral("Command8_0"));
        QCOMPARE(result->text(), QStringLiteral("12.345.678.901.234,56"));
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
        // ˆ stands for "^" as a Spanish keyboard sends it: the dead circumflex, with Shift and no text.
        QTest::newRow("power, Spanish keyboard") << "2ˆ3="
                                                 << "8";
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
            else if (c == u'\u02c6')
                QTest::sendKeyEvent(QTest::Click, window, Qt::Key_Dead_Circumflex, QString(),
                                    Qt::ShiftModifier);
            else
                QTest::keyClick(window, c.toLatin1());
        }
        QCOMPARE(calculator.display(), result);
    }

    void escapeAndDeleteKeys() {
        Calculator calculator;
        calculator.window->show();
        auto* combo = calculator.control<QComboBox>(QStringLiteral("Combo1"));
        // Clearing an empty tape keeps no result.
        QTest::keyClick(calculator.window.get(), Qt::Key_Escape);
        QCOMPARE(combo->count(), 0);
        calculator.type(QStringLiteral("8/"));
        QTest::keyClick(calculator.window.get(), Qt::Key_Delete);
        QCOMPARE(calculator.window->tape().currentRow(), 0);
        QCOMPARE(calculator.display(), QStringLiteral("8"));
        QTest::keyClick(calculator.window.get(), Qt::Key_Escape);
        QCOMPARE(combo->currentText(), QStringLiteral("8"));
        QCOMPARE(calculator.display(), QStringLiteral("0"));
        QTest::keyClick(calculator.window.get(), Qt::Key_Escape);
        QTest::keyClick(calculator.window.get(), Qt::Key_Escape);
        QCOMPARE(combo->count(), 1);
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

        // The tape copied and pasted back gives its amounts only.
        QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(window, Qt::Key_Escape);
        QTest::keyClick(window, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(calculator.window->tape().rowCount(), 4);
        QCOMPARE(calculator.display(), QStringLiteral("1227.75"));
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

    // Every key of the window names a key of the keyboard in its tooltip, and that key does what a click
    // does, whichever control has the focus.
    void everyKeyHasAKeyboardKey_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("after");
        QTest::newRow("digit") << "1"
                               << "Command2_7"
                               << "";
        QTest::newRow("decimal point") << "1"
                                       << "Command4"
                                       << "5";
        QTest::newRow("sign") << "5"
                              << "Command10"
                              << "+2=";
        QTest::newRow("equals") << "8/"
                                << "Command5"
                                << "";
        QTest::newRow("C") << "3+4"
                           << "Command7_0"
                           << "";
        QTest::newRow("CE") << "3+4"
                            << "Command7_1"
                            << "";
        QTest::newRow("delete") << "123"
                                << "Command9"
                                << "";
        for (int k = 0; k < 12; ++k)
            QTest::addRow("operation %d", k) << "9" << QStringLiteral("Command3_%1").arg(k) << "2=";
        for (int k = 0; k < 5; ++k)
            QTest::addRow("format %d", k) << "1234.5+0.125=" << QStringLiteral("Command8_%1").arg(k) << "";
        QTest::newRow("log") << "12+3"
                             << "Command11"
                             << "";
        QTest::newRow("about") << ""
                               << "Command13"
                               << "";
        QTest::newRow("empty the results") << "3+4\x1b"
                                           << "Command12"
                                           << "";
    }
    void everyKeyHasAKeyboardKey() {
        QFETCH(QString, before);
        QFETCH(QString, key);
        QFETCH(QString, after);
        const auto start = [&](Calculator& calculator) {
            calculator.window->show();
            calculator.window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(calculator.window.get()));
            typeKeys(calculator.window->windowHandle(), before);
        };
        Calculator clicked;
        start(clicked);
        clicked.press(key);
        typeKeys(clicked.window->windowHandle(), after);

        const QString tooltip = clicked.control(key)->toolTip().section(u'\n', -1);
        QVERIFY2(tooltip.startsWith(QStringLiteral("Tecla")), qPrintable(tooltip));
        // "a, b o c"
        QStringList names = tooltip.section(QStringLiteral(": "), 1).split(QStringLiteral(" o "));
        if (names.size() == 2)
            names = names.first().split(QStringLiteral(", ")) + names.mid(1);
        for (const QString& name : names) {
            Calculator typed;
            start(typed);
            // A focused key passes the keyboard on to the window.
            QTest::keyClick(typed.window->windowHandle(), Qt::Key_Tab);
            pressNamedKey(typed.window->windowHandle(), name);
            typeKeys(typed.window->windowHandle(), after);
            QCOMPARE(typed.state(), clicked.state());
        }
    }

    // Up and Down choose a row (its button stays pressed under the open palette), an operation key changes
    // that row as the palette does, and Escape closes the palette without touching the tape.
    void arrowsChooseARowForThePalette() {
        Calculator calculator;
        calculator.window->show();
        calculator.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(calculator.window.get()));
        QWindow* window = calculator.window->windowHandle();
        typeKeys(window, QStringLiteral("2+3+4"));
        QTest::keyClick(window, Qt::Key_Up);
        QVERIFY(calculator.visible(QStringLiteral("Picture4")));
        QVERIFY(calculator.control(QStringLiteral("Command1_2"))->isChecked());
        QTest::keyClick(window, Qt::Key_Up);
        QTest::keyClick(window, Qt::Key_Up);
        QVERIFY(calculator.control(QStringLiteral("Command1_1"))->isChecked());
        QVERIFY(!calculator.control(QStringLiteral("Command1_2"))->isChecked());
        typeKeys(window, QStringLiteral("*"));
        QVERIFY(!calculator.visible(QStringLiteral("Picture4")));
        QVERIFY(!calculator.control(QStringLiteral("Command1_1"))->isChecked());
        QCOMPARE(calculator.window->tape().operation(1), int(operation::Multiply));
        QCOMPARE(calculator.window->tape().rowCount(), 3);
        QCOMPARE(calculator.display(), QStringLiteral("10"));

        // The palette opened by the mouse takes the keys too.
        calculator.press(QStringLiteral("Command1_2"));
        QTest::keyClick(window, Qt::Key_Down);
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!calculator.visible(QStringLiteral("Picture4")));
        QCOMPARE(calculator.window->tape().rowCount(), 3);
        QCOMPARE(calculator.display(), QStringLiteral("10"));
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(calculator.window->tape().rowCount(), 1);
    }

    // F8 opens the list of previous results, which keeps its own keys: the arrows move in it and Escape
    // only closes it. Closed, chosen from or not, it gives the keyboard back to the window.
    void resultsListKeepsItsKeys() {
        Calculator calculator;
        calculator.window->show();
        calculator.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(calculator.window.get()));
        QWindow* window = calculator.window->windowHandle();
        auto* combo = calculator.control<QComboBox>(QStringLiteral("Combo1"));
        const auto listOpen = [combo] { return combo->view()->isVisible(); };
        typeKeys(window, QStringLiteral("3+4\x1b"
                                        "9\x1b"
                                        "1+2"));
        QTest::keyClick(window, Qt::Key_F8);
        QVERIFY(listOpen());
        QTest::keyClick(window, Qt::Key_Up);
        QVERIFY(!calculator.visible(QStringLiteral("Picture4")));
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!listOpen());
        QCOMPARE(calculator.window->tape().rowCount(), 2);
        QCOMPARE(calculator.display(), QStringLiteral("3"));
        QCOMPARE(combo->count(), 2);
        QCOMPARE(QApplication::focusWidget(), calculator.window.get());

        QTest::keyClick(window, Qt::Key_F8);
        QTest::keyClick(window, Qt::Key_Up);
        QTest::keyClick(window, Qt::Key_Return);
        QVERIFY(!listOpen());
        QCOMPARE(calculator.row(1), QStringLiteral("7"));
        QCOMPARE(calculator.display(), QStringLiteral("8"));
        // The arrows choose a row again; the next result in the list does not take the row's place.
        QTest::keyClick(window, Qt::Key_Down);
        QVERIFY(calculator.visible(QStringLiteral("Picture4")));
        QCOMPARE(calculator.row(1), QStringLiteral("7"));
    }

    // The version the title shows is the one --version and the about box (F1) give.
    void oneVersionEverywhere() {
        Calculator calculator;
        common::CommandLineOptions options;
        options.folder = calculator.folder.path();
        common::DataFolderSession session(common::Program::Calculator, options);
        common::setDataFolderRoot(QString());
        session.attach(*calculator.window, tallimo::aboutLines());
        calculator.window->show();
        calculator.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(calculator.window.get()));
        const QString version = calculator.window->windowTitle().section(u' ', 1);
        QCOMPARE(version, QStringLiteral("1.2"));
        QCOMPARE(common::CommandLine(common::Program::Calculator).versionText().section(u'\n', 0, 0),
                 QStringLiteral("tallimo ") + version);
        QString about;
        QTimer::singleShot(0, [&about] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                about = box->text();
                box->done(0);
            }
        });
        QTest::keyClick(calculator.window->windowHandle(), Qt::Key_F1);
        QVERIFY2(about.contains(QStringLiteral("Versión ") + version), qPrintable(about));
    }

    // Tab walks through the keys, the list and the result, showing where it is; Space presses the key.
    void tabShowsTheFocus() {
        Calculator calculator;
        calculator.window->show();
        calculator.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(calculator.window.get()));
        QWindow* window = calculator.window->windowHandle();
        typeKeys(window, QStringLiteral("3+4\x1b"));
        QTest::keyClick(window, Qt::Key_Tab);
        auto* first = qobject_cast<QPushButton*>(QApplication::focusWidget());
        QVERIFY(first);
        const QImage focused = first->grab().toImage();
        QSet<QString> reached;
        for (int k = 0; k < 60 && QApplication::focusWidget() != calculator.window.get(); ++k) {
            reached.insert(QApplication::focusWidget()->objectName());
            QTest::keyClick(window, Qt::Key_Tab);
        }
        for (const QString name : {"Command11", "Command3_11", "Command8_0", "Command13", "Combo1", "Text2"})
            QVERIFY2(reached.contains(name), qPrintable(name));
        QVERIFY(first->grab().toImage() != focused);

        QPushButton* digit = calculator.control(QStringLiteral("Command2_7"));
        digit->setFocus(Qt::TabFocusReason);
        QTest::keyClick(window, Qt::Key_Space);
        QCOMPARE(calculator.display(), digit->text());
        // The result display passes the calculator's keys on.
        calculator.control<QLineEdit>(QStringLiteral("Text2"))->setFocus(Qt::TabFocusReason);
        typeKeys(window, QStringLiteral("5\b7"));
        QCOMPARE(calculator.row(0), digit->text() + u'7');
    }

    // The focused control wears a frame that stands out from how it looks unfocused, whatever its colour.
    void focusFrameStandsOut_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("name");
        QTest::newRow("green digit key") << ""
                                         << "Command2_5";
        QTest::newRow("red key") << ""
                                 << "Command7_0";
        QTest::newRow("picture key") << ""
                                     << "Command3_0";
        QTest::newRow("result") << ""
                                << "Text2";
        QTest::newRow("previous results") << "Command2_3 Command3_0 Command2_4 Command7_0"
                                          << "Combo1";
        QTest::newRow("small key of the palette") << "Command2_2 Command3_0 Command2_3 Command1_1"
                                                  << "Command14_2";
    }
    void focusFrameStandsOut() {
        QFETCH(QString, keys);
        QFETCH(QString, name);
        Calculator calculator;
        calculator.window->show();
        calculator.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(calculator.window.get()));
        calculator.press(keys);
        const QString problem = keyboarduse::focusFrameProblem(calculator.control<QWidget>(name));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // Tab goes through every control shown, once each, in reading order, whatever panels are open.
    void tabFollowsTheScreen_data() {
        QTest::addColumn<QString>("keys");
        QTest::newRow("keypad") << "";
        QTest::newRow("previous results") << "Command2_3 Command3_0 Command2_4 Command7_0";
        QTest::newRow("formatted, palette open") << "Command2_2 Command3_0 Command2_3 Command8_0 Command1_1";
    }
    void tabFollowsTheScreen() {
        QFETCH(QString, keys);
        Calculator calculator;
        calculator.window->show();
        calculator.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(calculator.window.get()));
        calculator.press(keys);
        const QString problem = keyboarduse::tabOrderProblem(*calculator.window);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // The wheel, Page Up and Down, Ctrl+Home and End move the tape; a held scroll button repeats.
    void theTapeScrolls() {
        Calculator calculator;
        calculator.window->show();
        calculator.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(calculator.window.get()));
        QWindow* window = calculator.window->windowHandle();
        calculator.press(QStringLiteral("Command2_1"));
        for (int i = 1; i <= 60; ++i)
            calculator.press(QStringLiteral("Command3_0 Command2_1"));
        auto* tape = calculator.control<TapeView>(QStringLiteral("Picture2"));
        const qint64 pitch = TapeView::kRowPitch;
        const qint64 home = -60 * pitch;
        QCOMPARE(tape->top(), home);
        // A turn of the wheel over a row, as the window system sends it: the row passes it on to the tape.
        QWidget* lastRow = calculator.control<QLineEdit>(QStringLiteral("Text1_60"));
        QWheelEvent wheel(QPointF(5, 5), lastRow->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(lastRow, &wheel);
        QCOMPARE(tape->top(), home + 3 * pitch);
        QTest::keyClick(window, Qt::Key_PageUp);
        QCOMPARE(tape->top(), home + 12 * pitch);
        QTest::keyClick(window, Qt::Key_PageDown);
        QCOMPARE(tape->top(), home + 3 * pitch);
        QTest::keyClick(window, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(tape->top(), 0);
        QVERIFY(calculator.visible(QStringLiteral("Text1_0")));
        QTest::keyClick(window, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(tape->top(), home);
        // Choosing row 1 with the arrows brings it into sight.
        for (int k = 0; k < 60; ++k)
            QTest::keyClick(window, Qt::Key_Up);
        QVERIFY(calculator.visible(QStringLiteral("Command1_1")));
        QTest::keyClick(window, Qt::Key_Escape);

        QTest::keyClick(window, Qt::Key_End, Qt::ControlModifier);
        QPushButton* up = calculator.control(QStringLiteral("Command6_0"));
        QTest::mousePress(up, Qt::LeftButton);
        QTRY_VERIFY(tape->top() >= home + 5 * pitch);
        QTest::mouseRelease(up, Qt::LeftButton);
    }

    // A value too wide for its place shrinks, and past that is cut in the middle: never its sign or its
    // leading digits.
    void valuesKeepTheirSignAndLeadingDigits_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        const QString beyondTenToTheEighteen = QStringLiteral("1234567890123456789012n");
        QTest::newRow("row with currency") << beyondTenToTheEighteen << "Label2_0"
                                           << "-1.234.5"
                                           << "00 €";
        QTest::newRow("result with currency") << beyondTenToTheEighteen << "Label3"
                                              << "-1.234.5"
                                              << "00 €";
        const QString tenToThe308 = QStringLiteral("1") + QString(308, u'0');
        QTest::newRow("row of 1E+308") << tenToThe308 << "Label2_0"
                                       << "100.000.0"
                                       << "00 €";
        QTest::newRow("result of 1E+308") << tenToThe308 << "Label3"
                                          << "100.000.0"
                                          << "00 €";
        QTest::newRow("typed row") << "1234567890123456789012345678901n"
                                   << "Text1_0"
                                   << "-1234567890"
                                   << "8901";
        QTest::newRow("typed row beyond the smallest font")
            << QStringLiteral("1234567890").repeated(6) + u'9' << "Text1_0"
            << "1234567890"
            << "78909";
    }
    void valuesKeepTheirSignAndLeadingDigits() {
        QFETCH(QString, keys);
        QFETCH(QString, control);
        QFETCH(QString, start);
        QFETCH(QString, end);
        Calculator calculator([](const CalculatorFolder& paths) {
            QVERIFY(common::writeBytes(paths.currencyFile(), "\xe2\x82\xac"));
        });
        calculator.window->show();
        calculator.type(keys);
        if (control.startsWith(u'L'))
            calculator.press(QStringLiteral("Command8_2"));
        const QWidget* shown = calculator.control<QWidget>(control);
        QVERIFY(shown && shown->isVisible());
        const auto* label = qobject_cast<const QLabel*>(shown);
        const auto* edit = qobject_cast<const QLineEdit*>(shown);
        const QString text = label ? label->text() : edit->text();
        QVERIFY2(text.startsWith(start) && text.endsWith(end), qPrintable(text));
        // A value cut to fit is marked, and its tooltip holds the whole of it.
        QCOMPARE(text.contains(u'\u2026'), !shown->toolTip().isEmpty());
        const int room = label ? label->contentsRect().width() : edit->contentsRect().width() - 8;
        QVERIFY(QFontMetrics(shown->font()).horizontalAdvance(text) <= room);
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
