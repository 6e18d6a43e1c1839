// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/ui/calculatorkeys.h"

#include "calculator/core/operations.h"

#include <QKeyEvent>

#include <array>

namespace tallimo {

namespace {

// A key typed as a character, or a key with its modifiers. `name` is how tooltips show it; a key
// without a name is a second way that needs no mention (the keypad's Enter). A key with `anyModifiers`
// counts however it is reached (a dead key needs Shift on some layouts).
struct Key {
    KeyCommand command;
    int index;
    char16_t character;
    int key;
    Qt::KeyboardModifiers modifiers;
    const char16_t* name;
    bool anyModifiers = false;
};

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kControl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kControlShift = Qt::ControlModifier | Qt::ShiftModifier;

Key typed(KeyCommand command, int index, char16_t character) {
    return {command, index, character, 0, kNone, nullptr};
}

Key pressed(KeyCommand command, int index, int key, Qt::KeyboardModifiers modifiers, const char16_t* name) {
    return {command, index, 0, key, modifiers, name};
}

const std::vector<Key>& keys() {
    using C = KeyCommand;
    static const std::vector<Key> table = [] {
        std::vector<Key> k;
        for (int d = 0; d <= 9; ++d)
            k.push_back(typed(C::Digit, d, char16_t(u'0' + d)));
        k.push_back(typed(C::DecimalPoint, 0, u','));
        k.push_back(typed(C::DecimalPoint, 0, u'.'));
        k.push_back(typed(C::Sign, 0, u'n'));
        k.push_back(pressed(C::Sign, 0, Qt::Key_F9, kNone, u"F9"));
        k.push_back(pressed(C::Equals, 0, Qt::Key_Return, kNone, u"Intro"));
        k.push_back(pressed(C::Equals, 0, Qt::Key_Enter, kNone, nullptr));
        k.push_back(typed(C::Equals, 0, u'='));
        k.push_back(pressed(C::ClearAll, 0, Qt::Key_Escape, kNone, u"Esc"));
        k.push_back(pressed(C::ClearLast, 0, Qt::Key_Delete, kNone, u"Supr"));
        k.push_back(pressed(C::DeleteLast, 0, Qt::Key_Backspace, kNone, u"Retroceso"));
        k.push_back(typed(C::Operation, operation::Add, u'+'));
        k.push_back(typed(C::Operation, operation::Subtract, u'-'));
        k.push_back(typed(C::Operation, operation::Multiply, u'*'));
        k.push_back(typed(C::Operation, operation::Divide, u'/'));
        k.push_back(typed(C::Operation, operation::Power, u'^'));
        // "^" is a dead key on many layouts: its first press is enough. The Spanish keyboard reaches it
        // with Shift, and the event may carry no text.
        Key deadCircumflex = pressed(C::Operation, operation::Power, Qt::Key_Dead_Circumflex, kNone, nullptr);
        deadCircumflex.anyModifiers = true;
        k.push_back(deadCircumflex);
        k.push_back(typed(C::Operation, operation::Percent, u'%'));
        k.push_back(typed(C::Operation, operation::SquareRoot, u'r'));
        k.push_back(typed(C::Operation, operation::Reciprocal, u'i'));
        k.push_back(typed(C::Operation, operation::Root, u'R'));
        k.push_back(typed(C::Operation, operation::Remainder, u'm'));
        k.push_back(typed(C::Operation, operation::WholeQuotient, u'q'));
        k.push_back(typed(C::Operation, operation::WholeQuotient, u'\\'));
        k.push_back(typed(C::Operation, operation::Factorial, u'!'));
        // The format keys in their order on the window, left to right.
        const std::array<int, 5> formats{1, 4, 2, 3, 0};
        for (int f = 0; f < 5; ++f)
            k.push_back(pressed(C::Format, formats[std::size_t(f)], Qt::Key_F2 + f, kNone,
                                std::array{u"F2", u"F3", u"F4", u"F5", u"F6"}[std::size_t(f)]));
        k.push_back(pressed(C::About, 0, Qt::Key_F1, kNone, u"F1"));
        k.push_back(pressed(C::OpenResults, 0, Qt::Key_F8, kNone, u"F8"));
        k.push_back(pressed(C::EmptyResults, 0, Qt::Key_Delete, kControl, u"Ctrl+Supr"));
        k.push_back(pressed(C::WriteLog, 0, Qt::Key_L, kControl, u"Ctrl+L"));
        k.push_back(pressed(C::RowUp, 0, Qt::Key_Up, kNone, u"Flecha arriba"));
        k.push_back(pressed(C::RowDown, 0, Qt::Key_Down, kNone, u"Flecha abajo"));
        k.push_back(pressed(C::PageUp, 0, Qt::Key_PageUp, kNone, u"Re Pág"));
        k.push_back(pressed(C::PageDown, 0, Qt::Key_PageDown, kNone, u"Av Pág"));
        k.push_back(pressed(C::FirstRow, 0, Qt::Key_Home, kControl, u"Ctrl+Inicio"));
        k.push_back(pressed(C::FirstRow, 0, Qt::Key_Home, kNone, nullptr));
        k.push_back(pressed(C::LastRow, 0, Qt::Key_End, kControl, u"Ctrl+Fin"));
        k.push_back(pressed(C::LastRow, 0, Qt::Key_End, kNone, nullptr));
        k.push_back(pressed(C::CopyResult, 0, Qt::Key_C, kControl, u"Ctrl+C"));
        k.push_back(pressed(C::CopyTape, 0, Qt::Key_C, kControlShift, u"Ctrl+Mayús+C"));
        k.push_back(pressed(C::Paste, 0, Qt::Key_V, kControl, u"Ctrl+V"));
        k.push_back(pressed(C::Undo, 0, Qt::Key_Z, kControl, u"Ctrl+Z"));
        k.push_back(pressed(C::Redo, 0, Qt::Key_Y, kControl, u"Ctrl+Y"));
        k.push_back(pressed(C::Redo, 0, Qt::Key_Z, kControlShift, u"Ctrl+Mayús+Z"));
        return k;
    }();
    return table;
}

} // namespace

std::optional<KeyBinding> keyBinding(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool commandModifier = modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const QString text = event.text();
    for (const Key& key : keys()) {
        if (key.character != 0) {
            if (!commandModifier && text.size() == 1 && text.front() == QChar(key.character))
                return KeyBinding{key.command, key.index};
        } else if (event.key() == key.key && (key.anyModifiers || modifiers == key.modifiers)) {
            return KeyBinding{key.command, key.index};
        }
    }
    return std::nullopt;
}

QString keyNames(KeyCommand command, int index) {
    QStringList names;
    for (const Key& key : keys()) {
        if (key.command != command || key.index != index)
            continue;
        if (key.character != 0)
            names.append(QString(QChar(key.character)));
        else if (key.name != nullptr)
            names.append(QString::fromUtf16(key.name));
    }
    if (names.size() <= 1)
        return names.join(QString());
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" o ") + names.last();
}

QString tooltipWithKeys(const QString& help, KeyCommand command, int index) {
    const QString names = keyNames(command, index);
    const QString keys =
        (names.contains(QStringLiteral(" o ")) ? QStringLiteral("Teclas: ") : QStringLiteral("Tecla: ")) +
        names;
    return help.isEmpty() ? keys : help + u'\n' + keys;
}

} // namespace tallimo
