// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>

#include <array>

class QPushButton;

namespace tallimo {

// The yellow operation palette (Picture4): twelve buttons (Command14) to change a row's operation.
class OperationPalette : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OperationPalette)

public:
    explicit OperationPalette(QWidget* frame);

signals:
    void operationChosen(int code);

private:
    std::array<QPushButton*, 12> Command14{};
};

// The about panel (Picture3): five centred texts on dark green.
class AboutPanel : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutPanel)

public:
    explicit AboutPanel(QWidget* frame);
};

} // namespace tallimo
