#include "HttpConnection.h"

#include <QPointer>
#include <QTcpSocket>
#include <QUrl>

#include <algorithm>

namespace murva::devservice {
namespace {

constexpr qint64 kMaxHeadBytes = 64 * 1024;
constexpr qint64 kMaxBufferedBody = 64 * 1024 * 1024;
constexpr qint64 kReadChunk = 1024 * 1024;
// A bounded socket buffer lets TCP slow a client down when the disk is slower than the
// network, instead of the upload piling up in memory.
constexpr qint64 kSocketBuffer = 4 * 1024 * 1024;

} // namespace

HttpConnection::HttpConnection(QTcpSocket *socket, HttpHandler &handler, QObject *parent)
    : QObject(parent)
    , socket_(socket)
    , handler_(handler)
{
    socket_->setParent(this);
    socket_->setReadBufferSize(kSocketBuffer);
    connect(socket_, &QTcpSocket::readyRead, this, &HttpConnection::readAvailable);
    connect(socket_, &QTcpSocket::disconnected, this, &HttpConnection::closed);
    readAvailable();
}

void HttpConnection::readAvailable()
{
    while (state_ == State::Head || state_ == State::Body) {
        if (state_ == State::Head && !readHead()) {
            return;
        }
        if (state_ == State::Body) {
            readBody();
            if (state_ == State::Body) {
                return; // waits for more body bytes
            }
        }
    }
}

// Reads header lines; true once a whole head was read and a request started.
bool HttpConnection::readHead()
{
    while (socket_->canReadLine()) {
        const QByteArray line = socket_->readLine();
        headBytes_ += line.size();
        if (headBytes_ > kMaxHeadBytes) {
            refuse(431, "request head too large");
            return false;
        }
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty()) {
            if (headLines_.isEmpty()) {
                continue; // stray line breaks between requests are allowed
            }
            const QList<QByteArray> lines = std::exchange(headLines_, {});
            headBytes_ = 0;
            return startRequest(lines);
        }
        headLines_.append(trimmed);
    }
    if (socket_->bytesAvailable() > kMaxHeadBytes) {
        refuse(431, "request head too large");
    }
    return false;
}

bool HttpConnection::startRequest(const QList<QByteArray> &lines)
{
    request_ = HttpRequest{};
    const QList<QByteArray> parts = lines.first().split(' ');
    if (parts.size() != 3 || !parts[2].startsWith("HTTP/1.")) {
        refuse(400, "malformed request line");
        return false;
    }
    request_.method = parts[0];
    QByteArray target = parts[1];
    if (target.startsWith("http://") || target.startsWith("https://")) {
        const QUrl absolute = QUrl::fromEncoded(target);
        target = absolute.path(QUrl::FullyEncoded).toLatin1();
        if (absolute.hasQuery()) {
            target += "?" + absolute.query(QUrl::FullyEncoded).toLatin1();
        }
    }
    const qsizetype mark = target.indexOf('?');
    request_.path = QUrl::fromPercentEncoding(target.left(mark < 0 ? target.size() : mark));
    request_.query = mark < 0 ? QByteArray() : target.mid(mark + 1);
    if (!request_.path.startsWith('/')) {
        refuse(400, "malformed request target");
        return false;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0) {
            refuse(400, "malformed header line");
            return false;
        }
        const QByteArray name = lines[i].left(colon).trimmed().toLower();
        const QByteArray value = lines[i].mid(colon + 1).trimmed();
        // Repeated headers are joined as RFC 9110 section 5.3 allows.
        request_.headers[name] = request_.headers.contains(name) ? request_.headers[name] + ", " + value : value;
    }

    const QByteArray connection = request_.header("connection").toLower();
    keepAlive_ = parts[2] == "HTTP/1.0" ? connection.contains("keep-alive") : !connection.contains("close");
    if (request_.headers.contains("transfer-encoding")) {
        refuse(501, "only Content-Length bodies are understood");
        return false;
    }
    bool valid = true;
    const QByteArray length = request_.header("content-length");
    request_.contentLength = length.isEmpty() ? 0 : length.toLongLong(&valid);
    if (!valid || request_.contentLength < 0) {
        refuse(400, "malformed Content-Length");
        return false;
    }

    plan_ = handler_.planBody(request_);
    if (!plan_.sink && request_.contentLength > kMaxBufferedBody) {
        refuse(413, "body too large");
        return false;
    }
    if (request_.header("expect").toLower() == "100-continue") {
        socket_->write("HTTP/1.1 100 Continue\r\n\r\n");
    }
    state_ = State::Body;
    return true;
}

void HttpConnection::readBody()
{
    if (plan_.cutAfterBytes == 0 && request_.contentLength > 0) {
        abortBody();
        return;
    }
    while (request_.bodyBytes < request_.contentLength && socket_->bytesAvailable() > 0) {
        qint64 wanted = std::min(request_.contentLength - request_.bodyBytes, kReadChunk);
        if (plan_.cutAfterBytes >= 0) {
            wanted = std::min(wanted, plan_.cutAfterBytes - request_.bodyBytes);
        }
        // One buffer for the whole connection: an upload of a gigabyte costs no
        // allocation per chunk.
        readBuffer_.resize(kReadChunk);
        const qint64 got = socket_->read(readBuffer_.data(), wanted);
        if (got <= 0) {
            break;
        }
        request_.bodyBytes += got;
        if (plan_.sink) {
            if (!plan_.sink->write(readBuffer_.constData(), got)) {
                abortBody();
                return;
            }
        } else {
            request_.body.append(readBuffer_.constData(), got);
        }
        if (request_.bodyBytes == plan_.cutAfterBytes && request_.bodyBytes < request_.contentLength) {
            abortBody();
            return;
        }
    }
    if (request_.bodyBytes == request_.contentLength) {
        finishRequest();
    }
}

void HttpConnection::finishRequest()
{
    state_ = State::Waiting;
    const quint64 generation = ++generation_;
    QPointer<HttpConnection> self(this);
    const std::shared_ptr<BodySink> sink = std::move(plan_.sink);
    plan_ = BodyPlan{};
    handler_.handle(request_, sink, [self, generation](const HttpResponse &response) {
        if (self) {
            self->send(response, generation);
        }
    });
}

void HttpConnection::send(const HttpResponse &response, quint64 generation)
{
    if (state_ != State::Waiting || generation != generation_) {
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " " + reasonPhrase(response.status) + "\r\n";
    if (!response.contentType.isEmpty()) {
        head += "Content-Type: " + response.contentType + "\r\n";
    }
    for (const auto &[name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
    }
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += keepAlive_ ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    socket_->write(head + response.body);
    if (!keepAlive_) {
        state_ = State::Closed;
        socket_->disconnectFromHost();
        return;
    }
    state_ = State::Head;
    // Bytes of a next request may already wait in the socket.
    QMetaObject::invokeMethod(this, &HttpConnection::readAvailable, Qt::QueuedConnection);
}

// Answers a request that cannot be read and closes, since the rest of the stream can no
// longer be framed.
void HttpConnection::refuse(int status, const QByteArray &text)
{
    if (state_ == State::Body) {
        handler_.bodyBroken(request_);
    }
    plan_ = BodyPlan{};
    state_ = State::Waiting;
    keepAlive_ = false;
    send(HttpResponse::text(status, text + "\n"), generation_);
}

void HttpConnection::abortBody()
{
    handler_.bodyBroken(request_);
    plan_ = BodyPlan{}; // the sink throws its partial file away
    state_ = State::Closed;
    socket_->abort();
    deleteLater();
}

void HttpConnection::closed()
{
    if (state_ == State::Body) {
        handler_.bodyBroken(request_);
        plan_ = BodyPlan{};
    }
    state_ = State::Closed;
    deleteLater();
}

} // namespace murva::devservice
