#pragma once

#include "common/icons.h"

class QAbstractButton;

namespace tallimo {

// The picture of operation `code`, as the hidden Image1 array held it.
common::Icon operationPicture(int code);

// Puts the drawing on the button, sized to fit inside its bevel.
void setPicture(QAbstractButton& button, common::Icon picture);

} // namespace tallimo
