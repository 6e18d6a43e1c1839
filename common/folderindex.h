#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

namespace common {

// Case-insensitive view of one folder's file names, listed once and answered from memory.
// Names compare case-folded and NFC-normalised, so "25 de diciembre.txt" is found as
// "25 de DICIEMBRE.txt" and "MIÉRCOLES" written in either normal form is found again.
class FolderIndex {
public:
    explicit FolderIndex(QString folder = QString());

    const QString& folder() const { return folder_; }
    void setFolder(const QString& folder);

    // Lists the folder again when it has changed on disk since the last listing (one stat).
    void refreshIfChanged();
    // Forces a new listing; for callers that just wrote or deleted in the folder.
    void refresh();

    bool contains(const QString& name) const;
    // The stored spelling of `name`, or an empty string when there is none.
    QString realName(const QString& name) const;
    // Path of the stored file matching `name`, or the path `name` would be written to.
    QString pathFor(const QString& name) const;
    // Stored names that begin with `prefix` (any case), in the folder's sort order.
    QStringList withPrefix(const QString& prefix) const;
    const QStringList& names() const;

    static QString foldName(const QString& name);

private:
    void list();

    QString folder_;
    QDateTime listedModified_;
    bool listed_ = false;
    mutable QStringList names_;
    mutable bool sorted_ = true;
    QHash<QString, QString> byFolded_;
};

} // namespace common
