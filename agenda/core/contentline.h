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
QByteArray foldedContentLine(const QString& line);

} // namespace quindara
