// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/ui/calculatorwindow.h"

#include "calculator/core/calculatorabout.h"
#include "calculator/core/clipboardtext.h"
#include "calculator/core/configuration.h"
#include "calculator/core/operationlog.h"
#include "calculator/core/operations.h"
#include "calculator/ui/fittedtext.h"
#include "calculator/ui/logging.h"
#include "calculator/ui/operationpalette.h"
#include "calculator/ui/savedlogswindow.h"
#include "calculator/ui/tapeview.h"
#include "common/textfile.h"
#include "common/ui/application.h"
#include "common/ui/keyboardfocus.h"
#include "common/units.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tallimo {

namespace {
constexpr int kTapeLeft = -5;
} // namespace

CalculatorWindow::CalculatorWindow(const QString& programFolder, const common::Clock& clock,
                                   common::DesktopServices& desktop, QWidget* parent)
    : QWidget(parent), folder_(programFolder), clock_(clock), desktop_(desktop),
      ui_(buildCalculatorControls(*this, tape_)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(calculatorTitle());
    setFixedSize(common::twipsSize(9585, 6015));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, common::bgrColour(0x0080C0FF));
    setPalette(palette);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    openSavedLogs_ = [this](SavedLogsWindow::LogWrite logWrite) {
        SavedLogsWindow window(folder_.programFolder(), clock_, desktop_, this, logWrite, unwrittenLog_);
        window.exec();
    };
    connectControls();
    Form_Load();
    setUpKeyboard();
    common::useFromKeyboard(*this);
    // The window keeps the keyboard until Tab moves it to a key.
    setFocus();
}

void CalculatorWindow::connectControls() {
    for (int d = 0; d < int(ui_.Command2.size()); ++d)
        connect(ui_.Command2[std::size_t(d)], &QPushButton::clicked, this, [this, d] { Command2_Click(d); });
    connect(ui_.Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(ui_.Command10, &QPushButton::clicked, this, [this] { Command10_Click(); });
    connect(ui_.Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
    connect(ui_.Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    for (int k = 0; k < int(ui_.Command3.size()); ++k)
        connect(ui_.Command3[std::size_t(k)], &QPushButton::clicked, this, [this, k] { Command3_Click(k); });
    for (int k = 0; k < int(ui_.Command7.size()); ++k)
        connect(ui_.Command7[std::size_t(k)], &QPushButton::clicked, this, [this, k] { Command7_Click(k); });
    connect(ui_.Picture2, &TapeView::rowOperationClicked, this, [this](int row) { Command1_Click(row); });
    connect(ui_.Picture2, &TapeView::wheelTurned, this, [this](int rows) { scrollRows(rows); });
    connect(ui_.Picture4, &OperationPalette::operationChosen, this, [this](int k) { Command14_Click(k); });
    for (int k = 0; k < int(ui_.Command6.size()); ++k)
        connect(ui_.Command6[std::size_t(k)], &QPushButton::clicked, this, [this, k] { Command6_Click(k); });
    connect(ui_.Combo1, &QComboBox::activated, this, [this](int index) { Combo1_Click(index); });
    connect(ui_.Command12, &QPushButton::clicked, this, [this] { Command12_Click(); });
    for (int k = 0; k < int(ui_.Command8.size()); ++k)
        connect(ui_.Command8[std::size_t(k)], &QPushButton::clicked, this, [this, k] { Command8_Click(k); });
    connect(ui_.Command11, &QPushButton::clicked, this, [this] { Command11_Click(); });
    connect(ui_.Command13, &QPushButton::clicked, this, [this] { Command13_Click(); });
}

void CalculatorWindow::setUpKeyboard() {
    const auto withKeys = [](QWidget* control, KeyCommand command, int index = 0) {
        control->setToolTip(tooltipWithKeys(QString(), command, index));
    };
    for (int d = 0; d < int(ui_.Command2.size()); ++d)
        withKeys(ui_.Command2[std::size_t(d)], KeyCommand::Digit, d);
    withKeys(ui_.Command4, KeyCommand::DecimalPoint);
    withKeys(ui_.Command10, KeyCommand::Sign);
    withKeys(ui_.Command5, KeyCommand::Equals);
    withKeys(ui_.Command7[0], KeyCommand::ClearAll);
    withKeys(ui_.Command7[1], KeyCommand::ClearLast);
    withKeys(ui_.Command9, KeyCommand::DeleteLast);
    for (int k = 0; k < int(ui_.Command8.size()); ++k)
        withKeys(ui_.Command8[std::size_t(k)], KeyCommand::Format, k);
    withKeys(ui_.Command11, KeyCommand::WriteLog);
    withKeys(ui_.Combo1, KeyCommand::OpenResults);
    withKeys(ui_.Command12, KeyCommand::EmptyResults);
    withKeys(ui_.Command13, KeyCommand::About);
    for (int k = 0; k < kOperationCount; ++k)
        if (auto* key = ui_.Picture4->findChild<QPushButton*>(QStringLiteral("Command14_%1").arg(k)))
            withKeys(key, KeyCommand::Operation, k);
    ui_.Command6[0]->setToolTip(QStringLiteral("Teclas: %1; %2 lleva a la primera fila")
                                    .arg(keyNames(KeyCommand::PageUp), keyNames(KeyCommand::FirstRow)));
    ui_.Command6[1]->setToolTip(QStringLiteral("Teclas: %1; %2 lleva a la última fila")
                                    .arg(keyNames(KeyCommand::PageDown), keyNames(KeyCommand::LastRow)));
    for (QWidget* child : findChildren<QWidget*>())
        if (child->focusPolicy() != Qt::NoFocus)
            child->installEventFilter(this);
    // The open list of previous results is a window of its own: its keys are watched to keep them from
    // acting on the tape too, and when it closes, the keyboard comes back.
    ui_.Combo1->view()->installEventFilter(this);
    resultsPopup_ = ui_.Combo1->view()->window();
    resultsPopup_->installEventFilter(this);
}

void CalculatorWindow::Form_Load() {
    // A folder that cannot be made is told when something is saved into it.
    if (const common::Status made = folder_.createMissingFolders(); !made)
        qCWarning(lcCalculatorWindow) << made.error();
    ui_.Picture2->setLeft(kTapeLeft);
    // Row 0 always adds; the tape starts that way. The window is centred by main() once it is shown.
    LoadConfiguration();
}

void CalculatorWindow::LoadConfiguration() {
    const CalculatorConfiguration configuration = readConfiguration(folder_);
    OperationNames = configuration.operationNames;
    HelpText = configuration.lastHelpText;
    for (int k = 0; k < int(ui_.Command3.size()); ++k)
        ui_.Command3[std::size_t(k)]->setToolTip(
            tooltipWithKeys(configuration.helpTexts.value(k), KeyCommand::Operation, k));
    CurrencySymbol = configuration.currencySymbol;
}

bool CalculatorWindow::inFormattedMode() const {
    return ui_.Picture2->formattedMode();
}

void CalculatorWindow::Recalculate() {
    if (ui_.Picture3->isVisible())
        ui_.Picture3->hide();
    ui_.Text2->setText(tape_.recalculate());
    ui_.Picture2->refresh();
}

void CalculatorWindow::recalculateAllRows() {
    tape_.includeAllRows();
    Recalculate();
}

void CalculatorWindow::ShowEntryMode() {
    ui_.Picture2->setFormattedMode(false);
    ui_.Text2->show();
    ui_.Label3->hide();
}

void CalculatorWindow::ShowFormattedMode() {
    const Separators separators = Separators::of(common::usersLocale());
    for (int i = 0; i <= tape_.currentRow(); ++i)
        tape_.setFormatted(i, formatText(tape_.text(i), FormatMode, separators, CurrencySymbol));
    // The total is rounded from the exact result, not from the 15 digits shown.
    const QString& shown = ui_.Text2->text();
    ui_.Label3->setValueText(shown == Tape::kError
                                 ? formatText(shown, FormatMode, separators, CurrencySymbol)
                                 : formatNumber(tape_.result(), FormatMode, separators, CurrencySymbol));
    ui_.Picture2->setFormattedMode(true);
    ui_.Text2->hide();
    ui_.Label3->show();
}

void CalculatorWindow::Command2_Click(int index) {
    if (inFormattedMode())
        ShowEntryMode();
    changeTape(tape_.currentRow(), 1, [&] {
        tape_.appendToCurrent(QString::number(index));
        recalculateAllRows();
    });
}

void CalculatorWindow::Command4_Click() {
    changeTape(tape_.currentRow(), 1, [&] {
        if (tape_.appendDecimalPoint())
            ui_.Picture2->refresh();
    });
}

void CalculatorWindow::Command10_Click() {
    changeTape(tape_.currentRow(), 1, [&] {
        tape_.toggleSign();
        recalculateAllRows();
    });
}

void CalculatorWindow::Command9_Click() {
    changeTape(tape_.currentRow(), 1, [&] {
        if (tape_.deleteLastCharacter())
            recalculateAllRows();
    });
}

void CalculatorWindow::Command5_Click() {
    if (inFormattedMode())
        ShowEntryMode();
    changeTape(tape_.currentRow(), 1, [&] { recalculateAllRows(); });
}

void CalculatorWindow::Command3_Click(int index) {
    if (inFormattedMode())
        ShowEntryMode();
    changeTape(tape_.currentRow() + 1, 0, [&] {
        tape_.addRow(index);
        // The tape grows upwards: the new row takes the place of the previous last row.
        moveTape(ui_.Picture2->top() - TapeView::kRowPitch);
        Recalculate();
    });
}

void CalculatorWindow::Command7_Click(int index) {
    if (index == 0) {
        // An empty tape, nothing typed and a result of 0, leaves no result worth keeping.
        if (tape_.currentRow() > 0 || !tape_.text(0).isEmpty()) {
            ui_.Combo1->addItem(ui_.Text2->text());
            ui_.Combo1->setCurrentIndex(ui_.Combo1->count() - 1);
            if (ui_.Combo1->isHidden()) {
                ui_.Combo1->show();
                ui_.Command12->show();
            }
        }
        ui_.Picture2->setLeft(kTapeLeft);
        changeTape(0, tape_.rowCount(), [&] { tape_.clear(); });
        ui_.Text2->setText(QStringLiteral("0"));
        moveTape(0);
        return;
    }
    changeTape(tape_.currentRow(), 1, [&] {
        if (tape_.currentRow() == 0) {
            tape_.setText(0, QString());
        } else {
            tape_.removeLastRow();
            moveTape(ui_.Picture2->top() + TapeView::kRowPitch);
        }
        recalculateAllRows();
    });
}

void CalculatorWindow::Command1_Click(int index) {
    ui_.Picture4->show();
    ui_.Picture4->raise();
    SelectedRow = index;
    ui_.Picture2->setChosenRow(index);
}

void CalculatorWindow::chooseRow(int row) {
    if (tape_.currentRow() < 1)
        return;
    row = std::clamp(row, 1, tape_.currentRow());
    const qint64 top = ui_.Picture2->top();
    const qint64 rowTop = top + TapeView::kFirstRowTop + qint64(TapeView::kRowPitch) * row;
    const qint64 frameHeight = ui_.Picture2->frameHeight();
    if (rowTop < 0)
        moveTape(top - rowTop);
    else if (rowTop + TapeView::kRowHeight > frameHeight)
        moveTape(top - (rowTop + TapeView::kRowHeight - frameHeight));
    Command1_Click(row);
}

void CalculatorWindow::closePalette() {
    ui_.Picture4->hide();
    ui_.Picture2->setChosenRow(-1);
}

void CalculatorWindow::Command14_Click(int index) {
    // "C" or "CE" may have removed the row since the palette opened; then there is nothing to change.
    if (SelectedRow >= 1 && SelectedRow <= tape_.currentRow()) {
        changeTape(SelectedRow, 1, [&] {
            tape_.setOperation(SelectedRow, index);
            recalculateAllRows();
        });
    }
    closePalette();
}

void CalculatorWindow::Command6_Click(int index) {
    // Held down, the button repeats: row by row at first, then a page, then ten pages at a time.
    scrollRepeats_ = ui_.Command6[std::size_t(index)]->isDown() ? scrollRepeats_ + 1 : 0;
    const qint64 rows = scrollRepeats_ <= 10 ? 1 : (scrollRepeats_ <= 30 ? pageRows() : 10 * pageRows());
    scrollRows(index == 0 ? rows : -rows);
}

void CalculatorWindow::scrollRows(qint64 rows) {
    moveTape(ui_.Picture2->top() + rows * TapeView::kRowPitch);
}

int CalculatorWindow::pageRows() const {
    return ui_.Picture2->frameHeight() / TapeView::kRowPitch - 1;
}

void CalculatorWindow::moveTape(qint64 top) {
    const qint64 lastRowInPlace = -qint64(TapeView::kRowPitch) * tape_.currentRow();
    ui_.Picture2->setTop(std::clamp<qint64>(top, lastRowInPlace, 0));
}

void CalculatorWindow::Combo1_Click(int index) {
    changeTape(tape_.currentRow(), 1, [&] {
        tape_.setText(tape_.currentRow(), ui_.Combo1->itemText(index));
        recalculateAllRows();
    });
}

void CalculatorWindow::Command12_Click() {
    ui_.Combo1->clear();
}

void CalculatorWindow::Command8_Click(int index) {
    FormatMode = tallimo::NumberFormat(index);
    if (FormatMode == tallimo::NumberFormat::Entry)
        ShowEntryMode();
    else
        ShowFormattedMode();
}

void CalculatorWindow::Command11_Click() {
    const bool formatted = inFormattedMode();
    const QString text =
        operationLogText(tape_, formatted ? LogMode::Formatted : LogMode::Entry,
                         formatted ? ui_.Label3->valueText() : ui_.Text2->text(), OperationNames);
    // A folder moved away after start is told as such, and nothing is written at its old place.
    const common::Status present = folder_.checkPresent();
    const common::Status written =
        present ? common::writeText(folder_.logFile(), text, common::Ending::Line) : present;
    if (!written) {
        desktop_.showMessage(
            present ? QStringLiteral("No se pudo escribir el registro de operaciones %1.\nERROR: %2")
                          .arg(QDir::toNativeSeparators(folder_.logFile()), written.error())
                    : present.error(),
            windowTitle());
        unwrittenLog_ = text;
        openSavedLogs_(SavedLogsWindow::LogWrite::Failed);
        unwrittenLog_.clear();
        return;
    }
    openSavedLogs_(SavedLogsWindow::LogWrite::Written);
}

void CalculatorWindow::Command13_Click() {
    ui_.Picture3->setVisible(!ui_.Picture3->isVisible());
    ui_.Picture3->raise();
}

void CalculatorWindow::changeTape(int first, int count, const std::function<void()>& change) {
    history_.beginChange(first, count);
    change();
    history_.endChange();
}

void CalculatorWindow::showNewestRow() {
    moveTape(-qint64(TapeView::kRowPitch) * tape_.currentRow());
}

void CalculatorWindow::undoChange() {
    if (!history_.undo())
        return;
    showNewestRow();
    Recalculate();
}

void CalculatorWindow::redoChange() {
    if (!history_.redo())
        return;
    showNewestRow();
    Recalculate();
}

void CalculatorWindow::copyResult() {
    desktop_.setClipboardText(plainNumber(ui_.Text2->text(), Separators::of(common::usersLocale())));
}

void CalculatorWindow::copyTape() {
    desktop_.setClipboardText(
        tapeText(tape_, OperationNames, ui_.Text2->text(), Separators::of(common::usersLocale())));
}

void CalculatorWindow::pasteNumbers() {
    const PastedNumbers pasted =
        readPastedNumbers(desktop_.clipboardText(), Separators::of(common::usersLocale()));
    if (!pasted.numbers.isEmpty()) {
        if (inFormattedMode())
            ShowEntryMode();
        // An empty newest row takes the first number, as if it had been typed there.
        const bool fillNewest = tape_.text(tape_.currentRow()).isEmpty();
        const int first = fillNewest ? tape_.currentRow() : tape_.currentRow() + 1;
        changeTape(first, fillNewest ? 1 : 0, [&] {
            qsizetype next = 0;
            if (fillNewest)
                tape_.setText(tape_.currentRow(), pasted.numbers[next++]);
            for (; next < pasted.numbers.size(); ++next)
                tape_.setText(tape_.addRow(operation::Add), pasted.numbers[next]);
            showNewestRow();
            recalculateAllRows();
        });
    }
    if (pasted.linesWithoutNumber == 1)
        desktop_.showMessage(QStringLiteral("1 línea sin número no se ha añadido."), windowTitle());
    else if (pasted.linesWithoutNumber > 1)
        desktop_.showMessage(
            QStringLiteral("%1 líneas sin número no se han añadido.").arg(pasted.linesWithoutNumber),
            windowTitle());
}

bool CalculatorWindow::takenByResultsList(const QKeyEvent& event) {
    const bool taken = resultsListKey_ == event.key();
    resultsListKey_ = 0;
    return taken;
}

void CalculatorWindow::keyPressEvent(QKeyEvent* event) {
    if (takenByResultsList(*event))
        return;
    const std::optional<KeyBinding> binding = keyBinding(*event);
    if (!binding || !runKey(*binding))
        QWidget::keyPressEvent(event);
}

bool CalculatorWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto* widget = qobject_cast<QWidget*>(watched);
    const bool inResultsList = widget && widget->window() == resultsPopup_;
    switch (event->type()) {
    case QEvent::Hide:
        // The list closed, a result chosen or not: the keys are the tape's again, not the list's, whose
        // arrows would put another result in place of the newest row.
        if (watched == resultsPopup_)
            setFocus(Qt::PopupFocusReason);
        return QWidget::eventFilter(watched, event);
    case QEvent::ShortcutOverride:
        // The open list keeps its keys. Escape and Enter close it before their key press comes, which
        // then reaches the window: it must not clear the tape or recalculate as well.
        if (inResultsList)
            resultsListKey_ = static_cast<QKeyEvent*>(event)->key();
        return QWidget::eventFilter(watched, event);
    case QEvent::KeyPress:
        break;
    default:
        return QWidget::eventFilter(watched, event);
    }
    if (inResultsList) {
        resultsListKey_ = 0;
        return false;
    }
    if (takenByResultsList(*static_cast<QKeyEvent*>(event)))
        return true;
    const std::optional<KeyBinding> binding = keyBinding(*static_cast<QKeyEvent*>(event));
    if (!binding)
        return false;
    // The list keeps its arrows for choosing a previous result.
    if (watched == ui_.Combo1 &&
        (binding->command == KeyCommand::RowUp || binding->command == KeyCommand::RowDown))
        return false;
    runKey(*binding);
    return true;
}

bool CalculatorWindow::runKey(const KeyBinding& binding) {
    switch (binding.command) {
    case KeyCommand::OpenResults:
    case KeyCommand::EmptyResults:
        return runResultsKey(binding.command);
    case KeyCommand::RowUp:
    case KeyCommand::RowDown:
    case KeyCommand::PageUp:
    case KeyCommand::PageDown:
    case KeyCommand::FirstRow:
    case KeyCommand::LastRow:
        moveByKey(binding.command);
        return true;
    case KeyCommand::CopyResult:
    case KeyCommand::CopyTape:
    case KeyCommand::Paste:
    case KeyCommand::Undo:
    case KeyCommand::Redo:
        editByKey(binding.command);
        return true;
    default:
        pressButtonOfKey(binding);
        return true;
    }
}

void CalculatorWindow::pressButtonOfKey(const KeyBinding& binding) {
    const bool paletteOpen = ui_.Picture4->isVisible();
    switch (binding.command) {
    case KeyCommand::Digit:
        Command2_Click(binding.index);
        break;
    case KeyCommand::DecimalPoint:
        Command4_Click();
        break;
    case KeyCommand::Sign:
        Command10_Click();
        break;
    case KeyCommand::Equals:
        Command5_Click();
        break;
    case KeyCommand::ClearAll:
        // Escape on the open palette closes it and leaves the tape alone.
        paletteOpen ? closePalette() : Command7_Click(0);
        break;
    case KeyCommand::ClearLast:
        Command7_Click(1);
        break;
    case KeyCommand::DeleteLast:
        Command9_Click();
        break;
    case KeyCommand::Operation:
        // With the palette open an operation key is the palette's choice for the chosen row.
        paletteOpen ? Command14_Click(binding.index) : Command3_Click(binding.index);
        break;
    case KeyCommand::Format:
        Command8_Click(binding.index);
        break;
    case KeyCommand::WriteLog:
        Command11_Click();
        break;
    case KeyCommand::About:
        Command13_Click();
        break;
    default:
        break;
    }
}

bool CalculatorWindow::runResultsKey(KeyCommand command) {
    if (command == KeyCommand::OpenResults) {
        if (ui_.Combo1->isHidden())
            return false;
        ui_.Combo1->setFocus(Qt::ShortcutFocusReason);
        ui_.Combo1->showPopup();
        return true;
    }
    if (ui_.Command12->isHidden())
        return false;
    Command12_Click();
    return true;
}

void CalculatorWindow::moveByKey(KeyCommand command) {
    const bool paletteOpen = ui_.Picture4->isVisible();
    switch (command) {
    case KeyCommand::RowUp:
        chooseRow(paletteOpen ? SelectedRow - 1 : tape_.currentRow());
        break;
    case KeyCommand::RowDown:
        chooseRow(paletteOpen ? SelectedRow + 1 : tape_.currentRow());
        break;
    case KeyCommand::PageUp:
        scrollRows(pageRows());
        break;
    case KeyCommand::PageDown:
        scrollRows(-pageRows());
        break;
    case KeyCommand::FirstRow:
        moveTape(0);
        break;
    case KeyCommand::LastRow:
        showNewestRow();
        break;
    default:
        break;
    }
}

void CalculatorWindow::editByKey(KeyCommand command) {
    switch (command) {
    case KeyCommand::CopyResult:
        copyResult();
        break;
    case KeyCommand::CopyTape:
        copyTape();
        break;
    case KeyCommand::Paste:
        pasteNumbers();
        break;
    case KeyCommand::Undo:
        undoChange();
        break;
    case KeyCommand::Redo:
        redoChange();
        break;
    default:
        break;
    }
}

} // namespace tallimo
