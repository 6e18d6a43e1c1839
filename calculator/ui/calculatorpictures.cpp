#include "calculator/ui/calculatorpictures.h"

#include "common/ui/colourbutton.h"

#include <QAbstractButton>

namespace tallimo {

namespace {
// Room left between the drawing and the button's edge.
constexpr int kMargin = 6;
} // namespace

common::Icon operationPicture(int code) {
    return common::operationIcon(code).value_or(common::Icon::OpAdd);
}

void setPicture(QAbstractButton& button, common::Icon picture) {
    button.setText(QString());
    button.setIcon(common::iconFor(picture));
    button.setIconSize(button.size() - QSize(kMargin, kMargin));
    if (auto* coloured = qobject_cast<common::ColourButton*>(&button))
        coloured->setPictureMargin(kMargin / 2);
}

} // namespace tallimo
