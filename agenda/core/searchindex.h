#pragma once

#include "agenda/core/datafolder.h"
#include "agenda/core/searchtext.h"

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
// a year without it on the 28th. Nothing for a hit that names no day.
std::optional<QDate> dayOfHit(const SearchHit& hit, int shownYear);

// A searchable copy of every text of the agenda: day notes, holidays, reminders, saints, pad notes and
// contacts. Each document's text is kept once, folded for matching; a result's excerpt is read from its
// file when it is shown. Built from one listing of each folder on the first search, then kept current by
// the program's own saves (fileWritten / fileRemoved) and, for outside changes, by the folders' change
// times: only a folder whose time moved is listed again, and only its files whose size or time moved are
// read again.
class SearchIndex {
public:
    static constexpr int kShownResults = 200;

    explicit SearchIndex(const DataFolder& data);

    // Results newest first: days that come back every year (in calendar order), then dated notes,
    // reminders and pad notes from the newest, then contacts by name. At most `limit` are described
    // (a negative limit: all); matchCount() tells how many matched.
    QList<SearchHit> search(const QString& typed, int limit = kShownResults);
    qsizetype matchCount() const { return lastHits_.size(); }

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
    bool before(int a, int b) const;
    SearchHit describe(const Document& doc, const SearchQuery& query) const;

    DataFolder data_;
    QString contactsRoot_;
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
};

} // namespace quindara
