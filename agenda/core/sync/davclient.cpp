// SPDX-License-Identifier: GPL-3.0-or-later
#include "agenda/core/sync/davclient.h"

#include "agenda/core/sync/logging.h"
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslError>
#include <QTimer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

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

QList<DavReply> DavClient::sendAll(const QList<QPair<QUrl, QByteArray>>& requests, const QByteArray& verb,
                                   const Headers& headers) {
    QList<DavReply> replies(requests.size());
    if (failed())
        return replies;
    struct Pending {
        QUrl url;
        int redirects = 0;
        QNetworkReply* reply = nullptr;
        QString refusedFingerprint;
    };
    QList<Pending> pending(requests.size());
    QEventLoop loop;
    int running = 0;
    std::function<void(int)> start;
    start = [&](int i) {
        Pending& p = pending[i];
        if (!allowed(p.url))
            return;
        QNetworkRequest request(p.url);
        request.setTransferTimeout(answerTimeoutMs_);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        if (!authorization_.isEmpty())
            request.setRawHeader("Authorization", authorization_);
        for (const auto& [name, value] : headers)
            request.setRawHeader(name, value);
        const QByteArray& data = requests.at(i).second;
        if (!data.isEmpty() && !request.hasRawHeader("Content-Type"))
            request.setRawHeader("Content-Type", "application/xml; charset=utf-8");
        ++requests_;
        ++running;
        p.reply = network_->sendCustomRequest(request, verb, data);
        QObject::connect(
            p.reply, &QNetworkReply::sslErrors, p.reply, [this, &p](const QList<QSslError>& errors) {
                const QSslCertificate certificate = errors.isEmpty()
                                                        ? p.reply->sslConfiguration().peerCertificate()
                                                        : errors.first().certificate();
                const QString fingerprint = fingerprintOf(
                    certificate.isNull() ? p.reply->sslConfiguration().peerCertificate() : certificate);
                if (!accepted_.isEmpty() && fingerprint == accepted_)
                    p.reply->ignoreSslErrors();
                else
                    p.refusedFingerprint = fingerprint;
            });
        QObject::connect(p.reply, &QNetworkReply::finished, &loop, [&, i] {
            Pending& done = pending[i];
            QNetworkReply* reply = done.reply;
            reply->deleteLater();
            done.reply = nullptr;
            --running;
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (status >= 300 && status < 400 && status != 304 && done.redirects < kMaxRedirects &&
                reply->hasRawHeader("Location")) {
                done.url = done.url.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
                ++done.redirects;
                start(i);
            } else if (status == 0) {
                if (!done.refusedFingerprint.isEmpty()) {
                    error_.fingerprint = done.refusedFingerprint;
                    fail(DavErrorKind::CertificateNotTrusted, {});
                } else if (cancelled_ && cancelled_()) {
                    fail(DavErrorKind::Cancelled, {});
                } else {
                    // Qt's words stay out of what the user reads: the window logs them as a warning, the
                    // command line shows them only when asked for debug output.
                    const QString detail =
                        QStringLiteral("%1 %2: %3")
                            .arg(QString::fromLatin1(verb), done.url.toDisplayString(), reply->errorString());
                    qCDebug(lcDav).noquote() << "no answer:" << detail;
                    if (!failed())
                        error_.detail = detail;
                    fail(DavErrorKind::Unreachable, unansweredText(reply->error(), done.url.host()));
                }
            } else {
                DavReply& answer = replies[i];
                answer.status = status;
                answer.body = reply->readAll();
                answer.etag = reply->rawHeader("ETag");
                answer.url = done.url;
                if (status == 401)
                    fail(DavErrorKind::WrongPassword, {});
                // A sync token the server forgot is refused with 403: the run then lists everything.
                else if (status == 403 && verb != "DELETE" && verb != "REPORT")
                    fail(DavErrorKind::Forbidden, {});
                else if (status == 507)
                    fail(DavErrorKind::StorageFull, {});
            }
            if (running == 0)
                loop.quit();
        });
    };
    for (int i = 0; i < requests.size(); ++i) {
        pending[i].url = requests.at(i).first;
        start(i);
    }
    if (running == 0)
        return replies;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (!cancelled_ || !cancelled_())
            return;
        for (const Pending& p : std::as_const(pending))
            if (p.reply)
                p.reply->abort();
    });
    watch.start(50);
    loop.exec();
    return replies;
}

} // namespace quindara
