#include "HttpServer.h"

#include "HttpConnection.h"

#include <QTcpSocket>

namespace murva::devservice {

HttpServer::HttpServer(HttpHandler &handler, QObject *parent)
    : QObject(parent)
    , handler_(handler)
{
    connect(&server_, &QTcpServer::newConnection, this, &HttpServer::acceptPending);
}

bool HttpServer::listen(quint16 port)
{
    return server_.listen(QHostAddress::LocalHost, port);
}

quint16 HttpServer::port() const
{
    return server_.serverPort();
}

QString HttpServer::errorString() const
{
    return server_.errorString();
}

void HttpServer::acceptPending()
{
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
        new HttpConnection(socket, handler_, this);
    }
}

} // namespace murva::devservice
