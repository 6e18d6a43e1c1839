#include "calculator/ui/calculatorwindow.h"

#include "calculator/core/clipboardtext.h"
#include "calculator/core/configuration.h"
#include "calculator/core/operationlog.h"
#include "calculator/core/operations.h"
#include "calculator/ui/logging.h"
#include "calculator/ui/operationpalette.h"
#include "calculator/ui/savedlogswindow.h"
#include "calculator/ui/tapeview.h"
#include "common/textfile.h"
#include "common/units.h"

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
    setWindowTitle(QStringLiteral("TALLIMO 1.2"));
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
        ui_.Command3[std::size_t(k)]->setToolTip(configuration.helpTexts.value(k));
    CurrencySymbol = configuration.currencySymbol;
}

bool CalculatorWindow::InFormattedMode() const {
    return ui_.Picture2->formattedMode();
}

void CalculatorWindow::Recalculate() {
    if (ui_.Picture3->isVisible())
        ui_.Picture3->hide();
    ui_.Text2->setText(tape_.recalculate());
    ui_.Picture2->refresh();
}

void CalculatorWindow::RecalculateAllRows() {
    tape_.includeAllRows();
    Recalculate();
}

void CalculatorWindow::ShowEntryMode() {
    ui_.Picture2->setFormattedMode(false);
    ui_.Text2->show();
    ui_.Label3->hide();
}

void CalculatorWindow::ShowFormattedMode() {
    const Separators separators = Separators::of(QLocale());
    for (int i = 0; i <= tape_.currentRow(); ++i)
        tape_.setFormatted(i, formatText(tape_.text(i), FormatMode, separators, CurrencySymbol));
    ui_.Label3->setText(formatText(ui_.Text2->text(), FormatMode, separators, CurrencySymbol));
    ui_.Picture2->setFormattedMode(true);
    ui_.Text2->hide();
    ui_.Label3->show();
}

void CalculatorWindow::Command2_Click(int index) {
    if (InFormattedMode())
        ShowEntryMode();
    changeTape(tape_.currentRow(), 1, [&] {
        tape_.appendToCurrent(QString::number(index));
        RecalculateAllRows();
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
        RecalculateAllRows();
    });
}

void CalculatorWindow::Command9_Click() {
    changeTape(tape_.currentRow(), 1, [&] {
        if (tape_.deleteLastCharacter())
            RecalculateAllRows();
    });
}

void CalculatorWindow::Command5_Click() {
    if (InFormattedMode())
        ShowEntryMode();
    changeTape(tape_.currentRow(), 1, [&] { RecalculateAllRows(); });
}

void CalculatorWindow::Command3_Click(int index) {
    if (InFormattedMode())
        ShowEntryMode();
    changeTape(tape_.currentRow() + 1, 0, [&] {
        tape_.addRow(index);
        // The tape grows upwards: the new row takes the place of the previous last row.
        MoveTape(ui_.Picture2->top() - TapeView::kRowPitch);
        Recalculate();
    });
}

void CalculatorWindow::Command7_Click(int index) {
    if (index == 0) {
        ui_.Combo1->addItem(ui_.Text2->text());
        ui_.Combo1->setCurrentIndex(ui_.Combo1->count() - 1);
        ui_.Picture2->setLeft(kTapeLeft);
        if (ui_.Combo1->isHidden()) {
            ui_.Combo1->show();
            ui_.Command12->show();
        }
        changeTape(0, tape_.rowCount(), [&] { tape_.clear(); });
        ui_.Text2->setText(QStringLiteral("0"));
        MoveTape(0);
        return;
    }
    changeTape(tape_.currentRow(), 1, [&] {
        if (tape_.currentRow() == 0) {
            tape_.setText(0, QString());
        } else {
            tape_.removeLastRow();
            MoveTape(ui_.Picture2->top() + TapeView::kRowPitch);
        }
        RecalculateAllRows();
    });
}

void CalculatorWindow::Command1_Click(int index) {
    ui_.Picture4->show();
    ui_.Picture4->raise();
    SelectedRow = index;
}

void CalculatorWindow::Command14_Click(int index) {
    // "C" or "CE" may have removed the row since the palette opened; then there is nothing to change.
    if (SelectedRow >= 1 && SelectedRow <= tape_.currentRow()) {
        changeTape(SelectedRow, 1, [&] {
            tape_.setOperation(SelectedRow, index);
            RecalculateAllRows();
        });
    }
    ui_.Picture4->hide();
}

void CalculatorWindow::Command6_Click(int index) {
    MoveTape(ui_.Picture2->top() + (index == 0 ? TapeView::kRowPitch : -TapeView::kRowPitch));
}

void CalculatorWindow::MoveTape(qint64 top) {
    const qint64 lastRowInPlace = -qint64(TapeView::kRowPitch) * tape_.currentRow();
    ui_.Picture2->setTop(std::clamp<qint64>(top, lastRowInPlace, 0));
}

void CalculatorWindow::Combo1_Click(int index) {
    changeTape(tape_.currentRow(), 1, [&] {
        tape_.setText(tape_.currentRow(), ui_.Combo1->itemText(index));
        RecalculateAllRows();
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
    const bool formatted = InFormattedMode();
    const QString text = operationLogText(tape_, formatted ? LogMode::Formatted : LogMode::Entry,
                                          formatted ? ui_.Label3->text() : ui_.Text2->text(), OperationNames);
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
    MoveTape(-qint64(TapeView::kRowPitch) * tape_.currentRow());
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
    desktop_.setClipboardText(plainNumber(ui_.Text2->text(), Separators::of(QLocale())));
}

void CalculatorWindow::copyTape() {
    desktop_.setClipboardText(tapeText(tape_, OperationNames, ui_.Text2->text(), Separators::of(QLocale())));
}

void CalculatorWindow::pasteNumbers() {
    const PastedNumbers pasted = readPastedNumbers(desktop_.clipboardText(), Separators::of(QLocale()));
    if (!pasted.numbers.isEmpty()) {
        if (InFormattedMode())
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
            RecalculateAllRows();
        });
    }
    if (pasted.linesWithoutNumber == 1)
        desktop_.showMessage(QStringLiteral("1 línea sin número no se ha añadido."), windowTitle());
    else if (pasted.linesWithoutNumber > 1)
        desktop_.showMessage(
            QStringLiteral("%1 líneas sin número no se han añadido.").arg(pasted.linesWithoutNumber),
            windowTitle());
}

void CalculatorWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    if (control) {
        if (key == Qt::Key_C)
            shift ? copyTape() : copyResult();
        else if (key == Qt::Key_V && !shift)
            pasteNumbers();
        else if (key == Qt::Key_Z)
            shift ? redoChange() : undoChange();
        else if (key == Qt::Key_Y && !shift)
            redoChange();
        else
            QWidget::keyPressEvent(event);
        return;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        Command2_Click(key - Qt::Key_0);
        return;
    }
    switch (key) {
    case Qt::Key_Comma:
    case Qt::Key_Period:
        Command4_Click();
        return;
    case Qt::Key_Plus:
        Command3_Click(operation::Add);
        return;
    case Qt::Key_Minus:
        Command3_Click(operation::Subtract);
        return;
    case Qt::Key_Asterisk:
        Command3_Click(operation::Multiply);
        return;
    case Qt::Key_Slash:
        Command3_Click(operation::Divide);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Equal:
        Command5_Click();
        return;
    case Qt::Key_Backspace:
        Command9_Click();
        return;
    case Qt::Key_Escape:
        Command7_Click(0);
        return;
    case Qt::Key_Delete:
        Command7_Click(1);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace tallimo
