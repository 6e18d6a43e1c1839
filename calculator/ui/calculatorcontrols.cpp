// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/ui/calculatorcontrols.h"

#include "calculator/ui/calculatorpictures.h"
#include "calculator/ui/fittedtext.h"
#include "calculator/ui/formcontrols.h"
#include "calculator/ui/operationpalette.h"
#include "calculator/ui/tapeview.h"
#include "common/units.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tallimo {

namespace {

// A turn of the mouse wheel over the results list would choose a result and replace the current row.
class IgnoreWheel final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        return event->type() == QEvent::Wheel || QObject::eventFilter(watched, event);
    }
};

constexpr int kKey = 735;
constexpr quint32 kLightGreen = 0x00C0FFC0;
constexpr quint32 kPink = 0x00FFC0FF;
constexpr quint32 kLightRed = 0x00C0C0FF;
constexpr quint32 kRed = 0x000000FF;
constexpr quint32 kSalmon = 0x008080FF;
constexpr quint32 kLightYellow = 0x00C0FFFF;

// Places of the operation keys Command3(0..11), (left, top).
constexpr std::array<std::array<int, 2>, 12> kOperationPlaces{{{960, 960},
                                                               {960, 1800},
                                                               {960, 2640},
                                                               {960, 3480},
                                                               {120, 1800},
                                                               {120, 960},
                                                               {120, 2640},
                                                               {120, 4320},
                                                               {120, 3480},
                                                               {960, 4320},
                                                               {1800, 4320},
                                                               {2640, 4320}}};
constexpr std::array<int, 5> kFormatLefts{3480, 120, 1800, 2640, 960};

QRect key(int left, int top) {
    return {left, top, kKey, kKey};
}

void buildKeypad(QWidget& form, CalculatorControls& c) {
    const QFont digits = arialFont(24, true);
    for (int d = 0; d <= 9; ++d) {
        const QRect place = d == 0 ? key(2640, 3480) : key(1800 + (d - 1) % 3 * 840, 960 + (d - 1) / 3 * 840);
        c.Command2[std::size_t(d)] = makeKey(&form, elementName(QStringLiteral("Command2"), d), place,
                                             kLightGreen, QString::number(d), digits);
    }
    const QFont signs = arialFont(20, true);
    c.Command4 =
        makeKey(&form, QStringLiteral("Command4"), key(3480, 3480), kPink, QStringLiteral(","), digits);
    c.Command10 =
        makeKey(&form, QStringLiteral("Command10"), key(1800, 3480), kLightRed, QStringLiteral("+/-"), signs);
    c.Command5 =
        makeKey(&form, QStringLiteral("Command5"), key(3480, 4320), kLightRed, QStringLiteral("="), digits);
    c.Command7[0] =
        makeKey(&form, QStringLiteral("Command7_0"), key(2640, 120), kRed, QStringLiteral("C"), digits);
    c.Command7[1] =
        makeKey(&form, QStringLiteral("Command7_1"), key(1800, 120), kSalmon, QStringLiteral("CE"), signs);
    c.Command9 = makeKey(&form, QStringLiteral("Command9"), key(3480, 120), kSalmon, QString(), signs);
    setPicture(*c.Command9, Picture::Backspace);
    c.Command4->setAccessibleName(QStringLiteral("Coma decimal"));
    c.Command10->setAccessibleName(QStringLiteral("Cambiar el signo"));
    c.Command5->setAccessibleName(QStringLiteral("Igual"));
    c.Command7[0]->setAccessibleName(QStringLiteral("Borrar todo"));
    c.Command7[1]->setAccessibleName(QStringLiteral("Borrar la fila"));
    c.Command9->setAccessibleName(QStringLiteral("Borrar la última cifra"));

    const QFont operations = arialFont(16, true);
    for (int k = 0; k < 12; ++k) {
        const auto [left, top] = kOperationPlaces[std::size_t(k)];
        QPushButton* button = makeKey(&form, elementName(QStringLiteral("Command3"), k), key(left, top),
                                      std::nullopt, QString(), operations);
        setPicture(*button, operationPicture(k));
        const QString name = operationName(k);
        button->setAccessibleName(name.left(1).toUpper() + name.mid(1));
        c.Command3[std::size_t(k)] = button;
    }

    const std::array<QString, 5> formatCaptions{QStringLiteral(",00"), QString(), QStringLiteral(",00$"),
                                                QStringLiteral("Z"), QStringLiteral("Z$")};
    for (int k = 0; k < 5; ++k) {
        c.Command8[std::size_t(k)] = makeKey(&form, elementName(QStringLiteral("Command8"), k),
                                             key(kFormatLefts[std::size_t(k)], 5160), kLightYellow,
                                             formatCaptions[std::size_t(k)], arialFont(14, true));
    }
    setPicture(*c.Command8[1], Picture::WrittenSum);
    const std::array<const char*, 5> formatNames{"Números con dos decimales", "Números como se escribieron",
                                                 "Moneda con dos decimales", "Números sin decimales",
                                                 "Moneda sin decimales"};
    for (int k = 0; k < 5; ++k)
        c.Command8[std::size_t(k)]->setAccessibleName(QString::fromUtf8(formatNames[std::size_t(k)]));

    c.Command11 = makeKey(&form, QStringLiteral("Command11"), {120, 120, 1575, kKey}, std::nullopt);
    setPicture(*c.Command11, Picture::LogCamera);
    c.Command11->setAccessibleName(QStringLiteral("Guardar el registro de operaciones"));
    c.Command11->setAccessibleDescription(QStringLiteral("Escribe la cinta y abre las copias guardadas"));
}

void buildTapeArea(QWidget& form, const Tape& tape, CalculatorControls& c) {
    c.Combo1 = new QComboBox(&form);
    c.Combo1->setObjectName(QStringLiteral("Combo1"));
    c.Combo1->setGeometry(common::twipsRect(4320, 120, 4215, 450));
    c.Combo1->setFont(arialFont(14.25));
    c.Combo1->setPlaceholderText(QStringLiteral("Resultados anteriores"));
    common::nameComboBox(c.Combo1, QStringLiteral("Resultados anteriores"));
    c.Combo1->setFocusPolicy(Qt::TabFocus);
    c.Combo1->installEventFilter(new IgnoreWheel(c.Combo1));
    c.Combo1->hide();
    c.Command12 = makeKey(&form, QStringLiteral("Command12"), {8640, 120, 855, 495}, std::nullopt);
    setPicture(*c.Command12, Picture::Eraser);
    c.Command12->setAccessibleName(QStringLiteral("Vaciar los resultados anteriores"));
    c.Command12->hide();

    c.Picture1 = new QFrame(&form);
    c.Picture1->setObjectName(QStringLiteral("Picture1"));
    c.Picture1->setGeometry(common::twipsRect(4320, 720, 4575, 4455));
    setBackColour(c.Picture1, kWhite);
    c.Picture2 = new TapeView(tape, {4575, 4455}, c.Picture1);
    c.Picture4 = new OperationPalette(c.Picture1);
    c.Picture3 = new AboutPanel(c.Picture1);

    c.Command6[0] = makeKey(&form, QStringLiteral("Command6_0"), {9000, 720, 495, 2175}, 0x0000FF00,
                            QString(), arialFont(14, true));
    setPicture(*c.Command6[0], Picture::BlueUp);
    c.Command6[1] = makeKey(&form, QStringLiteral("Command6_1"), {9000, 2880, 495, 2295}, 0x0000FFFF,
                            QString(), arialFont(14, true));
    setPicture(*c.Command6[1], Picture::BlueDown);
    c.Command6[0]->setAccessibleName(QStringLiteral("Subir la cinta"));
    c.Command6[1]->setAccessibleName(QStringLiteral("Bajar la cinta"));
    for (QPushButton* scroll : c.Command6)
        scroll->setAutoRepeat(true);

    c.Line1 = new QWidget(&form);
    c.Line1->setObjectName(QStringLiteral("Line1"));
    const QRect rule = common::twipsRect(4320, 5280, 9480 - 4320, 0);
    c.Line1->setGeometry(rule.x(), rule.y() - 1, rule.width(), 3);
    setBackColour(c.Line1, 0x00000000);

    c.Text2 = new QLineEdit(QStringLiteral("0"), &form);
    c.Text2->setObjectName(QStringLiteral("Text2"));
    c.Text2->setGeometry(common::twipsRect(4320, 5400, 4575, 525));
    c.Text2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    c.Text2->setFont(arialFont(18, true));
    c.Text2->setReadOnly(true);
    c.Text2->setFocusPolicy(Qt::TabFocus);
    c.Text2->setAccessibleName(QStringLiteral("Resultado"));

    keepValueFitted(c.Text2);

    c.Label3 = new FittedLabel(&form, QStringLiteral("Label3"), {4320, 5400, 4575, 375}, arialFont(12, true));
    setBackColour(c.Label3, kPink);
    setForeColour(c.Label3, 0x00004000);
    c.Label3->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    c.Label3->setFocusPolicy(Qt::TabFocus);
    c.Label3->setAccessibleName(QStringLiteral("Resultado con formato"));
    c.Label3->hide();

    c.Command13 = makeKey(&form, QStringLiteral("Command13"), {9000, 5400, 495, 495}, 0x00FF80FF,
                          QStringLiteral("\u00A9"), arialFont(18, true));
    c.Command13->setAccessibleName(QStringLiteral("Acerca de Tallimo"));
}

} // namespace

CalculatorControls buildCalculatorControls(QWidget& form, const Tape& tape) {
    CalculatorControls controls;
    buildKeypad(form, controls);
    buildTapeArea(form, tape, controls);
    return controls;
}

} // namespace tallimo
