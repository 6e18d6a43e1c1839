// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/result.h"

#include <QString>
#include <QStringList>

namespace common {

// `relative` uses '/' between parts ("dias/x.txt"); the result is a path under `programFolder`. Each part
// that exists in another letter case ("FIESTAS", "Dias", a tree copied from another system) takes the
// stored spelling, so the existing file or folder is used rather than a new one made beside it.
QString programPath(const QString& programFolder, const QString& relative);

// Creates every missing folder of the list (relative to the program folder, found in any letter case);
// a failure names the first folder that could not be made.
Status ensureFolders(const QString& programFolder, const QStringList& relativeFolders);

// Room left under the usual 255-byte limit for the folder parts and the atomic writer's temporary suffix.
inline constexpr int kMaxFileNameBytes = 200;

// A name typed by the user that becomes one file or folder name: not empty, no separators, no "." or
// "..", no control characters, none of the characters or device names (CON, NUL, ...) other systems
// refuse, and at most kMaxFileNameBytes bytes of UTF-8.
bool isSafeFileName(const QString& name);

// Why the Windows machines that share the folder could not keep a new file of this name, or an empty
// string: a name ending in a dot or a blank, or holding invisible characters or ones that turn the text's
// direction. Such files already stored stay readable: isSafeFileName accepts them.
QString windowsNameProblem(const QString& name);
// The name without those characters and without dots and blanks at its end.
QString windowsSafeName(const QString& name);
// The characters no file name may hold (/ \ : * ? " < > |) replaced by look-alikes any system accepts
// (∕ ⧵ ꞉ ∗ ？ “ ” ‹ › ∣), control characters left out. `replaced` receives those that were there.
QString withLookAlikes(const QString& name, QString* replaced = nullptr);

} // namespace common
