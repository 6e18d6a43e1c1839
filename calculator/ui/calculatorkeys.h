// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class QKeyEvent;

namespace tallimo {

// What a key of the keyboard does in the calculator window; `index` says which digit, operation or
// format.
enum class KeyCommand {
    Digit,
    DecimalPoint,
    Sign,
    Equals,
    ClearAll,
    ClearLast,
    DeleteLast,
    Operation,
    Format,
    WriteLog,
    About,
    OpenResults,
    EmptyResults,
    RowUp,
    RowDown,
    PageUp,
    PageDown,
    FirstRow,
    LastRow,
    CopyResult,
    CopyTape,
    Paste,
    Undo,
    Redo,
};

struct KeyBinding {
    KeyCommand command;
    int index = 0;
};

// The command of a key press, or nothing for a key the calculator leaves alone. Characters are matched
// by the text they type, so "^", "%" or "!" work on every keyboard layout.
std::optional<KeyBinding> keyBinding(const QKeyEvent& event);

// The keys of a command as a tooltip names them ("n o F9"); empty when it has none.
QString keyNames(KeyCommand command, int index = 0);
// A control's tooltip: its help text (may be empty), then its keys.
QString tooltipWithKeys(const QString& help, KeyCommand command, int index = 0);

} // namespace tallimo
