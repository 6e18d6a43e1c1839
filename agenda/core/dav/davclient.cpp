// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/dav/davclient.h"

#include "agenda/core/dav/logging.h"
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslError>
#include <QTimer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <vector>

namespace quindara {

namespace {

constexpr int kMaxRedirects = 5;

bool isLoopback(const QString& host) {
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

QString fingerprintOf(const QSslCertificate& certificate) {
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

void readProperty(QXmlStreamReader& xml, DavProperty& property) {
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (depth == 1) {
                property.children.append(dav::key(xml.namespaceUri().toString(), xml.name().toString()));
                if (xml.attributes().hasAttribute(QStringLiteral("name")))
                    property.names.append(xml.attributes().value(QStringLiteral("name")).toString());
            }
            if (xml.namespaceUri() == dav::kDav && xml.name() == u"href")
                property.hrefs.append(xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
            else
                ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (depth == 1)
                property.text += xml.text();
            break;
        default:
            break;
        }
    }
}

int statusCode(const QString& line) {
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = line.trimmed().split(u' ', Qt::SkipEmptyParts);
    return parts.size() >= 2 ? parts.at(1).toInt() : 0;
}

void readResponse(QXmlStreamReader& xml, DavResponse& response) {
    while (xml.readNextStartElement()) {
        const bool inDav = xml.namespaceUri() == dav::kDav;
        if (inDav && xml.name() == u"href") {
            response.href = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (inDav && xml.name() == u"status") {
            response.status = statusCode(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (inDav && xml.name() == u"propstat") {
            QHash<QString, DavProperty> found;
            int status = 200;
            while (xml.readNextStartElement()) {
                if (xml.namespaceUri() == dav::kDav && xml.name() == u"prop") {
                    while (xml.readNextStartElement()) {
                        DavProperty property;
                        const QString name = dav::key(xml.namespaceUri().toString(), xml.name().toString());
                        readProperty(xml, property);
                        found.insert(name, property);
                    }
                } else if (xml.namespaceUri() == dav::kDav && xml.name() == u"status") {
                    status = statusCode(xml.readElementText(QXmlStreamReader::IncludeChildElements));
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (status >= 200 && status < 300)
                response.properties.insert(found);
        } else {
            xml.skipCurrentElement();
        }
    }
}

// Spanish words for why a request got no answer; the network library's own words go to the log only.
QString unansweredText(QNetworkReply::NetworkError error, const QString& host) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("el servidor rechaza la conexión: compruebe la dirección y el puerto");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("no se encuentra el servidor «%1»: compruebe la dirección").arg(host);
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // what the answer timeout ends a request with
        return QStringLiteral("el servidor no contesta");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("el servidor ha cortado la conexión");
    case QNetworkReply::SslHandshakeFailedError:
        // Refused by TLS itself: no https server at that address, or none this system can talk to.
        return QStringLiteral("no se puede establecer una conexión cifrada (https) con el servidor");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
        return QStringLiteral("no hay conexión a la red");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::UnknownProxyError:
        return QStringLiteral("no se puede pasar por el proxy de la red");
    default:
        break;
    }
    return davErrorText(DavErrorKind::Unreachable);
}

} // namespace

namespace dav {

QString key(const QString& ns, const QString& name) {
    return u'{' + ns + u'}' + name;
}

MultiStatus parseMultiStatus(const QByteArray& body) {
    MultiStatus result;
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || xml.namespaceUri() != kDav || xml.name() != u"multistatus")
        return result;
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() == kDav && xml.name() == u"response") {
            DavResponse response;
            readResponse(xml, response);
            result.responses.append(response);
        } else if (xml.namespaceUri() == kDav && xml.name() == u"sync-token") {
            result.syncToken = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else {
            xml.skipCurrentElement();
        }
    }
    result.valid = !xml.hasError();
    if (xml.hasError())
        qCWarning(lcDav) << "unreadable multistatus:" << xml.errorString();
    return result;
}

QByteArray propfindBody(const QList<QPair<QString, QString>>& properties) {
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(kDav, QStringLiteral("d"));
    xml.writeNamespace(kCalDav, QStringLiteral("c"));
    xml.writeNamespace(kCardDav, QStringLiteral("a"));
    xml.writeNamespace(kApple, QStringLiteral("i"));
    xml.writeStartElement(kDav, QStringLiteral("propfind"));
    xml.writeStartElement(kDav, QStringLiteral("prop"));
    for (const auto& [ns, name] : properties)
        xml.writeEmptyElement(ns, name);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return body;
}

} // namespace dav

QString davErrorText(DavErrorKind kind) {
    switch (kind) {
    case DavErrorKind::None:
        return {};
    case DavErrorKind::WrongPassword:
        return QStringLiteral("el servidor no acepta el usuario o la contraseña");
    case DavErrorKind::Forbidden:
        return QStringLiteral("el servidor no permite hacerlo a este usuario");
    case DavErrorKind::StorageFull:
        return QStringLiteral("el servidor no tiene sitio para guardar más");
    case DavErrorKind::Unreachable:
        return QStringLiteral("no se puede conectar con el servidor");
    case DavErrorKind::CertificateNotTrusted:
        return QStringLiteral("el certificado del servidor no es de confianza");
    case DavErrorKind::InsecureAddress:
        return QStringLiteral("sin cifrar (http) solo se admite un servidor de este mismo equipo; use https");
    case DavErrorKind::Cancelled:
        return QStringLiteral("se ha cancelado");
    case DavErrorKind::Protocol:
        break;
    }
    return QStringLiteral("el servidor ha dado una respuesta que no se entiende");
}

DavClient::DavClient(const QUrl& server, const QString& user, const QString& password,
                     const QString& acceptedFingerprint, int answerTimeoutMs)
    : server_(server), accepted_(acceptedFingerprint.toUpper()), answerTimeoutMs_(answerTimeoutMs),
      network_(new QNetworkAccessManager) {
    if (!user.isEmpty())
        authorization_ = "Basic " + (user.toUtf8() + ':' + password.toUtf8()).toBase64();
    network_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

DavClient::~DavClient() = default;

void DavClient::fail(DavErrorKind kind, const QString& text) {
    if (error_.kind != DavErrorKind::None)
        return;
    error_.kind = kind;
    // Not logged: the error goes back to whoever runs the sync, which tells the user.
    error_.text = text.isEmpty() ? davErrorText(kind) : text;
}

bool DavClient::allowed(const QUrl& url) {
    if (url.scheme() == u"https")
        return true;
    if (url.scheme() == u"http" && isLoopback(url.host()))
        return true;
    fail(DavErrorKind::InsecureAddress, {});
    return false;
}

DavReply DavClient::send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                         const Headers& headers) {
    return sendAll({{url, body}}, verb, headers).value(0);
}

// The requests of one sendAll on their way: each started, followed through its redirections and read when
// it ends, while a local event loop waits for the last one.
class DavClient::Batch {
public:
    Batch(DavClient& client, const QList<QPair<QUrl, QByteArray>>& requests, const QByteArray& verb,
          const Headers& headers)
        : client_(client), requests_(requests), verb_(verb), headers_(headers), replies_(requests.size()),
          pending_(size_t(requests.size())) {}

    QList<DavReply> run();

private:
    struct Pending {
        QUrl url;
        int redirects = 0;
        QNetworkReply* reply = nullptr;
        QString refusedFingerprint;
    };

    QNetworkRequest request(qsizetype i) const;
    void start(qsizetype i);
    // Lets a certificate through when its fingerprint is the accepted one; otherwise keeps the fingerprint
    // for the error.
    void checkCertificate(Pending& p, const QList<QSslError>& errors);
    void finished(qsizetype i);
    // Starts the request again at the address a redirection gives, with the same verb.
    bool redirected(qsizetype i, const QNetworkReply& reply, int status);
    void unanswered(const Pending& p, const QNetworkReply& reply);
    void answered(qsizetype i, QNetworkReply& reply, int status);
    // A status that stops the whole run becomes the client's error.
    void failOnStatus(int status);
    void abortIfCancelled();

    DavClient& client_;
    const QList<QPair<QUrl, QByteArray>>& requests_;
    const QByteArray& verb_;
    const Headers& headers_;
    QList<DavReply> replies_;
    std::vector<Pending> pending_;
    QEventLoop loop_;
    int running_ = 0;
};

QList<DavReply> DavClient::Batch::run() {
    for (qsizetype i = 0; i < requests_.size(); ++i) {
        pending_[size_t(i)].url = requests_.at(i).first;
        start(i);
    }
    if (running_ == 0)
        return replies_;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop_, [this] { abortIfCancelled(); });
    watch.start(50);
    loop_.exec();
    return replies_;
}

QNetworkRequest DavClient::Batch::request(qsizetype i) const {
    QNetworkRequest request(pending_[size_t(i)].url);
    request.setTransferTimeout(client_.answerTimeoutMs_);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    if (!client_.authorization_.isEmpty())
        request.setRawHeader("Authorization", client_.authorization_);
    for (const auto& [name, value] : headers_)
        request.setRawHeader(name, value);
    if (!requests_.at(i).second.isEmpty() && !request.hasRawHeader("Content-Type"))
        request.setRawHeader("Content-Type", "application/xml; charset=utf-8");
    return request;
}

void DavClient::Batch::start(qsizetype i) {
    Pending& p = pending_[size_t(i)];
    if (!client_.allowed(p.url))
        return;
    ++client_.requests_;
    ++running_;
    p.reply = client_.network_->sendCustomRequest(request(i), verb_, requests_.at(i).second);
    QObject::connect(p.reply, &QNetworkReply::sslErrors, p.reply,
                     [this, &p](const QList<QSslError>& errors) { checkCertificate(p, errors); });
    QObject::connect(p.reply, &QNetworkReply::finished, &loop_, [this, i] { finished(i); });
}

void DavClient::Batch::checkCertificate(Pending& p, const QList<QSslError>& errors) {
    const QSslCertificate certificate =
        errors.isEmpty() ? p.reply->sslConfiguration().peerCertificate() : errors.first().certificate();
    const QString fingerprint =
        fingerprintOf(certificate.isNull() ? p.reply->sslConfiguration().peerCertificate() : certificate);
    if (!client_.accepted_.isEmpty() && fingerprint == client_.accepted_)
        p.reply->ignoreSslErrors();
    else
        p.refusedFingerprint = fingerprint;
}

void DavClient::Batch::finished(qsizetype i) {
    Pending& done = pending_[size_t(i)];
    QNetworkReply* reply = done.reply;
    reply->deleteLater();
    done.reply = nullptr;
    --running_;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 0)
        unanswered(done, *reply);
    else if (!redirected(i, *reply, status))
        answered(i, *reply, status);
    if (running_ == 0)
        loop_.quit();
}

bool DavClient::Batch::redirected(qsizetype i, const QNetworkReply& reply, int status) {
    Pending& p = pending_[size_t(i)];
    if (status < 300 || status >= 400 || status == 304 || p.redirects >= kMaxRedirects ||
        !reply.hasRawHeader("Location"))
        return false;
    p.url = p.url.resolved(QUrl::fromEncoded(reply.rawHeader("Location")));
    ++p.redirects;
    start(i);
    return true;
}

void DavClient::Batch::unanswered(const Pending& p, const QNetworkReply& reply) {
    if (!p.refusedFingerprint.isEmpty()) {
        client_.error_.fingerprint = p.refusedFingerprint;
        client_.fail(DavErrorKind::CertificateNotTrusted, {});
    } else if (client_.cancelled_ && client_.cancelled_()) {
        client_.fail(DavErrorKind::Cancelled, {});
    } else {
        // Qt's words stay out of what the user reads: the window logs them as a warning, the command line
        // shows them only when asked for debug output.
        const QString detail =
            QStringLiteral("%1 %2: %3")
                .arg(QString::fromLatin1(verb_), p.url.toDisplayString(), reply.errorString());
        qCDebug(lcDav).noquote() << "no answer:" << detail;
        if (!client_.failed())
            client_.error_.detail = detail;
        client_.fail(DavErrorKind::Unreachable, unansweredText(reply.error(), p.url.host()));
    }
}

void DavClient::Batch::answered(qsizetype i, QNetworkReply& reply, int status) {
    DavReply& answer = replies_[i];
    answer.status = status;
    answer.body = reply.readAll();
    answer.etag = reply.rawHeader("ETag");
    answer.url = pending_[size_t(i)].url;
    failOnStatus(status);
}

void DavClient::Batch::failOnStatus(int status) {
    if (status == 401)
        client_.fail(DavErrorKind::WrongPassword, {});
    // A sync token the server forgot is refused with 403: the run then lists everything.
    else if (status == 403 && verb_ != "DELETE" && verb_ != "REPORT")
        client_.fail(DavErrorKind::Forbidden, {});
    else if (status == 507)
        client_.fail(DavErrorKind::StorageFull, {});
}

void DavClient::Batch::abortIfCancelled() {
    if (!client_.cancelled_ || !client_.cancelled_())
        return;
    for (const Pending& p : pending_)
        if (p.reply)
            p.reply->abort();
}

QList<DavReply> DavClient::sendAll(const QList<QPair<QUrl, QByteArray>>& requests, const QByteArray& verb,
                                   const Headers& headers) {
    if (failed())
        return QList<DavReply>(requests.size());
    Batch batch(*this, requests, verb, headers);
    return batch.run();
}

} // namespace quindara
