#pragma once

#include <QPushButton>

namespace common {

// A button whose face is exactly its back colour (palette role Button) with a plain raised edge, as
// the colours of the day buttons and of the calculator keys carry meaning; the platform style would
// tint them.
class ColourButton : public QPushButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColourButton)

public:
    using QPushButton::QPushButton;

    // Room between the picture and the edge, in pixels; by default an eighth of the shorter side.
    void setPictureMargin(int pixels) { pictureMargin_ = pixels; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // Edge, picture, caption and focus frame over a face of `face`.
    void paintButton(const QBrush& face);

private:
    int pictureMargin_ = -1;
};

} // namespace common
