// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/ui/operationpalette.h"

#include "calculator/core/calculatorabout.h"
#include "calculator/ui/calculatorpictures.h"
#include "calculator/ui/formcontrols.h"
#include "common/about.h"
#include "common/units.h"

#include <QLabel>
#include <QPushButton>

namespace tallimo {

namespace {

struct AboutLabel {
    int top;
    int height;
    quint32 colour;
};

constexpr std::array<AboutLabel, 5> kAboutLabels{{
    {360, 735, 0x0000FFFF},
    {1200, 255, 0x0080FF80},
    {1680, 255, 0x00FF0000},
    {2160, 255, 0x00C0E0FF},
    {2640, 255, 0x00FFFFFF},
}};

} // namespace

OperationPalette::OperationPalette(QWidget* frame) : QFrame(frame) {
    setObjectName(QStringLiteral("Picture4"));
    setGeometry(common::twipsRect(1680, 840, 2055, 1575));
    setBackColour(this, 0x0000FFFF);
    for (int k = 0; k < int(Command14.size()); ++k) {
        const int left = 120 + (k % 4) * 480;
        const int top = 120 + (k / 4) * 480;
        QPushButton* button =
            makeKey(this, elementName(QStringLiteral("Command14"), k), {left, top, 375, 375}, std::nullopt);
        setPicture(*button, operationPicture(k));
        button->setAccessibleName(QStringLiteral("Cambiar la operación de la fila a ") + operationName(k));
        connect(button, &QPushButton::clicked, this, [this, k] { emit operationChosen(k); });
        Command14[std::size_t(k)] = button;
    }
    hide();
}

AboutPanel::AboutPanel(QWidget* frame) : QFrame(frame) {
    setObjectName(QStringLiteral("Picture3"));
    setGeometry(common::twipsRect(120, 600, 4335, 3135));
    setBackColour(this, 0x00004000);
    const QStringList texts = aboutLines();
    for (int k = 0; k < int(kAboutLabels.size()); ++k) {
        const AboutLabel& about = kAboutLabels[std::size_t(k)];
        QLabel* label = makeTextLabel(this, elementName(QStringLiteral("Label5"), k),
                                      {120, about.top, 4095, about.height},
                                      k == 0 ? arialFont(27.75, true) : arialFont(12), Qt::AlignHCenter);
        label->setText(texts.value(k));
        setForeColour(label, about.colour);
    }
    hide();
}

} // namespace tallimo
