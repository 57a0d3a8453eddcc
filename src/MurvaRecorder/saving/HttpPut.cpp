#include "saving/HttpPut.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSslSocket>
#include <QTcpSocket>

#include <functional>
#include <memory>
#include <optional>

namespace murva {

namespace {

using Result = HttpPut::Result;
using Outcome = HttpPut::Outcome;

// Big enough that a loopback link keeps up with `curl -T`, small enough to stay light.
constexpr qint64 kPieceBytes = 256 * 1024;
// How often a wait looks at `stop` and at the time without progress.
constexpr int kSliceMs = 200;
constexpr qsizetype kMaxAnswerHead = 64 * 1024;

// The codes that mean the network itself is missing or went away, as for the other requests.
bool isLoss(QAbstractSocket::SocketError error)
{
    return error == QAbstractSocket::HostNotFoundError || error == QAbstractSocket::NetworkError
           || error == QAbstractSocket::RemoteHostClosedError;
}

QByteArray requestHead(const QUrl &to, const QByteArray &contentType, qint64 bodySize)
{
    QByteArray target = to.path(QUrl::FullyEncoded).toUtf8();
    if (target.isEmpty()) {
        target = "/";
    }
    if (to.hasQuery()) {
        target += '?' + to.query(QUrl::FullyEncoded).toUtf8();
    }
    QByteArray host = to.host(QUrl::FullyEncoded).toUtf8();
    if (host.contains(':')) {
        host = '[' + host + ']';
    }
    if (to.port() != -1) {
        host += ':' + QByteArray::number(to.port());
    }
    return "PUT " + target + " HTTP/1.1\r\nHost: " + host + "\r\nContent-Type: " + contentType
           + "\r\nContent-Length: " + QByteArray::number(bodySize) + "\r\nConnection: close\r\n\r\n";
}

// The status of the first final answer in `received`, skipping interim (1xx) ones; none
// while the head is incomplete, 0 when it is not HTTP.
std::optional<int> finalStatus(QByteArray &received)
{
    for (;;) {
        const qsizetype end = received.indexOf("\r\n\r\n");
        if (end < 0) {
            return std::nullopt;
        }
        const QList<QByteArray> words = received.left(received.indexOf("\r\n")).split(' ');
        bool number = false;
        const int status = words.size() >= 2 && words[0].startsWith("HTTP/1.") && words[1].size() == 3
                               ? words[1].toInt(&number)
                               : 0;
        if (!number) {
            return 0;
        }
        if (status >= 200) {
            return status;
        }
        received.remove(0, end + 4);
    }
}

class Transfer {
public:
    Transfer(const HttpPut &put, std::atomic<qint64> &bodySize, std::atomic<qint64> &bodySent,
             const std::atomic<bool> &stop)
        : put_(put), bodySize_(bodySize), bodySent_(bodySent), stop_(stop)
    {
    }

    Result run()
    {
        QFile file(put_.file);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            return {Outcome::failed};
        }
        bodySize_ = file.size();
        idle_.start();
        if (const std::optional<Result> ended = connect()) {
            return *ended;
        }
        socket_->write(requestHead(put_.to, put_.contentType, file.size()));
        const std::optional<Result> ended = sendBody(file);
        // A server may answer before it has read everything, and close.
        if (ended && socket_->bytesAvailable() == 0) {
            return *ended;
        }
        return answer();
    }

private:
    // Nothing when connected (and encrypted for https), else how it ended.
    std::optional<Result> connect()
    {
        const bool secure = put_.to.scheme() == QLatin1String("https");
        const quint16 port = quint16(put_.to.port(secure ? 443 : 80));
        if (secure) {
            auto *encrypted = new QSslSocket;
            socket_.reset(encrypted);
            encrypted->connectToHostEncrypted(put_.to.host(), port);
            return waitFor([encrypted](int ms) { return encrypted->waitForEncrypted(ms); },
                           [encrypted] { return encrypted->isEncrypted(); });
        }
        socket_ = std::make_unique<QTcpSocket>();
        socket_->connectToHost(put_.to.host(), port, QIODevice::ReadWrite | QIODevice::Unbuffered);
        QTcpSocket *plain = socket_.get();
        return waitFor([plain](int ms) { return plain->waitForConnected(ms); },
                       [plain] { return plain->state() == QAbstractSocket::ConnectedState; });
    }

    // Nothing once the whole body is out or the server answered early, else how it ended.
    std::optional<Result> sendBody(QFile &file)
    {
        const qint64 total = file.size();
        qint64 queued = 0;
        QByteArray piece(kPieceBytes, Qt::Uninitialized);
        while (queued < total || socket_->bytesToWrite() > 0) {
            if (socket_->bytesAvailable() > 0) {
                return std::nullopt; // an early answer (a refusal) ends the body
            }
            if (socket_->state() == QAbstractSocket::UnconnectedState) {
                return Result{isLoss(socket_->error()) ? Outcome::lost : Outcome::failed}; // read no further
            }
            if (queued < total && socket_->bytesToWrite() < kPieceBytes) {
                const qint64 read = file.read(piece.data(), std::min(kPieceBytes, total - queued));
                if (read <= 0) {
                    return Result{Outcome::failed}; // the file shrank or cannot be read
                }
                socket_->write(piece.constData(), read);
                queued += read;
                idle_.restart();
            }
            bodySent_ = std::max<qint64>(0, queued - socket_->bytesToWrite());
            if (socket_->bytesToWrite() >= kPieceBytes || queued == total) {
                QTcpSocket *socket = socket_.get();
                if (std::optional<Result> ended = waitFor([socket](int ms) { return socket->waitForBytesWritten(ms); },
                                                          [socket] { return socket->bytesToWrite() == 0; })) {
                    return ended;
                }
            }
        }
        bodySent_ = total;
        return std::nullopt;
    }

    // The status of the answer; the rest of it does not matter.
    Result answer()
    {
        QByteArray received;
        bool readable = false;
        for (;;) {
            const QByteArray more = socket_->read(kMaxAnswerHead - received.size());
            received += more;
            if (const std::optional<int> status = finalStatus(received)) {
                return *status > 0 ? Result{Outcome::answered, *status} : Result{Outcome::failed};
            }
            if (received.size() >= kMaxAnswerHead) {
                return {Outcome::failed};
            }
            if (readable && more.isEmpty()) {
                return {Outcome::lost}; // readable with nothing to read: closed before answering
            }
            readable = socket_->waitForReadyRead(kSliceMs);
            if (readable) {
                idle_.restart();
            } else if (const std::optional<Result> ended = endedAfterQuietWait()) {
                received += socket_->read(kMaxAnswerHead - received.size()); // it may have come with the close
                const std::optional<int> status = finalStatus(received);
                return status && *status > 0 ? Result{Outcome::answered, *status} : *ended;
            }
        }
    }

    // Waits in short slices until `done`, so that `stop` and the idle limit are seen in
    // time. Nothing once done, else how the transfer ended.
    std::optional<Result> waitFor(const std::function<bool(int)> &wait, const std::function<bool()> &done)
    {
        while (!done()) {
            if (wait(kSliceMs)) {
                idle_.restart();
            } else if (std::optional<Result> ended = endedAfterQuietWait()) {
                return ended;
            }
        }
        return std::nullopt;
    }

    // After a wait that saw nothing: how the transfer ended, if it did. A wait that merely
    // timed out leaves the connection as it was.
    std::optional<Result> endedAfterQuietWait() const
    {
        if (socket_->state() == QAbstractSocket::UnconnectedState) {
            return Result{isLoss(socket_->error()) ? Outcome::lost : Outcome::failed};
        }
        if (stop_) {
            return Result{Outcome::stopped};
        }
        if (idle_.hasExpired(put_.idleLimit.count())) {
            return Result{Outcome::failed};
        }
        return std::nullopt;
    }

    const HttpPut &put_;
    std::atomic<qint64> &bodySize_;
    std::atomic<qint64> &bodySent_;
    const std::atomic<bool> &stop_;
    std::unique_ptr<QTcpSocket> socket_;
    QElapsedTimer idle_;
};

} // namespace

HttpPut::Result HttpPut::run(std::atomic<qint64> &bodySize, std::atomic<qint64> &bodySent,
                             const std::atomic<bool> &stop) const
{
    return Transfer(*this, bodySize, bodySent, stop).run();
}

} // namespace murva
