#include "calculator/ui/operationpalette.h"

#include "calculator/ui/calculatorpictures.h"
#include "calculator/ui/formcontrols.h"
#include "common/units.h"

#include <QLabel>
#include <QPushButton>

namespace tallimo {

namespace {

struct AboutText {
    const char16_t* text;
    int top;
    int height;
    quint32 colour;
};

constexpr std::array<AboutText, 5> kAboutTexts{{
    {u"TALLIMO", 360, 735, 0x0000FFFF},
    {u"Autor: Equipo Quindara", 1200, 255, 0x0080FF80},
    {u"quindara@correo.example", 1680, 255, 0x00FF0000},
    {u"Calculadora de cinta con registro", 2160, 255, 0x00C0E0FF},
    {u"Versi\u00F3n 1.2 \u00B7 2026", 2640, 255, 0x00FFFFFF},
}};

} // namespace

OperationPalette::OperationPalette(QWidget* frame) : QFrame(frame) {
    setObjectName(QStringLiteral("Picture4"));
    setGeometry(common::twipsRect(1680, 840, 2055, 1575));
    setBackColour(*this, 0x0000FFFF);
    for (int k = 0; k < int(Command14.size()); ++k) {
        const int left = 120 + (k % 4) * 480;
        const int top = 120 + (k / 4) * 480;
        QPushButton* button =
            makeButton(this, elementName(QStringLiteral("Command14"), k), {left, top, 375, 375}, 0x00C0C0C0);
        setPicture(*button, operationPicture(k));
        connect(button, &QPushButton::clicked, this, [this, k] { emit operationChosen(k); });
        Command14[std::size_t(k)] = button;
    }
    hide();
}

AboutPanel::AboutPanel(QWidget* frame) : QFrame(frame) {
    setObjectName(QStringLiteral("Picture3"));
    setGeometry(common::twipsRect(120, 600, 4335, 3135));
    setBackColour(*this, 0x00004000);
    for (int k = 0; k < int(kAboutTexts.size()); ++k) {
        const AboutText& about = kAboutTexts[std::size_t(k)];
        QLabel* label =
            makeLabel(this, elementName(QStringLiteral("Label5"), k), {120, about.top, 4095, about.height},
                      k == 0 ? arialFont(27.75, true) : arialFont(12), Qt::AlignHCenter);
        label->setText(QString::fromUtf16(about.text));
        setTextColour(*label, about.colour);
    }
    hide();
}

} // namespace tallimo
