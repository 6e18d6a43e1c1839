// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator/ui/calculatorpictures.h"

#include "calculator/core/operations.h"
#include "common/ui/controls.h"
#include "common/ui/icons.h"

#include <QAbstractButton>

#include <array>

namespace tallimo {

namespace {

// Room left between the drawing and the key's edge, each side.
constexpr int kMargin = 3;

// Same order as the enum.
constexpr std::array kDrawings{
    u"calculator",     u"undo",          u"written-sum", u"log-camera",   u"eraser",      u"blue-up",
    u"blue-down",      u"camera",        u"printer",     u"notepad",      u"clipboard",   u"text-size",
    u"op-add",         u"op-subtract",   u"op-multiply", u"op-divide",    u"op-power",    u"op-percent",
    u"op-square-root", u"op-reciprocal", u"op-root",     u"op-remainder", u"op-quotient", u"op-factorial",
};
static_assert(kDrawings.size() == std::size_t(Picture::OpFactorial) + 1, "every picture needs its drawing");
static_assert(int(Picture::OpFactorial) - int(Picture::OpAdd) + 1 == kOperationCount,
              "one picture per operation");

} // namespace

QList<Picture> allPictures() {
    QList<Picture> pictures;
    for (std::size_t index = 0; index < kDrawings.size(); ++index)
        pictures.append(Picture(index));
    return pictures;
}

QString drawingName(Picture picture) {
    return QString::fromUtf16(kDrawings.at(std::size_t(picture)));
}

QIcon pictureIcon(Picture picture) {
    return common::iconFor(drawingName(picture));
}

Picture operationPicture(int code) {
    if (code < 0 || code >= kOperationCount)
        return Picture::OpAdd;
    return Picture(int(Picture::OpAdd) + code);
}

QString operationName(int code) {
    static const char* const kNames[kOperationCount] = {
        "suma",          "resta",   "multiplicación", "división", "potencia",        "porcentaje",
        "raíz cuadrada", "inverso", "raíz",           "resto",    "cociente entero", "factorial"};
    return code >= 0 && code < kOperationCount ? QString::fromUtf8(kNames[code]) : QString();
}

void setPicture(QAbstractButton& button, Picture picture) {
    common::setPicture(&button, pictureIcon(picture), kMargin);
}

} // namespace tallimo
