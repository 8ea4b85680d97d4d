#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <functional>

// A web server on 127.0.0.1 (a free port) for answers the service never
// gives: each request gets the page `answer` picks for its method.
class PageServer : public QObject {
public:
    PageServer();
    QString url() const;

    std::function<QByteArray(const QByteArray& method)> answer;

private:
    QTcpServer m_server;
};
