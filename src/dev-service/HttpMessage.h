#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace murva::devservice {

// One request as the HTTP layer read it. A streamed body (an upload) never lands in
// `body`; `bodyBytes` counts what arrived either way.
struct HttpRequest {
    QByteArray method;
    QString path;     // percent-decoded
    QByteArray query; // raw, without the "?"
    QHash<QByteArray, QByteArray> headers; // names in lower case
    qint64 contentLength = 0;
    QByteArray body;
    qint64 bodyBytes = 0;
    int recordIndex = -1; // the request's entry in the service's request record

    QByteArray header(const QByteArray &lowerCaseName) const { return headers.value(lowerCaseName); }
};

struct HttpResponse {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;

    static HttpResponse json(int status, const QJsonObject &object);
    static HttpResponse text(int status, const QByteArray &text);
    static HttpResponse redirect(const QUrl &location);
};

QByteArray reasonPhrase(int status);

// Receives a streamed body. write() returning false ends the request: the connection
// is closed. A sink that is destroyed without being told the body was complete throws
// away what it wrote.
class BodySink {
public:
    virtual ~BodySink() = default;
    virtual bool write(const char *data, qint64 size) = 0;
};

// What the handler wants done with a request's body, decided once its head is in.
struct BodyPlan {
    std::shared_ptr<BodySink> sink; // none: keep the body in memory
    qint64 cutAfterBytes = -1;      // close the connection after that many body bytes
};

// Sends the reply of one request; may be called later (after a delay). Calls after the
// connection went away do nothing.
using HttpReplier = std::function<void(const HttpResponse &)>;

class HttpHandler {
public:
    virtual ~HttpHandler() = default;
    virtual BodyPlan planBody(HttpRequest &request) = 0;
    virtual void handle(const HttpRequest &request, const std::shared_ptr<BodySink> &sink,
                        const HttpReplier &reply) = 0;
    // The body stopped short: cut on purpose or the client went away.
    virtual void bodyBroken(const HttpRequest &request) = 0;
};

} // namespace murva::devservice
