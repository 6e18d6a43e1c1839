// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "agenda/core/dav/davclient.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QUrl>

namespace quindara {

// A calendar or address book of the server.
struct DavCollection {
    QUrl url;
    QString name;
    QColor colour; // invalid when the server gives none
    bool addressBook = false;
    bool journals = false; // the calendar takes journal entries (day notes)
};

struct DavDiscovery {
    DavError error;
    QList<DavCollection> calendars; // those that hold events; calendars of tasks only are not offered
    QList<DavCollection> addressBooks;
    QUrl calendarHome;
    QUrl addressBookHome;
};

// Finds the user's calendars and address books: /.well-known/caldav and /carddav, the current user's
// principal, its calendar and address-book homes, then the collections in them.
DavDiscovery discoverCollections(const QUrl& server, const QString& user, const QString& password,
                                 const QString& acceptedFingerprint = {});

// The collection named "Quindara" that createQuindaraCollection() makes in `home`.
DavCollection quindaraCollection(const QUrl& home, bool addressBook);
// Makes a collection named "Quindara" in `home` (MKCALENDAR or an extended MKCOL); invalid url on failure.
DavCollection createQuindaraCollection(const QUrl& server, const QUrl& home, bool addressBook,
                                       const QString& user, const QString& password,
                                       const QString& acceptedFingerprint, DavError& error);

} // namespace quindara
