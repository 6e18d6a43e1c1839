#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace common {

// What a writer puts after a text: one CR LF, nothing, or blanks up to the next 14-column zone.
enum class Ending { Line, Bare, Zoned };

inline constexpr int kZoneWidth = 14;

// Blanks that carry a last line of `lastLineLength` characters on to the next zone (1 to 14).
int zonePadding(int lastLineLength);

// Bytes as stored: valid UTF-8 is taken as UTF-8, anything else as Windows-1252 (older installs).
QString decodeText(const QByteArray& bytes);

// The text a user sees ("\n" between lines) as file bytes: CR LF between lines plus the ending.
QByteArray encodeText(const QString& text, Ending ending);
// The inverse of encodeText: accepts CR LF, LF or lone CR and strips exactly the ending its writer added.
QString textFromBytes(const QByteArray& bytes, Ending ending);

std::optional<QByteArray> readBytes(const QString& path);
// Atomic replace: the old file survives any failure. Returns false (and fills error) when it did not happen.
bool writeBytes(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Whole text of a file, or nothing when it cannot be read. A missing file is nothing too.
std::optional<QString> readText(const QString& path, Ending ending);
// readText with a missing or unreadable file read as empty.
QString readTextOrEmpty(const QString& path, Ending ending);
bool writeText(const QString& path, const QString& text, Ending ending, QString* error = nullptr);

// Every line of the file, an empty one too; a final line without CR LF counts as a line.
QStringList readLines(const QString& path);
bool writeLines(const QString& path, const QStringList& lines, QString* error = nullptr);

bool removeFile(const QString& path);

} // namespace common
