#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTcpServer>
#include <QUrl>

namespace murva::test {

// A minimal authorization server on loopback for the sign-in's own tests: metadata,
// registration and a token endpoint whose answer the test chooses. Every token request
// gets a fresh pair "access-N" / "refresh-N" unless `tokenStatus`/`tokenBody` say otherwise.
class StubAuthServer : public QObject {
    Q_OBJECT
public:
    StubAuthServer();

    QUrl base() const;

    int tokenStatus = 200;
    QByteArray tokenBody;        // empty: fresh tokens
    int tokenDelayMs = 0;        // answer the token endpoint this late
    int expiresInSec = 3600;
    QList<QByteArray> tokenRequests; // the form bodies received, in order

private:
    void serve(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QByteArray &path, const QByteArray &body);
    static void reply(QTcpSocket *socket, int status, const QByteArray &body);

    QTcpServer server_;
    int issued_ = 0;
};

} // namespace murva::test
