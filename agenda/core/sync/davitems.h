// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/days/datafolder.h"
#include "agenda/core/days/daynotes.h"
#include "agenda/core/formats/icalendar.h"
#include "agenda/core/sync/davstatus.h"
#include "common/folderindex.h"
#include "common/result.h"
#include "common/textfile.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

namespace quindara {

// One item as the engine compares it: a day text or a contact, from either side.
struct SyncItem {
    QString key;  // "fiesta/12-25", "recordatorionoanual/2026-01-05", "nota/...", "contacto/<file name>"
    QString what; // names it in the summary
    QByteArray hash;
    CalendarItem day;   // a calendar item
    QStringList fields; // a contact; the surname is the card's file name on the agenda side
    QString uid;        // the UID a server item carries
    // The agenda file's size and time when read, empty for a file changed within the last seconds; an item
    // whose file has the stamp the status kept is taken as unchanged without reading it (its text is then
    // not loaded, as nothing will be sent).
    QByteArray stamp;
};

// A day's text and another text as whole lines in it (its trailing line ends aside): whether the day holds
// it, the day without its last place (and the line ends the text ended with), and the day with it added on
// a new line as an import adds it (after an empty line when the day ends with a line end of its own): taking
// a text out gives back the day as it was before the text was added.
bool dayHoldsText(const QString& day, const QString& text);
QString dayWithoutText(const QString& day, const QString& text);
QString dayWithText(const QString& day, const QString& text);

// The items of one collection on the agenda's side and the way to and from the server's items. A
// calendar holds the holidays and reminders (and day notes when chosen); an address book the contacts of
// "Todos", which holds every category's.
class SyncItems {
public:
    SyncItems(const DataFolder& data, bool addressBook, bool withNotes, const QString& folderId,
              const QDate& today);

    bool addressBook() const { return addressBook_; }
    // Every item of the agenda, by key; what cannot be given away goes to `leftOut`.
    // `status` gives the file stamps and hashes the last run kept, by key.
    QHash<QString, SyncItem> local(QStringList& leftOut, const QHash<QString, SyncStatusItem>& status) const;
    // The agenda's item under `key` as it is now (read again), or an item with an empty key when gone.
    SyncItem localNow(const QString& key) const;
    // A server item as the agenda would hold it, its key not yet chosen for a contact. False with the
    // reason when the agenda cannot hold it.
    bool fromServer(const QByteArray& body, SyncItem& item, QString& reason) const;
    // The days a calendar item of the server fills, each as the agenda would hold it, with its key (a day
    // may come twice); what the import leaves out of it goes to `skipped`. False with the reason when it
    // fills none.
    bool daysFromServer(const QByteArray& body, QList<SyncItem>& days, QStringList& skipped,
                        QString& reason) const;
    // `body`, an event that repeats by a rule, with the dates of the day keys `keys` taken out of its
    // repetition (EXDATE, at the event's own time and zone); empty when it is no such event.
    QByteArray withoutDays(const QByteArray& body, const QStringList& keys) const;
    // The texts server items that fill several days added to each day, by key: taken out of what the day
    // gives away, and kept when the agenda's own text of the day is written.
    void setSharedTexts(QHash<QString, QStringList> texts) { shared_ = std::move(texts); }
    // A day's whole text as stored, shared texts included / written whole (an empty text removes it).
    QString dayText(const QString& key) const;
    common::Status storeDayText(const QString& key, const QString& text) const;
    // The key a new server contact gets on the agenda: its surname, or " (2)"... when another contact
    // (or a key in `taken` or `alsoTaken`) already has it.
    QString newContactKey(const SyncItem& item, const QSet<QString>& taken,
                          const QSet<QString>& alsoTaken) const;
    // The contact file name behind a contact key.
    QString contactName(const QString& key) const;
    // The server body for the item: `previous` (the server's version) with only what the agenda holds
    // replaced, or a new one when empty.
    QByteArray serverBody(const SyncItem& item, const QByteArray& previous) const;
    // The UID this folder gives the agenda's contact of `item` (its key).
    QString uidOf(const SyncItem& item) const;
    // A file name for a new server item.
    QString newHrefName(const SyncItem& item) const;
    QByteArray contentType() const;

    // Stages the item in `batch` as a new agenda file, when no file of its name is there yet (false: store
    // it on its own). `storedHash` is the hash the agenda reads back from that file.
    bool stageNew(const SyncItem& item, common::WriteBatch& batch, QByteArray& storedHash) const;
    // The file stageNew staged for the item is in place.
    void noteStored(const SyncItem& item) const;
    // Stores the item on the agenda (under its key) / removes it.
    common::Status store(const SyncItem& item) const;
    common::Status remove(const QString& key) const;
    // Both versions in one, the server's first, as keeping both texts does.
    SyncItem merged(const SyncItem& server, const SyncItem& agenda, const QString& separator) const;
    // The hash of an item's content, as both sides compare it.
    QByteArray hashOf(const SyncItem& item) const;

private:
    // The index of the folder of a day-text kind, listed once per run and kept current by our writes.
    common::FolderIndex& indexOf(CalendarKind kind) const;
    DayNotes& notes() const;
    // The day's text without the shared texts it holds.
    QString ownText(const QString& key, const QString& text) const;
    // The agenda's contacts / day texts of one kind, added to `items` by key (see local()).
    void addLocalContacts(QHash<QString, SyncItem>& items, QStringList& leftOut,
                          const QHash<QString, SyncStatusItem>& status) const;
    void addLocalDays(CalendarKind kind, QHash<QString, SyncItem>& items, QStringList& leftOut,
                      const QHash<QString, SyncStatusItem>& status) const;
    SyncItem asAgendaItem(const CalendarItem& day) const;
    common::Status writeDay(const CalendarItem& day) const;

    DataFolder data_;
    bool addressBook_;
    bool withNotes_;
    QString folderId_;
    QDate today_;
    mutable std::array<std::unique_ptr<common::FolderIndex>, 3> indexes_;
    mutable std::unique_ptr<DayNotes> notes_;
    QHash<QString, QStringList> shared_;
};

} // namespace quindara
