// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quindara {

// The line format iCalendar and vCard share: NAME;PARAM=VALUE:value, folded, CR LF ended.

// A TEXT value with backslash, comma, semicolon and line breaks escaped.
QString escapeContentText(const QString& text);
// The inverse for one value or component: \n or \N is a line break, \x is x.
QString unescapeContentText(QStringView text);
// Splits a structured value (N, ADR) at unescaped semicolons, each part unescaped.
QStringList splitStructuredValue(QStringView value);

// The line as UTF-8, folded so that no line exceeds 75 octets (never inside a character), CR LF ended.
// Control characters the formats do not allow (see forbiddenControlAt) are left out.
QByteArray foldedContentLine(const QString& line);

// Where the line holds a control character neither format allows in a line (any C0 character but the
// tab, and DEL), or -1.
qsizetype forbiddenControlAt(QStringView line);
qsizetype forbiddenControlAt(QByteArrayView line);
// The line without them.
QString withoutForbiddenControls(const QString& line);
QByteArray withoutForbiddenControls(const QByteArray& line);
// Why an item holding `c` is left out of an import, in Spanish.
QString forbiddenControlReason(char16_t c);

} // namespace quindara
