#include "calculator/ui/calculatorpictures.h"

#include <QAbstractButton>

#include <array>

namespace tallimo {

namespace {

// The drawing of a subject at a size; a null pixmap while it has none.
QPixmap pictureOf(Picture picture, QSize size) {
    switch (picture) {
    case Picture::OpAdd:
    case Picture::OpSubtract:
    case Picture::OpMultiply:
    case Picture::OpDivide:
    case Picture::OpPower:
    case Picture::OpPercent:
    case Picture::OpSquareRoot:
    case Picture::OpReciprocal:
    case Picture::OpRoot:
    case Picture::OpRemainder:
    case Picture::OpQuotient:
    case Picture::OpFactorial:
    case Picture::Undo:
    case Picture::ScrollUp:
    case Picture::ScrollDown:
    case Picture::LogCamera:
    case Picture::Eraser:
    case Picture::WrittenSum:
        break;
    }
    Q_UNUSED(size);
    return {};
}

QString standInText(Picture picture) {
    switch (picture) {
    case Picture::OpAdd:
        return QStringLiteral("+");
    case Picture::OpSubtract:
        return QStringLiteral("\u2212");
    case Picture::OpMultiply:
        return QStringLiteral("X");
    case Picture::OpDivide:
        return QStringLiteral("\u00F7");
    case Picture::OpPower:
        return QStringLiteral("X\u02B8");
    case Picture::OpPercent:
        return QStringLiteral("%");
    case Picture::OpSquareRoot:
        return QStringLiteral("\u00B2\u221A");
    case Picture::OpReciprocal:
        return QStringLiteral("1/x");
    case Picture::OpRoot:
        return QStringLiteral("\u02E3\u221A");
    case Picture::OpRemainder:
        return QStringLiteral("R\u00F7");
    case Picture::OpQuotient:
        return QStringLiteral("E\u00F7");
    case Picture::OpFactorial:
        return QStringLiteral("X!");
    case Picture::Undo:
        return QStringLiteral("\u21B6");
    case Picture::ScrollUp:
        return QStringLiteral("\u25B2");
    case Picture::ScrollDown:
        return QStringLiteral("\u25BC");
    case Picture::LogCamera:
        return QStringLiteral("Registro");
    case Picture::Eraser:
        return QStringLiteral("Borrar");
    case Picture::WrittenSum:
        return QStringLiteral("1+1");
    }
    return {};
}

} // namespace

Picture operationPicture(int code) {
    static constexpr std::array<Picture, 12> pictures{
        Picture::OpAdd,   Picture::OpSubtract,  Picture::OpMultiply,   Picture::OpDivide,
        Picture::OpPower, Picture::OpPercent,   Picture::OpSquareRoot, Picture::OpReciprocal,
        Picture::OpRoot,  Picture::OpRemainder, Picture::OpQuotient,   Picture::OpFactorial};
    return code >= 0 && code < int(pictures.size()) ? pictures[std::size_t(code)] : Picture::OpAdd;
}

void setPicture(QAbstractButton& button, Picture picture) {
    // A small margin keeps the drawing off the button's bevel.
    const QSize size = button.size() - QSize(8, 8);
    const QPixmap pixmap = pictureOf(picture, size);
    if (pixmap.isNull()) {
        button.setIcon(QIcon());
        button.setText(standInText(picture));
        return;
    }
    button.setText(QString());
    button.setIcon(QIcon(pixmap));
    button.setIconSize(size);
}

} // namespace tallimo
