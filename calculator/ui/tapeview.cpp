// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/ui/tapeview.h"

#include "calculator/core/tape.h"
#include "calculator/ui/calculatorpictures.h"
#include "calculator/ui/fittedtext.h"
#include "calculator/ui/formcontrols.h"
#include "common/units.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>

#include <cmath>

namespace tallimo {

namespace {

constexpr quint32 kTapeColour = 0x00FFFFC0;
constexpr quint32 kFormattedBack = 0x00C0FFC0;
constexpr quint32 kFormattedText = 0x00C00000;
constexpr int kNumberLeft = 0;
// Up to the operation button (the first design had 375, too narrow for four digits).
constexpr int kNumberWidth = 465;
constexpr qreal kNumberPoints = 9.75;
constexpr int kNumberHeight = 255;
constexpr int kOperationLeft = 480;
constexpr int kTextLeft = 960;
constexpr int kTextWidth = 3375;

} // namespace

TapeView::TapeView(const Tape& tape, QSize frameSize, QWidget* frame)
    : QWidget(frame), tape_(tape), frameHeight_(frameSize.height()), textFont_(arialFont(12, true)) {
    setObjectName(QStringLiteral("Picture2"));
    setGeometry(QRect(QPoint(0, 0), common::twipsSize(frameSize.width(), frameSize.height())));
    setBackColour(this, kTapeColour);

    // Enough controls for every row that can show in the frame, a partly hidden one at each end.
    const int count = frameHeight_ / kRowPitch + 3;
    for (int k = 0; k < count; ++k) {
        RowControls controls;
        controls.number = makeTextLabel(this, QString(), {kNumberLeft, 0, kNumberWidth, kNumberHeight},
                                        arialFont(kNumberPoints), Qt::AlignRight);
        controls.operation =
            makeKey(this, QString(), {kOperationLeft, 0, kRowHeight, kRowHeight}, std::nullopt);
        // The arrow keys choose rows; the button of the chosen row stays pressed while the palette is open.
        controls.operation->setFocusPolicy(Qt::NoFocus);
        controls.operation->setCheckable(true);
        controls.operation->setToolTip(QStringLiteral("Flecha arriba o abajo elige la fila; con la paleta "
                                                      "abierta, una tecla de operación la cambia"));
        controls.text = new QLineEdit(this);
        controls.text->setGeometry(common::twipsRect(kTextLeft, 0, kTextWidth, kRowHeight));
        controls.text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        controls.text->setFont(textFont_);
        // Numbers come from the keys; typing into a row would bypass the tape.
        controls.text->setReadOnly(true);
        controls.text->setFocusPolicy(Qt::NoFocus);
        controls.formatted =
            new FittedLabel(this, QString(), {kTextLeft, 0, kTextWidth, kRowHeight}, arialFont(12));
        setBackColour(controls.formatted, kFormattedBack);
        setForeColour(controls.formatted, kFormattedText);
        connect(controls.operation, &QPushButton::clicked, this,
                [this, k] { emit rowOperationClicked(rowControls_[std::size_t(k)].row); });
        rowControls_.push_back(controls);
    }
    refresh();
}

void TapeView::setTop(qint64 twips) {
    top_ = twips;
    refresh();
}

void TapeView::setLeft(int twips) {
    left_ = twips;
    refresh();
}

void TapeView::setFormattedMode(bool formatted) {
    formattedMode_ = formatted;
    refresh();
}

void TapeView::setChosenRow(int row) {
    chosenRow_ = row;
    refresh();
}

void TapeView::wheelEvent(QWheelEvent* event) {
    // Three rows a step, as text views scroll.
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRest_ -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0)
        emit wheelTurned(3 * steps);
    event->accept();
}

void TapeView::bind(RowControls& controls, int row, int topInFrame) {
    const int y = common::twips(topInFrame);
    const auto place = [&](QWidget* widget, int left) {
        const QPoint position(common::twips(left_ + left), y);
        if (widget->pos() != position)
            widget->move(position);
    };
    // A recalculation binds every visible control to the row it already shows: only what changed is
    // set again, as each setText lays its text out anew.
    const bool newRow = controls.row != row || controls.spare;
    controls.row = row;
    controls.spare = false;

    place(controls.number, kNumberLeft);
    if (newRow) {
        controls.number->setObjectName(elementName(QStringLiteral("Label1"), row));
        const QString number = QString::number(row);
        if (controls.number->text() != number) {
            controls.number->setText(number);
            const QFont& font = numberFont(int(number.size()), controls.number->contentsRect().width());
            if (controls.number->font() != font)
                controls.number->setFont(font);
        }
    }
    controls.number->setVisible(row > 0);

    place(controls.operation, kOperationLeft);
    if (newRow)
        controls.operation->setObjectName(elementName(QStringLiteral("Command1"), row));
    if (row > 0 && (newRow || controls.operationShown != tape_.operation(row))) {
        if (controls.operationShown != tape_.operation(row)) {
            controls.operationShown = tape_.operation(row);
            setPicture(*controls.operation, operationPicture(controls.operationShown));
        }
        // A screen reader hears the row and its operation; the picture shows only the operation.
        controls.operation->setAccessibleName(
            QStringLiteral("Fila %1, operación %2")
                .arg(QString::number(row), operationName(controls.operationShown)));
    }
    if (controls.operation->isChecked() != (row == chosenRow_))
        controls.operation->setChecked(row == chosenRow_);
    controls.operation->setVisible(row > 0);

    place(controls.text, kTextLeft);
    if (newRow) {
        controls.text->setObjectName(elementName(QStringLiteral("Text1"), row));
        controls.text->setAccessibleName(QStringLiteral("Fila %1, valor").arg(row));
    }
    // A number longer than the row is marked cut, never shown as its first digits alone.
    if (controls.value != tape_.text(row)) {
        controls.value = tape_.text(row);
        showFittedValue(controls.text, controls.value, textFont_);
    }
    controls.text->setVisible(!formattedMode_);

    place(controls.formatted, kTextLeft);
    if (newRow) {
        controls.formatted->setObjectName(elementName(QStringLiteral("Label2"), row));
        controls.formatted->setAccessibleName(QStringLiteral("Fila %1, valor con formato").arg(row));
    }
    if (controls.formatted->valueText() != tape_.formatted(row))
        controls.formatted->setValueText(tape_.formatted(row));
    controls.formatted->setVisible(formattedMode_);
}

const QFont& TapeView::numberFont(int digits, int room) {
    auto found = numberFonts_.find(digits);
    if (found != numberFonts_.end())
        return found->second;
    // Digits all have the same width, so one font serves every number of this length.
    QFont font = arialFont(kNumberPoints);
    const QString widest(digits, u'0');
    while (font.pointSizeF() > 5 && QFontMetrics(font).horizontalAdvance(widest) > room)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    return numberFonts_.emplace(digits, font).first->second;
}

void TapeView::refresh() {
    // Rows whose 375 twips overlap the frame: top_ + 3840 + 425 i in (-375, frameHeight).
    const qint64 rowZero = top_ + kFirstRowTop;
    const double firstVisible = std::floor(double(-rowZero - kRowHeight) / kRowPitch) + 1;
    int row = int(std::clamp(firstVisible, 0.0, double(tape_.rowCount())));
    std::size_t used = 0;
    for (; row < tape_.rowCount() && used < rowControls_.size(); ++row) {
        const qint64 topInFrame = rowZero + qint64(row) * kRowPitch;
        if (topInFrame >= frameHeight_)
            break;
        bind(rowControls_[used++], row, int(topInFrame));
    }
    for (; used < rowControls_.size(); ++used) {
        RowControls& spare = rowControls_[used];
        if (spare.spare)
            continue;
        spare.row = -1;
        spare.spare = true;
        for (QWidget* widget : {static_cast<QWidget*>(spare.number), static_cast<QWidget*>(spare.operation),
                                static_cast<QWidget*>(spare.text), static_cast<QWidget*>(spare.formatted)}) {
            widget->setObjectName(QString());
            widget->hide();
        }
    }
}

} // namespace tallimo
