// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QWidget>

namespace quindara {

// The narrow vertical strip at the left edge of the day page and the two summary pages.
class DecorativeStrip : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DecorativeStrip)

public:
    // `name` is the control's name ("Picture1"); place and width in twips inside `page`.
    DecorativeStrip(const QString& name, int widthTwips, QWidget* page);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The drawing rendered for the strip's size and scale: parsing the SVG at every paint would cost
    // more than the rest of the window's repaint.
    QPixmap picture_;
};

} // namespace quindara
