// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QRect>
#include <QSize>

namespace common {

inline constexpr int kTwipsPerPixel = 15;

constexpr int twips(int value) {
    return (value + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}
inline QSize twipsSize(int width, int height) {
    return QSize(twips(width), twips(height));
}

// Colours are stored as 0x00BBGGRR, red in the lowest byte.
inline QColor bgrColour(quint32 value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}
inline quint32 bgrValue(const QColor& colour) {
    return quint32(colour.red()) | (quint32(colour.green()) << 8) | (quint32(colour.blue()) << 16);
}

} // namespace common
