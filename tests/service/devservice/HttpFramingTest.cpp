#include "support/DevService.h"

#include <QTcpSocket>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

// Talks raw HTTP/1.1 to the service, to see how it frames requests on one connection.
class HttpFramingTest : public testing::Test {
protected:
    void SetUp() override
    {
        service.reset();
        socket.connectToHost(service.base().host(), quint16(service.base().port()));
        ASSERT_TRUE(socket.waitForConnected(5000));
    }

    void write(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.waitForBytesWritten(5000);
    }

    // Every byte until the service closes the connection.
    QByteArray readToEnd()
    {
        QByteArray all;
        while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000)) {
            all += socket.readAll();
        }
        return all + socket.readAll();
    }

    // The statuses of the responses in `stream`, framed by their Content-Length.
    static QList<int> statuses(const QByteArray &stream)
    {
        QList<int> found;
        qsizetype at = 0;
        while (at < stream.size()) {
            const qsizetype headEnd = stream.indexOf("\r\n\r\n", at);
            if (headEnd < 0) {
                break;
            }
            const QByteArray head = stream.mid(at, headEnd - at).toLower();
            found.append(head.mid(9, 3).toInt());
            const qsizetype length = head.indexOf("content-length: ");
            const qsizetype lengthEnd = head.indexOf("\r\n", length);
            at = headEnd + 4 + head.mid(length + 16, lengthEnd < 0 ? -1 : lengthEnd - length - 16).toLongLong();
        }
        return found;
    }

    DevService service = DevService::fromEnvironment();
    QTcpSocket socket;
};

TEST_F(HttpFramingTest, KeepsOneConnectionInStepAcrossRefusalsSplitBodiesAndPipelining)
{
    const QByteArray body(100000, 'x');
    // A refused upload is still read to its end, so the next request is found.
    write("PUT /upload/none HTTP/1.1\r\nHost: t\r\nContent-Type: video/mp4\r\nContent-Length: 100000\r\n\r\n"
          + body.left(30000));
    write(body.mid(30000));
    write("GET /recorder/me HTTP/1.1\r\nHost: t\r\n\r\n"
          "POST /recorder/cancel HTTP/1.1\r\nHost: t\r\nContent-Length: 2\r\nConnection: close\r\n\r\n{}");
    EXPECT_EQ(statuses(readToEnd()), (QList<int>{404, 401, 401}));
    EXPECT_EQ(service.requests().at(0).toObject().value("bodyBytes").toInteger(), 100000);
}

TEST_F(HttpFramingTest, AnswersAnUnreadableRequestAndCloses)
{
    write("GARBAGE\r\n\r\nGET /recorder/me HTTP/1.1\r\n\r\n");
    EXPECT_EQ(statuses(readToEnd()), QList<int>{400});
}

} // namespace
} // namespace murva::test
