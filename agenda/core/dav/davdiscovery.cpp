// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/dav/davdiscovery.h"

#include <QXmlStreamWriter>

namespace quindara {

namespace {

QString prop(const DavResponse& response, const QString& ns, const QString& name) {
    return response.properties.value(dav::key(ns, name)).text.trimmed();
}

// The first href of a property of the first response, resolved against the server.
QUrl hrefOf(DavClient& client, const MultiStatus& status, const QString& ns, const QString& name) {
    for (const DavResponse& response : status.responses) {
        const DavProperty found = response.properties.value(dav::key(ns, name));
        if (!found.hrefs.isEmpty())
            return client.resolved(found.hrefs.first());
    }
    return {};
}

MultiStatus propfind(DavClient& client, const QUrl& url, int depth,
                     const QList<QPair<QString, QString>>& properties) {
    const DavReply reply =
        client.send("PROPFIND", url, dav::propfindBody(properties), {{"Depth", QByteArray::number(depth)}});
    return reply.status == 207 ? dav::parseMultiStatus(reply.body) : MultiStatus();
}

QUrl withSlash(QUrl url) {
    if (!url.path().endsWith(u'/'))
        url.setPath(url.path() + u'/');
    return url;
}

} // namespace

DavDiscovery discoverCollections(const QUrl& server, const QString& user, const QString& password,
                                 const QString& acceptedFingerprint) {
    DavDiscovery found;
    DavClient client(server, user, password, acceptedFingerprint);
    const QList<QPair<QString, QString>> homes = {{dav::kDav, QStringLiteral("current-user-principal")},
                                                  {dav::kCalDav, QStringLiteral("calendar-home-set")},
                                                  {dav::kCardDav, QStringLiteral("addressbook-home-set")}};
    // The principal: from the address given, else from the well-known addresses.
    QUrl principal;
    QList<QUrl> starts = {server};
    if (server.path().isEmpty() || server.path() == u"/")
        starts = {server.resolved(QUrl(QStringLiteral("/.well-known/caldav"))),
                  server.resolved(QUrl(QStringLiteral("/.well-known/carddav"))), server};
    MultiStatus answer;
    for (const QUrl& start : std::as_const(starts)) {
        answer = propfind(client, start, 0, homes);
        if (client.failed())
            break;
        principal = hrefOf(client, answer, dav::kDav, QStringLiteral("current-user-principal"));
        if (principal.isValid())
            break;
    }
    if (!client.failed() && principal.isValid()) {
        const MultiStatus atPrincipal = propfind(client, principal, 0, homes);
        if (atPrincipal.valid)
            answer = atPrincipal;
    }
    found.calendarHome = hrefOf(client, answer, dav::kCalDav, QStringLiteral("calendar-home-set"));
    found.addressBookHome = hrefOf(client, answer, dav::kCardDav, QStringLiteral("addressbook-home-set"));
    if (!client.failed() && !found.calendarHome.isValid() && !found.addressBookHome.isValid()) {
        found.error.kind = DavErrorKind::Protocol;
        found.error.text =
            QStringLiteral("el servidor no dice dónde están los calendarios ni las direcciones");
    }
    const QList<QPair<QString, QString>> wanted = {
        {dav::kDav, QStringLiteral("resourcetype")},
        {dav::kDav, QStringLiteral("displayname")},
        {dav::kApple, QStringLiteral("calendar-color")},
        {dav::kCalDav, QStringLiteral("supported-calendar-component-set")}};
    QList<QUrl> listed;
    for (const QUrl& home : {found.calendarHome, found.addressBookHome}) {
        if (client.failed() || !home.isValid() || listed.contains(home))
            continue;
        listed.append(home);
        const MultiStatus members = propfind(client, home, 1, wanted);
        for (const DavResponse& response : members.responses) {
            const QStringList types =
                response.properties.value(dav::key(dav::kDav, QStringLiteral("resourcetype"))).children;
            DavCollection collection;
            collection.url = withSlash(client.resolved(response.href));
            collection.name = prop(response, dav::kDav, QStringLiteral("displayname"));
            if (collection.name.isEmpty())
                collection.name = collection.url.path().section(u'/', -2, -2);
            const QString colour = prop(response, dav::kApple, QStringLiteral("calendar-color"));
            // "#RRGGBBAA" as some servers give it
            collection.colour = QColor(colour.size() == 9 ? colour.left(7) : colour);
            if (types.contains(dav::key(dav::kCardDav, QStringLiteral("addressbook")))) {
                collection.addressBook = true;
                found.addressBooks.append(collection);
            } else if (types.contains(dav::key(dav::kCalDav, QStringLiteral("calendar")))) {
                const QStringList components =
                    response.properties
                        .value(dav::key(dav::kCalDav, QStringLiteral("supported-calendar-component-set")))
                        .names;
                const bool events = components.isEmpty() || components.contains(QStringLiteral("VEVENT"));
                collection.journals = components.isEmpty() || components.contains(QStringLiteral("VJOURNAL"));
                if (events)
                    found.calendars.append(collection);
            }
        }
    }
    if (client.failed())
        found.error = client.error();
    return found;
}

DavCollection quindaraCollection(const QUrl& home, bool addressBook) {
    DavCollection made;
    made.addressBook = addressBook;
    made.name = QStringLiteral("Quindara");
    made.journals = !addressBook;
    made.url = withSlash(home).resolved(
        QUrl(addressBook ? QStringLiteral("quindara-contactos/") : QStringLiteral("quindara/")));
    return made;
}

DavCollection createQuindaraCollection(const QUrl& server, const QUrl& home, bool addressBook,
                                       const QString& user, const QString& password,
                                       const QString& acceptedFingerprint, DavError& error) {
    DavClient client(server, user, password, acceptedFingerprint);
    DavCollection made = quindaraCollection(home, addressBook);
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(dav::kDav, QStringLiteral("d"));
    xml.writeNamespace(dav::kCalDav, QStringLiteral("c"));
    xml.writeNamespace(dav::kCardDav, QStringLiteral("a"));
    if (addressBook)
        xml.writeStartElement(dav::kDav, QStringLiteral("mkcol"));
    else
        xml.writeStartElement(dav::kCalDav, QStringLiteral("mkcalendar"));
    xml.writeStartElement(dav::kDav, QStringLiteral("set"));
    xml.writeStartElement(dav::kDav, QStringLiteral("prop"));
    if (addressBook) {
        xml.writeStartElement(dav::kDav, QStringLiteral("resourcetype"));
        xml.writeEmptyElement(dav::kDav, QStringLiteral("collection"));
        xml.writeEmptyElement(dav::kCardDav, QStringLiteral("addressbook"));
        xml.writeEndElement();
    }
    xml.writeTextElement(dav::kDav, QStringLiteral("displayname"), made.name);
    if (!addressBook) {
        xml.writeStartElement(dav::kCalDav, QStringLiteral("supported-calendar-component-set"));
        for (const QString& component : {QStringLiteral("VEVENT"), QStringLiteral("VJOURNAL")}) {
            xml.writeEmptyElement(dav::kCalDav, QStringLiteral("comp"));
            xml.writeAttribute(QStringLiteral("name"), component);
        }
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    const DavReply reply = client.send(addressBook ? "MKCOL" : "MKCALENDAR", made.url, body);
    if (client.failed() || !reply.ok()) {
        error = client.error();
        if (error.kind == DavErrorKind::None) {
            error.kind = DavErrorKind::Protocol;
            error.text =
                QStringLiteral("el servidor no ha creado «%1» (HTTP %2)").arg(made.name).arg(reply.status);
        }
        made.url = QUrl();
    }
    return made;
}

} // namespace quindara
