#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QSaveFile;

namespace common {

// What a writer puts after a text: one CR LF, nothing, or blanks up to the next 14-column zone.
enum class Ending { Line, Bare, Zoned };

inline constexpr int kZoneWidth = 14;

// Blanks that carry a last line of `lastLineLength` characters on to the next zone (1 to 14).
int zonePadding(int lastLineLength);

// Bytes as stored: every well-formed UTF-8 sequence is taken as UTF-8 and every other byte as
// Windows-1252 (older installs, or one stray 8-bit byte in an otherwise UTF-8 file). A leading
// byte-order mark is not part of the text.
QString decodeText(const QByteArray& bytes);
bool startsWithByteOrderMark(const QByteArray& bytes);
inline const QByteArray kUtf8ByteOrderMark("\xEF\xBB\xBF");

// The text a user sees ("\n" between lines) as file bytes: CR LF between lines plus the ending.
QByteArray encodeText(const QString& text, Ending ending);
// The inverse of encodeText: accepts CR LF, LF or lone CR and strips exactly the ending its writer added.
QString textFromBytes(const QByteArray& bytes, Ending ending);

std::optional<QByteArray> readBytes(const QString& path);
// The same for a path as the system calls take it (a stored name's own bytes).
std::optional<QByteArray> readNativeBytes(const QByteArray& nativePath);
// Atomic replace: the old file survives any failure.
Status writeBytes(const QString& path, const QByteArray& bytes);

// The one way the programs replace a file. Built on QSaveFile, whose own writes are not enough: Qt keeps
// up to 16 KB in a buffer and, when the real write fails inside commit() (a full disk), renames the
// incomplete file over the old one without a word. Here every byte goes to the disk at once and is
// checked, and the first failure is kept with its true cause.
class AtomicFile {
public:
    explicit AtomicFile(const QString& path);
    ~AtomicFile();
    Q_DISABLE_COPY_MOVE(AtomicFile)

    bool open();
    // Writes every byte or fails; after a failure nothing more is written.
    bool write(const QByteArray& bytes);
    // Syncs and puts the file in place of the old one when every write succeeded; otherwise drops it
    // and the old file stays as it was.
    bool commit();
    // Why the first failing step failed.
    const QString& errorString() const { return error_; }

private:
    bool fail(const QString& reason);

    std::unique_ptr<QSaveFile> file_;
    QString error_;
};

// Whole text of a file, or nothing when it cannot be read. A missing file is nothing too.
std::optional<QString> readText(const QString& path, Ending ending);
// readText with a missing or unreadable file read as empty.
QString readTextOrEmpty(const QString& path, Ending ending);
// The text writers keep a byte-order mark the replaced file began with, so a load and save changes no byte.
Status writeText(const QString& path, const QString& text, Ending ending);

// Every line of the file, an empty one too; a final line without CR LF counts as a line.
QStringList readLines(const QString& path);
Status writeLines(const QString& path, const QStringList& lines);

// A success when the file is gone, also when it was not there.
Status removeFile(const QString& path);

} // namespace common
