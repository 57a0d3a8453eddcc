#include "api/SaveError.h"
#include "saving/Upload.h"
#include "support/AwaitTask.h"

#include <QFile>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

// A certificate for "localhost", made afresh for the run.
struct Identity {
    QSslCertificate certificate;
    QSslKey key;
};

std::optional<Identity> makeIdentity()
{
    QTemporaryDir folder;
    const QString key = folder.filePath(QStringLiteral("key.pem"));
    const QString certificate = folder.filePath(QStringLiteral("cert.pem"));
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2",
                   "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost", "-keyout", key, "-out",
                   certificate});
    QFile keyFile(key);
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0 || !keyFile.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(certificate);
    if (certificates.isEmpty()) {
        return std::nullopt;
    }
    return Identity{certificates.front(), QSslKey(&keyFile, QSsl::Ec)};
}

// How the server treats the one upload: answers once all of it has arrived and closes,
// answers right after the request head and reads on, or drops the connection midway.
enum class Answer { atEnd, early, cut };

// Answers with `status`, after an interim 100; over TLS when given an identity.
class StatusServer : public QTcpServer {
public:
    explicit StatusServer(int status, std::optional<Identity> identity = {}, Answer answer = Answer::atEnd)
        : status_(status), identity_(std::move(identity)), answer_(answer)
    {
        listen(QHostAddress::LocalHost, 0);
    }

    QUrl address() const
    {
        return QUrl(QStringLiteral("%1://localhost:%2/up?key=a%20b")
                        .arg(identity_ ? QStringLiteral("https") : QStringLiteral("http"))
                        .arg(serverPort()));
    }

    QByteArray received;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        connect(socket, &QSslSocket::readyRead, socket, [this, socket] {
            received += socket->readAll();
            if (answer_ == Answer::cut && received.size() > 1024 * 1024) {
                socket->abort();
                return;
            }
            const qsizetype headEnd = received.indexOf("\r\n\r\n");
            if (!answered_ && headEnd >= 0 && (answer_ == Answer::early || received.size() - headEnd - 4 == bodySize())) {
                answered_ = true;
                socket->write("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 " + QByteArray::number(status_)
                              + " X\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                if (answer_ == Answer::atEnd) {
                    socket->disconnectFromHost();
                }
            }
        });
        if (identity_) {
            socket->setLocalCertificate(identity_->certificate);
            socket->setPrivateKey(identity_->key);
            socket->startServerEncryption();
        }
    }

private:
    qsizetype bodySize() const
    {
        const qsizetype at = received.indexOf("Content-Length: ");
        return at < 0 ? -1 : received.mid(at + 16, received.indexOf("\r\n", at) - at - 16).toLongLong();
    }

    int status_;
    std::optional<Identity> identity_;
    Answer answer_;
    bool answered_ = false;
};

std::optional<SaveError> uploadFailure(const QString &file, StatusServer &server)
{
    return thrownBy<SaveError>(Upload::put(file, server.address(), {}));
}

class Upload : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(video.open());
        // More than the socket takes at once, so that the body goes out in pieces.
        QByteArray bytes(3 * 1024 * 1024 + 17, 'v');
        video.write(bytes);
        video.flush();
    }

    QTemporaryFile video;
};

TEST_F(Upload, OnlyA2xxCountsAndACutConnectionIsALostNetwork)
{
    for (const auto &[status, answer, expected] :
         {std::tuple{299, Answer::atEnd, std::optional<SaveError>()},
          std::tuple{300, Answer::atEnd, std::optional(SaveError::notUploaded)},
          // A refusal before the body is all sent is a refusal, not a lost connection.
          std::tuple{413, Answer::early, std::optional(SaveError::notUploaded)},
          std::tuple{200, Answer::cut, std::optional(SaveError::offline)}}) {
        StatusServer server(status, {}, answer);
        EXPECT_EQ(uploadFailure(video.fileName(), server), expected) << status;
        EXPECT_TRUE(server.received.startsWith("PUT /up?key=a%20b HTTP/1.1\r\nHost: localhost:")) << status;
        EXPECT_TRUE(server.received.contains("\r\nContent-Type: video/mp4\r\n")) << status;
    }
}

TEST_F(Upload, HttpsNeedsACertificateTheSystemTrusts)
{
    const std::optional<Identity> identity = makeIdentity();
    ASSERT_TRUE(identity) << "openssl could not make a certificate";

    StatusServer untrusted(200, identity);
    EXPECT_EQ(uploadFailure(video.fileName(), untrusted), SaveError::notUploaded);
    EXPECT_TRUE(untrusted.received.isEmpty()) << "nothing may be sent to a server that is not proven";

    const QSslConfiguration system = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = system;
    trusting.addCaCertificate(identity->certificate);
    QSslConfiguration::setDefaultConfiguration(trusting);
    StatusServer trusted(200, identity);
    EXPECT_EQ(uploadFailure(video.fileName(), trusted), std::nullopt);
    EXPECT_EQ(trusted.received.size() - trusted.received.indexOf("\r\n\r\n") - 4, video.size());
    StatusServer cutting(200, identity, Answer::cut);
    EXPECT_EQ(uploadFailure(video.fileName(), cutting), SaveError::offline);
    QSslConfiguration::setDefaultConfiguration(system);
}

} // namespace
} // namespace murva::test
