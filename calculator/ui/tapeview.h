// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QWidget>

#include <map>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tallimo {

class FittedLabel;
class Tape;

// The tape panel (Picture2) seen through its frame. A tape can hold any number of rows, so only the
// rows inside the frame get controls: a fixed set of row controls is bound to whichever rows are
// visible, under the array names of those rows ("Text1_37"). Positions are the tape's own, in twips:
// row i lies at top() + 3840 + 425 i inside the frame.
class TapeView : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TapeView)

public:
    static constexpr int kFirstRowTop = 3840;
    static constexpr int kRowHeight = 375;
    static constexpr int kRowGap = 50;
    static constexpr int kRowPitch = kRowHeight + kRowGap;

    // `frameSize` in twips: the part of the tape that can be seen.
    TapeView(const Tape& tape, QSize frameSize, QWidget* frame);

    qint64 top() const { return top_; }
    void setTop(qint64 twips);
    void setLeft(int twips);
    // Formatted mode shows the format snapshot (Label2) in place of the texts (Text1).
    bool formattedMode() const { return formattedMode_; }
    void setFormattedMode(bool formatted);
    // The row whose operation the palette changes shows its operation button pressed; -1 for none.
    void setChosenRow(int row);
    int frameHeight() const { return frameHeight_; }

    // Binds the row controls to the rows now in the frame and shows their current content.
    void refresh();

signals:
    void rowOperationClicked(int row);
    // The mouse wheel asks to move the tape by `rows` rows (positive: towards row 1).
    void wheelTurned(int rows);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    struct RowControls {
        QLabel* number = nullptr;         // Label1: row number
        QPushButton* operation = nullptr; // Command1: the row's operation, opens the palette
        QLineEdit* text = nullptr;        // Text1: the row's value in entry mode
        FittedLabel* formatted = nullptr; // Label2: the row's value in formatted mode
        int row = -1;
        bool spare = false;      // unbound, hidden and nameless
        int operationShown = -1; // saves drawing the same picture again
        QString value;           // the row's text, which `text` shows elided when it is too long
    };

    void bind(RowControls& controls, int row, int topInFrame);
    // The row-number font, smaller for long numbers so that every digit fits in `room` pixels.
    const QFont& numberFont(int digits, int room);

    const Tape& tape_;
    const int frameHeight_;
    qint64 top_ = 0;
    int left_ = -120;
    bool formattedMode_ = false;
    int chosenRow_ = -1;
    // Eighths of a degree turned that have not yet made a whole step of the wheel.
    int wheelRest_ = 0;
    std::vector<RowControls> rowControls_;
    std::map<int, QFont> numberFonts_;
    // The font of the row texts, which shrink from it to fit.
    const QFont textFont_;
};

} // namespace tallimo
