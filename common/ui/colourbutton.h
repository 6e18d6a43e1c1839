// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPixmap>
#include <QPushButton>

#include <optional>

namespace common {

// A button whose face is exactly its back colour with a plain raised edge, as the colours of the day
// buttons and of the calculator keys carry meaning; the platform style would tint them. The colour is kept
// in a field of its own rather than the palette: the year overview recolours hundreds of day buttons per
// redraw, and a palette change per button costs several times the rest of the drawing. Until a colour is
// set the face is the toolkit's button colour.
class ColourButton : public QPushButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColourButton)

public:
    explicit ColourButton(QWidget* parent = nullptr);
    explicit ColourButton(const QString& text, QWidget* parent = nullptr);

    QColor backColour() const { return backColour_.value_or(palette().color(QPalette::Button)); }
    void setBackColour(const QColor& colour);

    // Room between the picture and the edge, in pixels; by default an eighth of the shorter side.
    void setPictureMargin(int pixels) { pictureMargin_ = pixels; }
    int pictureMargin() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textRect(bool sunken) const;
    QColor textColour() const;
    // Edges, face, drawing and text.
    void paintPicture(QPainter& painter, bool sunken) const;
    QPixmap keptPicture(bool sunken) const;

    std::optional<QColor> backColour_;
    int pictureMargin_ = -1;
};

} // namespace common
