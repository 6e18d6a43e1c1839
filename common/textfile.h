// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/result.h"

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

// The bytes of a regular file; nothing for a missing one, a folder, a FIFO or a device (never waited
// for), or a link out of the data folder.
std::optional<QByteArray> readBytes(const QString& path);
// The same for a path as the system calls take it (a stored name's own bytes).
std::optional<QByteArray> readNativeBytes(const QByteArray& nativePath);
// Atomic replace: the old file survives any failure.
Status writeBytes(const QString& path, const QByteArray& bytes);

// A path as the system calls take it, for a name no QString path reaches.
struct NativePath {
    QByteArray bytes;
};

// The one way the programs replace a file. The bytes go to a hidden staging file with the programs' mark
// (see leftoversavefiles.h) beside the file, every one written at once and checked, the first failure
// kept with its true cause; then one sync and a rename over the file. On any failure the staging file
// is removed and the old file stays as it was. A symbolic link is written through when it leads to a
// file inside the data folder and refused otherwise.
class AtomicFile {
public:
    explicit AtomicFile(const QString& path);
    explicit AtomicFile(NativePath path);
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
    void dropStaging();

    QByteArray path_;
    QByteArray target_;  // the file the rename replaces
    QByteArray staging_; // empty once gone or in place
    int fd_ = -1;
    QString error_;
};

// Many files written as one batch, so that a crash leaves only whole files and the disk is flushed once
// for all of them. stage() writes each file complete under a hidden staging name beside it (the same
// names AtomicFile uses, which the start-up sweep removes); commit() flushes the file systems once, then
// renames every staged file into place, then flushes the folders. A file staged as new never replaces
// one that appeared meanwhile: its commit fails with `appearedMeanwhile` set. What is not committed is
// removed when the batch goes.
class WriteBatch {
public:
    enum class Target { New, Replace };
    struct Outcome {
        Status status;
        bool appearedMeanwhile = false; // a Target::New file found a file of its name at the rename
    };

    WriteBatch() = default;
    ~WriteBatch();
    Q_DISABLE_COPY_MOVE(WriteBatch)

    // Writes `bytes` under a staging name beside `path`; nothing is replaced yet. A failure here (the disk
    // full, a name that is not a regular file) concerns this file only.
    Status stage(const QString& path, const QByteArray& bytes, Target target = Target::Replace);
    // One outcome per stage() call, in the same order; a file whose staging failed keeps that failure.
    QList<Outcome> commit();
    qsizetype size() const { return entries_.size(); }

private:
    struct Entry {
        QByteArray target;
        QByteArray staging; // empty when staging failed or once in place
        Target kind = Target::Replace;
        Status status;
    };
    QList<Entry> entries_;
};

// Whole text of a file, or nothing when it cannot be read. A missing file is nothing too.
std::optional<QString> readText(const QString& path, Ending ending);
// readText with a missing or unreadable file read as empty.
QString readTextOrEmpty(const QString& path, Ending ending);
// The text writers keep a byte-order mark the replaced file began with, so a load and save changes no byte.
Status writeText(const QString& path, const QString& text, Ending ending);
Status writeText(const NativePath& path, const QString& text, Ending ending);

// Every line of the file, an empty one too; a final line without CR LF counts as a line.
QStringList readLines(const QString& path);
Status writeLines(const QString& path, const QStringList& lines);
// The bytes writeLines stores for a new file.
QByteArray encodeLines(const QStringList& lines);

// Why a write failed, in Spanish, from the system's error number.
QString writeFailureText(int code);

// A success when the file is gone, also when it was not there.
Status removeFile(const QString& path);

} // namespace common
