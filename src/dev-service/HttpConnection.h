#pragma once

#include "HttpMessage.h"

#include <QObject>

class QTcpSocket;

namespace murva::devservice {

// One client connection: reads requests one after the other (HTTP/1.1 with
// Content-Length bodies and keep-alive), hands each to the handler and writes its reply.
// While a reply is pending nothing more is read, so pipelined requests wait their turn.
class HttpConnection : public QObject {
    Q_OBJECT
public:
    HttpConnection(QTcpSocket *socket, HttpHandler &handler, QObject *parent = nullptr);

private:
    enum class State { Head, Body, Waiting, Closed };

    void readAvailable();
    bool readHead();
    bool startRequest(const QList<QByteArray> &lines);
    void readBody();
    void finishRequest();
    void send(const HttpResponse &response, quint64 generation);
    void refuse(int status, const QByteArray &text);
    void abortBody();
    void closed();

    QTcpSocket *socket_;
    HttpHandler &handler_;
    State state_ = State::Head;
    QList<QByteArray> headLines_;
    qint64 headBytes_ = 0;
    HttpRequest request_;
    BodyPlan plan_;
    QByteArray readBuffer_;
    bool keepAlive_ = true;
    quint64 generation_ = 0; // tells a late reply of an earlier request apart
};

} // namespace murva::devservice
