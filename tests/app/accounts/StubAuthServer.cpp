#include "StubAuthServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace murva::test {

StubAuthServer::StubAuthServer()
{
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QUrl StubAuthServer::base() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()));
}

void StubAuthServer::serve(QTcpSocket *socket)
{
    QByteArray buffered = socket->property("buffered").toByteArray() + socket->readAll();
    socket->setProperty("buffered", buffered);
    const qsizetype headEnd = buffered.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        return;
    }
    const QByteArray head = buffered.left(headEnd);
    qsizetype length = 0;
    for (const QByteArray &line : head.split('\n')) {
        if (line.toLower().startsWith("content-length:")) {
            length = line.mid(15).trimmed().toLongLong();
        }
    }
    const QByteArray body = buffered.mid(headEnd + 4);
    if (body.size() < length) {
        return;
    }
    const QList<QByteArray> requestLine = head.left(head.indexOf('\r')).split(' ');
    answer(socket, requestLine.value(1), body);
}

void StubAuthServer::answer(QTcpSocket *socket, const QByteArray &path, const QByteArray &body)
{
    const QString root = base().toString();
    if (path == "/.well-known/oauth-authorization-server") {
        reply(socket, 200, QJsonDocument(QJsonObject{
                                             {"authorization_endpoint", root + "/authorize"},
                                             {"token_endpoint", root + "/token"},
                                             {"registration_endpoint", root + "/register"},
                                         })
                               .toJson());
    } else if (path == "/register") {
        reply(socket, 200, R"({"client_id": "stub-client"})");
    } else if (path == "/token") {
        tokenRequests.append(body);
        QByteArray answerBody = tokenBody;
        if (answerBody.isEmpty()) {
            ++issued_;
            answerBody = QJsonDocument(QJsonObject{
                                           {"access_token", QStringLiteral("access-%1").arg(issued_)},
                                           {"refresh_token", QStringLiteral("refresh-%1").arg(issued_)},
                                           {"expires_in", expiresInSec},
                                       })
                             .toJson();
        }
        const int status = tokenStatus;
        QPointer<QTcpSocket> guarded(socket);
        QTimer::singleShot(tokenDelayMs, this, [guarded, status, answerBody] {
            if (guarded) {
                reply(guarded, status, answerBody);
            }
        });
    } else {
        reply(socket, 404, "{}");
    }
}

void StubAuthServer::reply(QTcpSocket *socket, int status, const QByteArray &body)
{
    socket->write("HTTP/1.1 " + QByteArray::number(status) + " Whatever\r\n"
                  "Content-Type: application/json\r\nConnection: close\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\n\r\n" + body);
    socket->disconnectFromHost();
}

} // namespace murva::test
