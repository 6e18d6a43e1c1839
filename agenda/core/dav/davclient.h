// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace quindara {

// Why talking to the server stopped, for the summary and the exit code.
enum class DavErrorKind {
    None,
    WrongPassword,         // 401
    Forbidden,             // 403
    StorageFull,           // 507
    Unreachable,           // no connection, a timeout, the server went away
    CertificateNotTrusted, // HTTPS with a certificate the system does not trust (fingerprint kept)
    InsecureAddress,       // plain HTTP to a machine other than this one
    Cancelled,
    Protocol, // an answer that makes no sense
};

struct DavError {
    DavErrorKind kind = DavErrorKind::None;
    QString text; // Spanish, for the summary
    // SHA-256 of the refused certificate, as upper-case hexadecimal pairs joined by ':'.
    QString fingerprint;
    // The network library's own (English) words for a request that got no answer: for the log, never
    // for the user.
    QString detail;
};

// One HTTP answer.
struct DavReply {
    int status = 0; // 0 when no answer came
    QByteArray body;
    QByteArray etag;
    QUrl url;
    bool ok() const { return status >= 200 && status < 300; }
};

// One property of a WebDAV answer: its text, the hrefs inside it, the names of its child elements and
// the `name` attributes of its children (supported-calendar-component-set).
struct DavProperty {
    QString text;
    QStringList hrefs;
    QStringList children;
    QStringList names;
};

struct DavResponse {
    QString href;
    int status = 200; // the response's own status (a removed member in sync-collection is 404)
    QHash<QString, DavProperty> properties; // "{namespace}name" of the properties found (200)
};

struct MultiStatus {
    bool valid = false;
    QList<DavResponse> responses;
    QString syncToken;
};

namespace dav {
inline const QString kDav = QStringLiteral("DAV:");
inline const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");
inline const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
inline const QString kApple = QStringLiteral("http://apple.com/ns/ical/");
QString key(const QString& ns, const QString& name);
MultiStatus parseMultiStatus(const QByteArray& body);
// A PROPFIND body asking for the properties given as {namespace, name}.
QByteArray propfindBody(const QList<QPair<QString, QString>>& properties);
} // namespace dav

// How long a server may stay silent, connecting or in the middle of an answer, before the request is given
// up as unreachable.
inline constexpr int kDavAnswerTimeoutMs = 20 * 1000;

// A blocking WebDAV client over QNetworkAccessManager: each call waits for its answer in a local event
// loop, so the engine reads as a plain sequence. The password goes preemptively as Basic authentication,
// which is only allowed over HTTPS or to this machine. Certificates are verified; one whose SHA-256
// fingerprint was accepted before is let through.
class DavClient {
public:
    DavClient(const QUrl& server, const QString& user, const QString& password,
              const QString& acceptedFingerprint = {}, int answerTimeoutMs = kDavAnswerTimeoutMs);
    ~DavClient();
    DavClient(const DavClient&) = delete;
    DavClient& operator=(const DavClient&) = delete;

    using Headers = QList<QPair<QByteArray, QByteArray>>;

    // Sends one request; redirections are followed with the same verb. A failure that stops the whole
    // run (see DavErrorKind) is kept in error(); others come back as the reply's status.
    DavReply send(const QByteArray& verb, const QUrl& url, const QByteArray& body = {},
                  const Headers& headers = {});
    // Several requests at once, answered in their order (one round trip for independent listings).
    QList<DavReply> sendAll(const QList<QPair<QUrl, QByteArray>>& propfindsOrReports, const QByteArray& verb,
                            const Headers& headers);

    const DavError& error() const { return error_; }
    bool failed() const { return error_.kind != DavErrorKind::None; }
    int requestCount() const { return requests_; }
    QUrl resolved(const QString& href) const { return server_.resolved(QUrl(href)); }
    const QUrl& server() const { return server_; }
    void setCancelled(std::function<bool()> cancelled) { cancelled_ = std::move(cancelled); }

private:
    class Batch;

    bool allowed(const QUrl& url);
    void fail(DavErrorKind kind, const QString& text);

    QUrl server_;
    QByteArray authorization_;
    QString accepted_;
    int answerTimeoutMs_;
    std::unique_ptr<QNetworkAccessManager> network_;
    std::function<bool()> cancelled_;
    DavError error_;
    int requests_ = 0;
};

// Spanish words for an error kind, without the details.
QString davErrorText(DavErrorKind kind);

} // namespace quindara
