// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calculator/core/calculatorfolder.h"
#include "calculator/core/displayformat.h"
#include "calculator/core/tape.h"
#include "calculator/core/tapehistory.h"
#include "calculator/ui/calculatorcontrols.h"
#include "calculator/ui/calculatorkeys.h"
#include "calculator/ui/savedlogswindow.h"
#include "common/clock.h"
#include "common/desktopservices.h"

#include <QStringList>
#include <QWidget>

#include <functional>

namespace tallimo {

// The calculator window (Form1): keypad on the left, the tape and the result on the right.
class CalculatorWindow : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CalculatorWindow)

public:
    CalculatorWindow(const QString& programFolder, const common::Clock& clock,
                     common::DesktopServices& desktop, QWidget* parent = nullptr);

    // How the saved logs window is shown after the log is written: modally, unless a test replaces it.
    // It is told whether the log could be written.
    using SavedLogsOpener = std::function<void(SavedLogsWindow::LogWrite)>;
    void setSavedLogsOpener(SavedLogsOpener opener) { openSavedLogs_ = std::move(opener); }

    const Tape& tape() const { return tape_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Keys pressed while a key, the list or a display has the focus do what they do on the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void LoadConfiguration();
    void Recalculate();
    // Sets every row into the result (RowsToEvaluate = CurrentRow + 1) and recalculates.
    void recalculateAllRows();
    void ShowEntryMode();
    void ShowFormattedMode();
    bool inFormattedMode() const;

    void Command2_Click(int index);
    void Command4_Click();
    void Command10_Click();
    void Command9_Click();
    void Command5_Click();
    void Command3_Click(int index);
    void Command7_Click(int index);
    void Command1_Click(int index);
    void Command14_Click(int index);
    void Command6_Click(int index);
    void Combo1_Click(int index);
    void Command12_Click();
    void Command8_Click(int index);
    void Command11_Click();
    void Command13_Click();

    // Records the change of rows first..first+count-1 that `change` makes, for undo and redo.
    void changeTape(int first, int count, const std::function<void()>& change);
    // Ctrl+Z, and Ctrl+Y or Ctrl+Shift+Z.
    void undoChange();
    void redoChange();
    // Ctrl+C: the result as a spreadsheet reads it; Ctrl+Shift+C: the whole tape as columns.
    void copyResult();
    void copyTape();
    // Ctrl+V: the numbers of the clipboard as new "+" rows.
    void pasteNumbers();
    // True for the key press of a key the open list of previous results took (it may have closed on it
    // meanwhile); forgets that key either way.
    bool takenByResultsList(const QKeyEvent& event);
    // Brings the newest row back to its place after a key that may have changed the row count.
    void showNewestRow();

    void connectControls();
    // Tab reaches every key, the list and the displays; the calculator's keys work wherever the focus is.
    void setUpKeyboard();
    // Does what the key's command does; false when the command does nothing at this moment.
    bool runKey(const KeyBinding& binding);
    // The keys that press one of the window's buttons: digits, operations, formats, clearing, the log and
    // the about box (with the palette open, Esc and the operation keys serve the palette).
    void pressButtonOfKey(const KeyBinding& binding);
    // F8 and Ctrl+Delete, which do nothing while the list of previous results or its eraser is hidden.
    bool runResultsKey(KeyCommand command);
    // The arrows, page keys, Home and End: along the tape, or from row to row with the palette open.
    void moveByKey(KeyCommand command);
    // Copy, paste, undo and redo.
    void editByKey(KeyCommand command);
    // Opens the palette on `row` (kept between row 1 and the newest row) and brings that row into view.
    void chooseRow(int row);
    void closePalette();
    // Moves the tape by `rows` rows (positive: towards row 1).
    void scrollRows(qint64 rows);
    // Rows that a page key moves: a frame less one row, so one row stays in sight.
    int pageRows() const;
    // Keeps the tape between showing its first row and its last row in the newest row's place.
    void moveTape(qint64 top);

    CalculatorFolder folder_;
    const common::Clock& clock_;
    common::DesktopServices& desktop_;
    SavedLogsOpener openSavedLogs_;
    // The window of Combo1's open list.
    QWidget* resultsPopup_ = nullptr;
    // The key the open list was offered last, until its key press comes; 0 for none.
    int resultsListKey_ = 0;
    // The log Command11 could not write, which the saved logs window shows instead of the file's old one.
    QString unwrittenLog_;

    // The rows, CurrentRow and RowsToEvaluate.
    Tape tape_;
    TapeHistory history_{tape_};
    CalculatorControls ui_;

    QStringList OperationNames;
    QString HelpText;
    tallimo::NumberFormat FormatMode = tallimo::NumberFormat::TwoDecimals;
    // A row index, with no upper limit: long tapes have row buttons beyond 255 too.
    int SelectedRow = 0;
    // Steps of a scroll button held down; after a few rows it moves a page at a time.
    int scrollRepeats_ = 0;
    QString CurrencySymbol;
};

} // namespace tallimo
