// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/contacts/addressbookfolder.h"
#include "agenda/core/days/datafolder.h"
#include "agenda/core/search/searchtext.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace quindara {

// In the order results of one day are listed.
enum class SearchKind { Holiday, YearlyReminder, Saint, OneYearReminder, DayNote, PadNote, Contact };

// One result: what it is, where to open it, and the line the result list shows.
struct SearchHit {
    SearchKind kind = SearchKind::DayNote;
    // The day to open. Year 0 for what comes back every year (holidays, yearly reminders, saints):
    // the page picks that day in the year it shows. All zero when the file name holds no day.
    int year = 0;
    int month = 0;
    int day = 0;
    // Pad notes: the moment of the save their name holds.
    QDateTime savedAt;
    // Contacts: the category folder as stored ("Todos" only for cards left there alone).
    QString category;
    // The file as stored: a contact's card (its surname), a pad note's name, a day's key + ".txt".
    QString fileName;
    QString path;
    // "MIÉRCOLES, 5 de ENERO de 2011 — nota", "6 de ENERO — fiesta", "Amigos/Gómez Pérez", "Nota
    // 2011-1-5--9-7".
    QString where;
    // The text around the first match, on one line; for a contact its name, then the field that matched.
    QString excerpt;
    // What the result list shows: where, ": " and the excerpt ("Contacto: Gómez Pérez, Ana" for contacts).
    QString display;

    QDate date() const { return year > 0 ? QDate(year, month, day) : QDate(); }
    // The first column of the command line: ISO date ("2011-01-05", "2011-01-05T09:07"), "--01-06" for a
    // yearly day, or the kind's word when the result holds no day (contacts).
    QString isoDateOrKind() const;
};

// The day a hit of a day's file opens: what comes back every year opens in `shownYear`, and 29 February of
// a year without it in the nearest leap year of the agenda (the later one of two as near). Nothing for a
// hit that names no day.
std::optional<QDate> dayOfHit(const SearchHit& hit, int shownYear);

class SearchIndex {
public:
    explicit SearchIndex(const DataFolder& data);

    // Runs the query and keeps every result, newest first: notes, reminders and pad notes by their day
    // and minute, what comes back every year at its day of `shownYear` (the day it opens), the results of
    // one day in the order of SearchKind; then contacts by name. No file is read: hitAt() describes a
    // result when it is shown. Returns how many matched.
    qsizetype find(const QString& typed, int shownYear);
    qsizetype matchCount() const { return qsizetype(ordered_.size()); }
    // Result `row` of the last find(), its excerpt read from its file now.
    SearchHit hitAt(qsizetype row) const;
    // find() with every result described.
    QList<SearchHit> search(const QString& typed, int shownYear);

    // The program wrote or removed a file under the data folder (call it for each copy of a contact);
    // other paths are ignored. A write also drops the file's old spelling in another letter case.
    void fileWritten(const QString& path);
    void fileRemoved(const QString& path);

    // Lists again the folders that changed on disk since they were last seen.
    void refreshIfChanged();

    // What is held: the documents, and the bytes of their folded text (for the memory budget).
    qsizetype documentCount() const;
    qsizetype textBytes() const;

private:
    struct Folder {
        QString path;
        SearchKind kind = SearchKind::DayNote;
        QString category;
        bool allContacts = false;
        bool present = true;
        bool listed = false;
        qint64 knownModified = -1; // nanoseconds
        // Its documents' ids, sorted by file name.
        std::vector<int> byName;
    };
    // Kept small: there is one per file of the agenda.
    struct Document {
        QByteArray name; // as the file system stores it
        QByteArray folded;
        qint64 stamp = 0; // size and change time: a new value means the file must be read again
        qint32 order = 0;
        qint16 folder = -1;
        bool alive = false;
        bool loaded = false;
        bool shadowed = false;
        bool seen = false;
    };

    void addFolder(const QString& path, SearchKind kind, const QString& category = QString());
    void refreshCategories();
    void refreshFolder(int folder);
    void listFolder(int folder);
    void dropFolder(int folder);
    int folderOf(const QString& path);
    std::vector<int>::iterator findByName(Folder& folder, const QByteArray& name);
    // `dirFd`: the folder, open, when the caller is listing it. `reread`: read the file even when its
    // size and time look unchanged (a save within the file system's time granularity).
    void updateFile(int folder, const QByteArray& name, qint64 stamp, int dirFd = -1, bool reread = false);
    void removeDocument(int folder, const QByteArray& name);
    void load(Document& doc, int dirFd = -1);
    void resolveContactCopies();
    void changed() { ++generation_; }
    void orderYearlyDays(int shownYear);
    qint32 effectiveOrder(const Document& doc) const;
    bool before(int a, int b) const;
    SearchHit describe(int folder, const QByteArray& name, const SearchQuery& query) const;

    DataFolder data_;
    QString contactsRoot_;
    // Lists the categories, those named in bytes that are not UTF-8 included, and keeps them reachable.
    AddressBookFolder book_;
    qint64 knownContactsModified_ = -1;
    bool started_ = false;
    bool contactsChanged_ = false;
    std::vector<Folder> folders_;
    std::vector<Document> docs_;
    std::vector<int> freeDocs_;
    quint64 generation_ = 0;

    // The previous query and what it found: a query that narrows it only looks at those documents.
    SearchQuery lastQuery_;
    std::vector<int> lastHits_;
    quint64 lastGeneration_ = 0;

    // The last find()'s results in order, as folder and stored name: they stay describable whatever the
    // index learns afterwards.
    struct Match {
        QByteArray name;
        int folder = -1;
    };
    std::vector<Match> ordered_;
    // Where each yearly day (month * 32 + day) goes among the dated results of the shown year.
    std::vector<qint32> yearlyOrders_;
    int yearlyOrdersYear_ = 0;
};

} // namespace quindara
