// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace common {

// What an editor loaded from a file: enough to tell, before it writes, whether somebody else (another
// machine through a sync tool, another program) has replaced the file since.
struct FileVersion {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    // The inode's change time: every write moves it, and no program can set it back as it can the
    // modification time.
    qint64 statusChangedNs = 0;
    // SHA-1 of the bytes; time and size alone miss a same-size change within a coarse clock tick.
    QByteArray hash;

    // The version at a path given as the system calls take it (stored bytes of a name included).
    static FileVersion at(const QByteArray& nativePath);
    static FileVersion at(const QString& path);
    // The bytes are compared, not the times: a sync tool that only touches a file has changed nothing.
    bool sameContentAs(const FileVersion& other) const {
        return exists == other.exists && (!exists || hash == other.hash);
    }
    QDateTime modified() const;
};

// True when the file at `nativePath` no longer holds what `loaded` describes. One stat when its size and
// times are unchanged; the bytes are read only when they are not.
bool changedSince(const FileVersion& loaded, const QByteArray& nativePath);

// The user's answer when the text being saved was changed elsewhere since it was loaded.
enum class OutsideChoice { KeepBoth, UseMine, UseOther };

// Captions of the answers, in the order of OutsideChoice; the first is the default.
QStringList outsideChoiceCaptions();
// The question, naming what changed ("el día 5 de ENERO de 2011", "el contacto García").
QString outsideChangeQuestion(const QString& what, const QDateTime& otherTime);

// How two texts kept together are joined: a separator line between them, or, for a text that a box shows
// on one line, " / " between them.
enum class TextShape { Lines, OneLine };

// The line between the two texts kept by an answer to the question: the other text, saved elsewhere at
// `otherTime`, above; the one typed on this machine below.
QString keptBothSeparator(const QDateTime& otherTime);
// The line between the two texts kept by merging a conflict copy. Either machine's version may be the one
// the sync tool made into the copy, so the line names the copy and the file, never "this machine".
QString conflictCopySeparator(const QDateTime& copyTime);

// True when `whole` already holds `part`: as whole lines in a row, or, on one line, as whole " / " parts
// (blanks around a part do not count). An empty part is held by anything.
bool holdsText(const QString& whole, const QString& part, TextShape shape);

// `first` above `second`, joined as `shape` says. A side that the other already holds adds nothing, so
// merging the same texts again changes nothing; on one line, a part of `second` that `first` holds is
// kept once.
QString keepBothTexts(const QString& first, const QString& second, const QString& separator, TextShape shape);

// The text to store for the answer, or nothing when the other version stays as it is. Keeping both puts
// the other text first, then the separator, then this one; an empty side adds nothing.
std::optional<QString> resolveOutsideChange(OutsideChoice choice, const QString& mine, const QString& other,
                                            const QDateTime& otherTime, TextShape shape = TextShape::Lines);

} // namespace common
