#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QNetworkReply>
#include <QPair>
#include <QString>
#include <QUrl>

#include <optional>

namespace murva::test {

struct HttpAnswer {
    int status = 0; // 0: no HTTP reply
    QByteArray body;
    QByteArray location;

    QJsonObject json() const;
};

using Headers = QList<QPair<QByteArray, QByteArray>>;

// One request through QNetworkAccessManager, waited for synchronously; redirects are
// not followed.
HttpAnswer send(const QByteArray &method, const QUrl &url, const Headers &headers = {},
                const QByteArray &body = {});

// A loopback address where nothing listens.
QUrl closedLoopbackAddress();

// The JSON body of a request the service recorded (see DevService::requests).
QJsonObject bodyOf(const QJsonValue &request);

// Drives the local service of the fixture "service" through its control API. Every
// call is synchronous (it runs a private event loop until the answer is in) and fails
// the current test when the service does not answer 200.
class DevService {
public:
    // The service named by MURVA_SERVICE_URL (put there by the test main when the test
    // declares FIXTURES service); base() is empty without it.
    static DevService fromEnvironment();
    explicit DevService(const QUrl &base);

    QUrl base() const;
    // base() with `path` appended, e.g. url("/recorder/me").
    QUrl url(const QString &path) const;

    void reset();
    // A bearer token accepted by the API for the user with that e-mail address.
    QString issueToken(const QString &email = QStringLiteral("host@example.com"));
    // The reply of GET /recorder/`what` (me, upcoming, titles) from now on.
    void setReply(const QString &what, const QJsonObject &reply);
    // The next `count` calls of `path` get `status` and the raw `body`. A path ending in
    // "*" matches every path that starts with the rest (e.g. "/upload/*"). For inject,
    // delay and cutUpload a count of -1 means until reset, and 0 takes back the pending
    // faults of that path (for cutUpload: all pending cuts).
    void inject(const QString &path, int status, const QByteArray &body, int count = 1);
    void delay(const QString &path, int ms, int count = 1);
    // The next `count` upload PUTs lose their connection after `afterBytes` body bytes.
    // QNetworkAccessManager resends such a request by itself, taking one more cut each
    // time: to make an upload fail for sure, cut with -1 and take it back before the
    // retry that should succeed.
    void cutUpload(qint64 afterBytes, int count = 1);
    // Any of accessTokenLifetimeSec, refuseRefresh, failToken500, denyAuthorize,
    // userEmail, userName.
    void oauth(const QJsonObject &knobs);
    // Extra fields of every begin reply from now on: "title" and/or "customer".
    void beginReply(const QJsonObject &fields);

    // What the service received, in arrival order (control calls left out).
    QJsonArray requests();
    // Only the requests of one path.
    QJsonArray requests(const QString &path);
    QJsonArray meetings();

private:
    QJsonObject call(const QByteArray &method, const QString &path, const std::optional<QJsonObject> &body);

    QUrl base_;
};

} // namespace murva::test
