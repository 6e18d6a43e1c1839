// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tallimo {

class AboutPanel;
class FittedLabel;
class OperationPalette;
class Tape;
class TapeView;

// Every control of the calculator window, under the names the window's handlers use.
struct CalculatorControls {
    std::array<QPushButton*, 10> Command2{}; // digit keys
    QPushButton* Command4 = nullptr;         // decimal point
    QPushButton* Command10 = nullptr;        // sign
    QPushButton* Command5 = nullptr;         // equals
    std::array<QPushButton*, 2> Command7{};  // C, CE
    QPushButton* Command9 = nullptr;         // delete the last character
    std::array<QPushButton*, 12> Command3{}; // operation keys
    std::array<QPushButton*, 5> Command8{};  // format keys
    QPushButton* Command11 = nullptr;        // write the log and open the saved logs
    QComboBox* Combo1 = nullptr;             // previous results
    QPushButton* Command12 = nullptr;        // empty the previous results
    QFrame* Picture1 = nullptr;              // frame of the tape and the pop-up panels
    TapeView* Picture2 = nullptr;            // the tape
    OperationPalette* Picture4 = nullptr;    // operation palette
    AboutPanel* Picture3 = nullptr;          // about panel
    std::array<QPushButton*, 2> Command6{};  // scroll the tape
    QLineEdit* Text2 = nullptr;              // result in entry mode
    FittedLabel* Label3 = nullptr;           // result in formatted mode
    QWidget* Line1 = nullptr;                // rule above the result
    QPushButton* Command13 = nullptr;        // show or hide the about panel
};

// Creates the controls on the window at their places, with their looks and captions.
CalculatorControls buildCalculatorControls(QWidget& form, const Tape& tape);

} // namespace tallimo
