#include "api/SaveError.h"
#include "saving/Upload.h"
#include "support/AwaitTask.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

// Answers the one upload, once all of it has arrived, with `status`.
class StatusServer : public QTcpServer {
public:
    explicit StatusServer(int status)
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this, status] {
            QTcpSocket *socket = nextPendingConnection();
            auto received = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, socket, [socket, status, received] {
                *received += socket->readAll();
                if (received->endsWith("\r\n\r\nvideo")) {
                    socket->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: 0\r\n\r\n");
                }
            });
        });
    }
};

std::optional<SaveError> uploadFailure(const QString &file, int status)
{
    StatusServer server(status);
    try {
        await(Upload::put(file, QUrl(QStringLiteral("http://127.0.0.1:%1/up").arg(server.serverPort())), {}));
    } catch (SaveError error) {
        return error;
    }
    return std::nullopt;
}

TEST(Upload, OnlyA2xxStatusCountsAsUploaded)
{
    QTemporaryFile video;
    ASSERT_TRUE(video.open());
    video.write("video");
    video.flush();
    EXPECT_EQ(uploadFailure(video.fileName(), 299), std::nullopt);
    EXPECT_EQ(uploadFailure(video.fileName(), 300), SaveError::notUploaded);
}

} // namespace
} // namespace murva::test
