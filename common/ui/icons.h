// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

namespace common {

// The drawings of both programs are compiled in as ":/icons/<name>.svg". Each program keeps its own list of
// button pictures and asks for a drawing by name; this is the mechanism that turns a name into pixels.

// How a drawing fills the size asked for: centred keeping its proportions, or stretched over all of it.
enum class IconFit { KeepProportions, FillSize };

// Resource path of a drawing, ":/icons/<name>.svg".
QString iconResource(const QString& name);

// Names of every drawing compiled in.
QStringList allDrawingNames();

// The drawing rendered into a transparent pixmap of exactly `size` device-independent pixels. Needs a
// QGuiApplication.
QPixmap iconPixmap(const QString& name, QSize size, qreal devicePixelRatio = 1.0,
                   IconFit fit = IconFit::KeepProportions);

// An icon that renders the drawing at whatever size a button asks for, once per size, scale and look.
QIcon iconFor(const QString& name);

} // namespace common
