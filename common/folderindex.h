// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/folderjournal.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ctime>
#include <vector>

struct dirent;

namespace common {

// A stored name as text: UTF-8 when its bytes are, otherwise their Windows-1252 reading; `foreign` tells
// which.
QString decodeStoredName(const QByteArray& bytes, bool& foreign);
// Whether an entry of the open folder `folder` is a regular file, or a folder; the file system is asked
// only when the entry itself does not tell (a link, or a file system that gives no types).
bool isRegularFileEntry(int folder, const dirent* entry);
bool isFolderEntry(int folder, const dirent* entry);

// Case-insensitive view of one folder's file names, listed once and answered from memory.
// Names compare case-folded and NFC-normalised, so "25 de diciembre.txt" is found as
// "25 de DICIEMBRE.txt" and "MIÉRCOLES" written in either normal form is found again.
// Hidden names (a leading dot: lock files, temporary files of atomic writes) and sub-folders are left out.
// A name whose bytes are not UTF-8 (Windows-1252 from a tree copied off another system) is indexed by
// its Windows-1252 reading and keeps its bytes, so the file is read and written under the name it has.
class FolderIndex {
public:
    explicit FolderIndex(QString folder = QString());

    const QString& folder() const { return folder_; }
    void setFolder(const QString& folder);

    // Brings the index up to date with the disk. On a local disk the kernel tells which names changed
    // since the listing, and only those are looked at; elsewhere the folder is listed again when its time
    // moved (one stat).
    void refreshIfChanged();
    // Forces a new listing.
    void refresh();
    // The program itself wrote or removed `name`: the index follows without listing the folder again.
    void noteWritten(const QString& name);
    void noteRemoved(const QString& name);

    bool contains(const QString& name) const;
    // The stored spelling of `name`, or an empty string when there is none.
    QString realName(const QString& name) const;
    // Path of the stored file matching `name`, or the path `name` would be written to. For a name stored
    // in bytes that are not UTF-8 this path shows the name but does not reach the file: use nativePathFor.
    QString pathFor(const QString& name) const;
    // The path as the system calls take it: the stored bytes of the name when there is one.
    QByteArray nativePathFor(const QString& name) const;
    // True when `name` is stored under bytes that are not UTF-8.
    bool isStoredInForeignBytes(const QString& name) const;
    // Stored names that begin with `prefix` (any case), in the folder's sort order.
    QStringList withPrefix(const QString& prefix) const;
    const QStringList& names() const;
    // Stored names whose folded form holds `foldedPart` (lower-case ASCII), found in the index's memory
    // without making a string of every name.
    QStringList namesContaining(QByteArrayView foldedPart) const;
    // Moves on whenever the stored names change: what is built from them is current while it stands still.
    quint64 generation() const { return generation_; }
    qsizetype size() const { return live_; }

    // The key under which names equal but for letter case or Unicode normal form are the same name.
    static QString foldName(const QString& name);

private:
    // How a stored name folds. Ascii and Latin1 names (nearly all) fold byte for byte into bytes of the
    // same length, so only their stored bytes are kept and they are folded again when compared; other
    // names keep their folded form (UTF-8) in the arena as well.
    enum class Fold : quint8 { Ascii, Latin1, Kept };
    // One stored name: its bytes as on disk, the hash of its folded form, and where the folded form is
    // kept when it is kept.
    struct Entry {
        quint32 storedAt;
        quint32 hash;
        quint32 foldedAt;
        quint32 storedLength;
        quint32 foldedLength;
        Fold fold;
        bool foreign; // the stored bytes are not UTF-8
        bool removed;
    };

    void list();
    // The names another program created, removed or renamed: each is looked at on disk.
    void applyChanges(const std::vector<QByteArray>& names);
    // Index of the entry stored under exactly these bytes, or -1.
    qsizetype findStored(const QByteArray& bytes) const;
    void rememberFolderTime();
    // After noteWritten or noteRemoved: the next look must not take our own change for another's.
    void followOwnChange();
    void add(const char* bytes, qsizetype length);
    void rebuildTable();
    void placeInTable(quint32 entry);
    // Index of the entry whose folded name is `folded`, or -1.
    qsizetype find(const QByteArray& folded) const;
    // True when the entry's folded name is `folded`, whose hash is `hash`.
    bool entryMatches(const Entry& entry, QByteArrayView folded, quint32 hash) const;
    bool sameFoldedName(const Entry& a, const Entry& b) const;
    QString nameOf(const Entry& entry) const;
    void namesChanged();

    QString folder_;
    QByteArray nativeFolder_;
    timespec listedModified_{};
    bool listed_ = false;
    // A listing made in the same instant as the folder's last change may have missed a change made in
    // that instant with the same time stamp; such a listing is repeated at the next look.
    bool listingTrusted_ = false;
    // Names kept as bytes in one block and found through an open-addressing table built once per
    // listing: no string or node is allocated per name, so listing costs little more than readdir.
    QByteArray arena_;
    std::vector<Entry> entries_;
    std::vector<quint32> table_; // entry index + 1; 0 is an empty slot
    qsizetype live_ = 0;
    mutable QStringList names_;
    mutable bool namesCurrent_ = true;
    quint64 generation_ = 0;
    FolderJournal journal_;
};

} // namespace common
