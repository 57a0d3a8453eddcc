// Pictures fetched from a local HTTP server that answers an image, a 404, a body that is
// not an image, or nothing at all.
#include "windows/AvatarCache.h"

#include <QBuffer>
#include <QImage>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

namespace murva {
namespace {

QByteArray png()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Answers by path: "/image", "/missing" (404), "/text", and "/stall" (never answers).
class PictureServer : public QTcpServer {
public:
    int requests = 0;
    PictureServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            }
        });
    }
    QUrl url(const char *path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(QString::fromLatin1(path)));
    }

private:
    void answer(QTcpSocket *socket)
    {
        const QByteArray request = socket->readAll();
        ++requests;
        const QByteArray path = request.split(' ').value(1);
        if (path == "/stall")
            return;
        const QByteArray status = path == "/missing" ? "404 Not Found" : "200 OK";
        const QByteArray body = path == "/image" ? png() : QByteArray("not a picture");
        socket->write("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size())
                      + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
};

TEST(AvatarCache, FetchesEachAddressOnceAndRemembersFailures)
{
    PictureServer server;
    AvatarCache cache(500);
    const struct {
        const char *path;
        bool picture;
    } cases[] = {{"/image", true}, {"/missing", false}, {"/text", false}, {"/stall", false}};
    for (const auto &c : cases) {
        const QUrl address = server.url(c.path);
        EXPECT_FALSE(cache.picture(address)) << c.path; // never waits for the answer
        EXPECT_TRUE(QTest::qWaitFor([&] { return cache.settled(address); }, 10000)) << c.path;
        EXPECT_EQ(cache.picture(address).has_value(), c.picture) << c.path;
    }
    const int asked = server.requests;
    for (const auto &c : cases) {
        cache.picture(server.url(c.path));
    }
    QTest::qWait(0);
    EXPECT_EQ(server.requests, asked);
}

} // namespace
} // namespace murva
