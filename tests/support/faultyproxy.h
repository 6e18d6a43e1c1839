// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>
#include <memory>

// A loopback HTTP proxy in front of a test server that makes one chosen request fail, once: an error
// status instead of the server's answer, the connection cut half-way through the answer, or a
// multistatus answer with one response left out. Every other request goes through unchanged, each on a
// connection of its own. It answers in the event loop of the thread that made it, which the blocking
// client of the tests spins while it waits.
class FaultyProxy {
public:
    enum class Fault {
        None,
        Unavailable,        // 503
        Forbidden,          // 403
        PreconditionFailed, // 412, as when another client wrote first
        Cut,                // the server's answer cut short, then the connection closed
        MissingResponse,    // a 207 without its first response
    };

    explicit FaultyProxy(quint16 upstreamPort) : upstreamPort_(upstreamPort) {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* client = server_.nextPendingConnection())
                serve(client);
        });
    }

    bool start() { return server_.listen(QHostAddress::LocalHost); }
    // `url` of the server, reached through the proxy.
    QUrl through(QUrl url) const {
        url.setPort(server_.serverPort());
        return url;
    }
    // The next request whose verb is `verb` and whose body holds `bodyPart` fails with `fault`.
    void failOnce(Fault fault, const QByteArray& verb, const QByteArray& bodyPart = {}) {
        fault_ = fault;
        verb_ = verb;
        bodyPart_ = bodyPart;
        used_ = false;
    }
    bool used() const { return used_; }
    // `action` runs before each of the next `times` requests whose verb is `verb` goes on to the server
    // (another client writing first, say).
    void beforeRequests(const QByteArray& verb, int times, std::function<void()> action) {
        hookVerb_ = verb;
        hookTimes_ = times;
        hook_ = std::move(action);
    }

private:
    struct Exchange {
        QPointer<QTcpSocket> client;
        QPointer<QTcpSocket> upstream;
        QByteArray request;
        QByteArray answer;
        Fault fault = Fault::None;
    };

    static qsizetype headerEnd(const QByteArray& message) {
        const qsizetype end = message.indexOf("\r\n\r\n");
        return end < 0 ? -1 : end + 4;
    }
    static QByteArray header(const QByteArray& head, const QByteArray& name) {
        const QRegularExpression line(
            QStringLiteral("(?:^|\r\n)%1:\\s*([^\r\n]*)").arg(QString::fromLatin1(name)),
            QRegularExpression::CaseInsensitiveOption);
        return line.match(QString::fromLatin1(head)).captured(1).toLatin1().trimmed();
    }
    // The message with its Connection header (and, for an answer, its framing) replaced, so that each
    // connection carries one exchange.
    static QByteArray closing(const QByteArray& head, const QByteArray& body, bool answer) {
        QList<QByteArray> lines = head.trimmed().split('\n');
        QByteArray out;
        for (QByteArray& line : lines) {
            line = line.trimmed();
            const QByteArray name = line.left(line.indexOf(':')).toLower();
            if (name == "connection" || (answer && (name == "content-length" || name == "transfer-encoding")))
                continue;
            out += line + "\r\n";
        }
        if (answer)
            out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        return out + "Connection: close\r\n\r\n" + body;
    }
    static QByteArray unchunked(QByteArray body) {
        QByteArray out;
        while (!body.isEmpty()) {
            const qsizetype eol = body.indexOf("\r\n");
            if (eol < 0)
                break;
            bool ok = false;
            const qsizetype size = body.left(eol).split(';').first().trimmed().toLongLong(&ok, 16);
            if (!ok || size == 0)
                break;
            out += body.mid(eol + 2, size);
            body = body.mid(eol + 2 + size + 2);
        }
        return out;
    }

    void serve(QTcpSocket* client) {
        auto exchange = std::make_shared<Exchange>();
        exchange->client = client;
        QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        QObject::connect(client, &QTcpSocket::readyRead, client, [this, exchange] {
            if (!exchange->client || exchange->upstream)
                return;
            exchange->request += exchange->client->readAll();
            const qsizetype end = headerEnd(exchange->request);
            if (end < 0)
                return;
            const QByteArray head = exchange->request.left(end);
            const qsizetype length = header(head, "Content-Length").toLongLong();
            if (exchange->request.size() < end + length)
                return;
            const QByteArray body = exchange->request.mid(end, length);
            const QByteArray verb = head.left(head.indexOf(' '));
            if (fault_ != Fault::None && !used_ && verb == verb_ && body.contains(bodyPart_)) {
                used_ = true;
                exchange->fault = fault_;
            }
            if (const QByteArray status = statusLine(exchange->fault); !status.isEmpty()) {
                exchange->client->write(closing(status + "\r\nContent-Type: text/plain\r\n", "fallo", true));
                exchange->client->disconnectFromHost();
                return;
            }
            if (hookTimes_ > 0 && verb == hookVerb_) {
                --hookTimes_;
                hook_();
            }
            forward(exchange, closing(head, body, false));
        });
    }

    static QByteArray statusLine(Fault fault) {
        switch (fault) {
        case Fault::Unavailable:
            return "HTTP/1.1 503 Service Unavailable";
        case Fault::Forbidden:
            return "HTTP/1.1 403 Forbidden";
        case Fault::PreconditionFailed:
            return "HTTP/1.1 412 Precondition Failed";
        default:
            return {};
        }
    }

    void forward(const std::shared_ptr<Exchange>& exchange, const QByteArray& request) {
        auto* upstream = new QTcpSocket(exchange->client);
        exchange->upstream = upstream;
        QObject::connect(upstream, &QTcpSocket::connected, upstream,
                         [upstream, request] { upstream->write(request); });
        QObject::connect(upstream, &QTcpSocket::readyRead, upstream,
                         [exchange] { exchange->answer += exchange->upstream->readAll(); });
        QObject::connect(upstream, &QTcpSocket::disconnected, upstream, [exchange] { answer(*exchange); });
        QObject::connect(upstream, &QTcpSocket::errorOccurred, upstream,
                         [exchange](QAbstractSocket::SocketError error) {
                             if (error != QAbstractSocket::RemoteHostClosedError && exchange->client)
                                 exchange->client->disconnectFromHost();
                         });
        upstream->connectToHost(QHostAddress::LocalHost, upstreamPort_);
    }

    static void answer(Exchange& exchange) {
        if (!exchange.client || exchange.answer.isEmpty())
            return;
        exchange.answer += exchange.upstream->readAll();
        const qsizetype end = headerEnd(exchange.answer);
        if (end < 0) {
            exchange.client->disconnectFromHost();
            return;
        }
        const QByteArray head = exchange.answer.left(end);
        QByteArray body = exchange.answer.mid(end);
        if (header(head, "Transfer-Encoding").toLower().contains("chunked"))
            body = unchunked(body);
        if (exchange.fault == Fault::MissingResponse)
            body = withoutFirstResponse(body);
        QByteArray message = closing(head, body, true);
        if (exchange.fault == Fault::Cut)
            message.truncate(headerEnd(message) + body.size() / 2);
        exchange.client->write(message);
        exchange.client->disconnectFromHost();
    }

    // The multistatus body without its first <response> element, whatever its namespace prefix.
    static QByteArray withoutFirstResponse(const QByteArray& body) {
        static const QRegularExpression response(
            QStringLiteral("<((?:[A-Za-z0-9]+:)?)response[ >].*?</\\1response>"),
            QRegularExpression::DotMatchesEverythingOption);
        QString text = QString::fromUtf8(body);
        const QRegularExpressionMatch found = response.match(text);
        if (found.hasMatch())
            text.remove(found.capturedStart(), found.capturedLength());
        return text.toUtf8();
    }

    QTcpServer server_;
    quint16 upstreamPort_;
    Fault fault_ = Fault::None;
    QByteArray verb_;
    QByteArray bodyPart_;
    bool used_ = false;
    QByteArray hookVerb_;
    int hookTimes_ = 0;
    std::function<void()> hook_;
};
