#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <memory>

// A web server on 127.0.0.1 (a free port) for answers the service never
// gives: each request gets the page `answer` picks for its method.
class PageServer : public QObject {
public:
    PageServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
                auto buffer = std::make_shared<QByteArray>();
                connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] { serve(s, *buffer); });
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }

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

    QTcpServer m_server;
};
