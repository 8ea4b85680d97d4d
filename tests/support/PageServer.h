#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <functional>

// A web server on 127.0.0.1 (a free port) for the Internet route's tests:
// each request gets the page `answer` picks, and is recorded.
class PageServer : public QObject {
public:
    struct Request {
        QByteArray method;
        QByteArray target; // path and query as sent
        QByteArray body;
    };
    PageServer();
    QString url() const;
    void close() { m_server.close(); }

    std::function<QByteArray(const Request&)> answer;
    QList<Request> requests;

private:
    QTcpServer m_server;
};
