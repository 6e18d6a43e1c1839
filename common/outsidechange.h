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

// The line that separates the two texts kept together, naming the time of the other one.
QString keptBothSeparator(const QDateTime& otherTime);

// The text to store for the answer, or nothing when the other version stays as it is. Keeping both puts
// the other text first, then the separator, then this one; an empty side adds nothing.
std::optional<QString> resolveOutsideChange(OutsideChoice choice, const QString& mine, const QString& other,
                                            const QDateTime& otherTime);

} // namespace common
