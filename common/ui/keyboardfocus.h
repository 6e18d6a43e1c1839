// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

class QWidget;

namespace common {

// Makes a window usable without a mouse: the focused control wears a frame two pixels wide that stands out
// from the control's face and from the window around it, and Tab goes through the controls in the order
// they are read on the screen. Call once the window's controls are built.
void useFromKeyboard(QWidget& window);

// Chains the window's Tab stops in reading order: rows from top to bottom, each row from left to right, and
// the controls of a group (a page, one month of the year) all before the next group. Controls without size
// are taken out of the chain; hidden ones Tab skips by itself. Call again after controls are made or moved.
void orderTabStops(QWidget& window);

// The contrast ratio of two colours as accessibility guidelines measure it, from 1 to 21.
double contrastRatio(const QColor& first, const QColor& second);

} // namespace common
