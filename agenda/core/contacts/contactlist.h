// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringMatcher>

#include <string>
#include <string_view>

#include <tuple>
#include <utility>
#include <vector>

namespace quindara {

// Names in one block of UTF-16 text, each a span of it: a folder of tens of thousands of names costs
// a few allocations, not one string per name.
class NameBlock {
public:
    qsizetype size() const { return qsizetype(spans_.size()); }
    std::u16string_view at(qsizetype i) const {
        const Span& span = spans_[size_t(i)];
        return {text_.data() + span.at, span.length};
    }
    QString name(qsizetype i) const;
    void append(std::u16string_view name);
    void append(const QString& name);
    // Appends the name a file system gives as bytes, read as QFile::decodeName reads it.
    void appendEncoded(const char* bytes, std::size_t length);
    // Whether some name may hold `marker` (a match across two neighbouring names counts too).
    bool mayContain(const QStringMatcher& marker) const;
    QStringList toStringList() const;

private:
    struct Span {
        quint32 at = 0;
        quint32 length = 0;
    };
    std::u16string text_;
    std::vector<Span> spans_;
};

// The contact names of one category, kept folded (any case, one normal form) and sorted by the folded
// text, so that the names beginning with a typed text are one run of rows found by binary search:
// nothing per keystroke grows with the number of contacts.
class ContactNameIndex {
public:
    // Takes the names of a folder; hidden ones (a leading dot) are left out.
    void setNames(const QStringList& names);
    void setNames(NameBlock names);

    qsizetype size() const { return qsizetype(keys_.size()); }
    QString name(qsizetype row) const { return names_.name(keys_[size_t(row)].source); }
    // Rows [first, last) whose names begin with `prefix` in any case; all rows for an empty prefix.
    std::pair<qsizetype, qsizetype> prefixRange(const QString& prefix) const;
    // Row of the name written in any case (the exact spelling first when several differ only in case),
    // or -1.
    qsizetype find(const QString& name) const;

private:
    // A name's folded text in folded_, and while sorting four of its folded code units as one integer,
    // so that sorting compares integers: names filed by surname share their first letters by the
    // hundred.
    struct Key {
        quint64 chunk = 0;
        quint32 foldedAt = 0;
        quint32 foldedLength = 0;
        quint32 source = 0; // place in names_
    };
    std::u16string_view foldedOf(const Key& key) const {
        return {folded_.data() + key.foldedAt, key.foldedLength};
    }
    qsizetype lowerBound(std::u16string_view folded) const;
    // Sorts keys that share their first `depth` chunks (4 * depth folded code units) and hold chunk
    // `depth` in `chunk`.
    void sortFrom(std::vector<Key>::iterator first, std::vector<Key>::iterator last, std::size_t depth);

    // Every folded name in one block, like the names themselves.
    std::u16string folded_;
    std::vector<Key> keys_;
    NameBlock names_;
};

// File names of a folder's regular files, read from the directory alone (no file information per name).
NameBlock fileNameBlockIn(const QString& folder);
QStringList fileNamesIn(const QString& folder);

// The list of contacts of the shown category (File2): the folder listed once, then shown as the run of
// names that begin with the search text.
class ContactListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    const QString& folder() const { return folder_; }
    // Points at a category folder ("" for none) and lists it.
    void setFolder(const QString& folder);
    // Lists the folder again.
    void relist();
    // Lists the folder again only when it changed on disk since the last listing (one look at it).
    void relistIfChanged();
    // Shows only the names beginning with `prefix`, in any case.
    void setPrefix(const QString& prefix);

    // The stored spelling of a contact named in any case, or an empty string.
    QString realName(const QString& name) const;
    // The file of a contact: its stored spelling when it exists.
    QString pathFor(const QString& name) const;
    // Row shown for the stored name, or -1 when it is not shown.
    int rowOf(const QString& name) const;
    QString nameAt(int row) const;
    // Conflict copies a sync tool left of the contact `name`: never listed as contacts of their own, the
    // contact's row shows that it has them.
    QStringList conflictCopiesOf(const QString& name) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // Without the two virtual calls of the general way: the view asks for the index of every row each
    // time it lays the list out.
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void listFolder();
    void showRange();

    QString folder_;
    QDateTime listedModified_;
    QString prefix_;
    ContactNameIndex index_;
    QHash<QString, QStringList> copies_;
    qsizetype first_ = 0;
    qsizetype last_ = 0;
};

} // namespace quindara
