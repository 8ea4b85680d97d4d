#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <QSslConfiguration>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <memory>

// A web server on 127.0.0.1 (a free port) for answers the service never
// gives: each request gets the page `answer` picks for its method. Given a
// certificate and key, it speaks https.
class PageServer : public QObject {
public:
    explicit PageServer(const QSslConfiguration& tls = QSslConfiguration()) {
        if (tls.localCertificate().isNull()) {
            m_server = std::make_unique<QTcpServer>();
        } else {
            auto server = std::make_unique<QSslServer>();
            server->setSslConfiguration(tls);
            // A handshake ends by itself, never by the clock.
            server->setHandshakeTimeout(24 * 60 * 60 * 1000);
            m_server = std::move(server);
        }
        m_server->listen(QHostAddress::LocalHost, 0);
        // A https connection is pending only once its handshake is done.
        connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* s = m_server->nextPendingConnection()) {
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
                auto buffer = std::make_shared<QByteArray>();
                connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] { serve(s, *buffer); });
                // The request may have come with the end of the handshake.
                if (s->bytesAvailable() > 0)
                    serve(s, *buffer);
            }
        });
    }
    QString url() const {
        return QStringLiteral("%1://127.0.0.1:%2")
            .arg(qobject_cast<QSslServer*>(m_server.get()) ? "https" : "http")
            .arg(m_server->serverPort());
    }

    std::function<QByteArray(const QByteArray& method)> answer;
    // Instead of `answer`: the whole reply as sent (status line, headers,
    // body), and whether the connection is then held open or closed.
    struct Raw {
        QByteArray bytes;
        bool hold = false;
    };
    std::function<Raw(const QByteArray& method, const QByteArray& path)> raw;
    int requests = 0;
    QByteArrayList bodies; // of every request, in order

private:
    // Answers once the request's head and body are all in `data`.
    void serve(QTcpSocket* s, QByteArray& data) {
        data += s->readAll();
        const qsizetype end = data.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        qsizetype length = 0;
        for (const QByteArray& line : data.left(end).split('\n'))
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        if (data.size() < end + 4 + length)
            return;
        ++requests;
        bodies << data.mid(end + 4);
        const QByteArray method = data.left(data.indexOf(' '));
        if (raw) {
            const QByteArray rest = data.mid(method.size() + 1);
            const QByteArray path = rest.left(rest.indexOf(' '));
            const Raw r = raw(method, path);
            s->write(r.bytes);
            if (!r.hold)
                s->disconnectFromHost();
            return;
        }
        const QByteArray page = answer ? answer(method) : QByteArray();
        s->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                 "Connection: close\r\nContent-Length: " +
                 QByteArray::number(page.size()) + "\r\n\r\n" + page);
        s->disconnectFromHost();
    }

    std::unique_ptr<QTcpServer> m_server;
};
