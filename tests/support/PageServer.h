#pragma once

#include <QByteArray>
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
        const QByteArray page = answer ? answer(data.left(data.indexOf(' '))) : QByteArray();
        s->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                 "Connection: close\r\nContent-Length: " +
                 QByteArray::number(page.size()) + "\r\n\r\n" + page);
        s->disconnectFromHost();
    }

    QTcpServer m_server;
};
