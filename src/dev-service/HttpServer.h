#pragma once

#include "HttpMessage.h"

#include <QTcpServer>

namespace murva::devservice {

// Accepts connections on 127.0.0.1 and gives each its own HttpConnection.
class HttpServer : public QObject {
    Q_OBJECT
public:
    explicit HttpServer(HttpHandler &handler, QObject *parent = nullptr);

    // Port 0 lets the system choose. False when the port cannot be had.
    bool listen(quint16 port);
    quint16 port() const;
    QString errorString() const;

private:
    void acceptPending();

    QTcpServer server_;
    HttpHandler &handler_;
};

} // namespace murva::devservice
