#include "api/RecorderAPI.h"

#include "api/SharedNetwork.h"

#include <QCoroNetworkReply>
#include <QCoroTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrlQuery>

#include <chrono>
#include <cmath>
#include <memory>

namespace murva {

namespace {

struct DeleteLater {
    void operator()(QObject *object) const { object->deleteLater(); }
};
using ReplyPointer = std::unique_ptr<QNetworkReply, DeleteLater>;

// A precise timer: Qt's timers run on the monotonic clock, and the waits between
// ready attempts are given without tolerance.
QCoro::Task<> sleepOnMonotonicClock(double seconds)
{
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    timer.start(std::chrono::milliseconds(std::llround(seconds * 1000)));
    co_await timer;
}

QByteArray oneKeyBody(const QString &key, const QJsonValue &value)
{
    return QJsonDocument(QJsonObject{{key, value}}).toJson(QJsonDocument::Compact);
}

// `base` with `path` joined to its own path: "https://h/api" + "/recorder/me" gives
// "https://h/api/recorder/me". The items, in their order, become the whole query.
QUrl endpoint(const QUrl &base, const QString &path, const QList<QPair<QString, QString>> &query)
{
    QUrl url = base;
    QString basePath = url.path();
    while (basePath.endsWith(QLatin1Char('/'))) {
        basePath.chop(1);
    }
    url.setPath(basePath + path);
    url.setFragment(QString());
    url.setQuery(QString()); // a null text removes the query, "?" included
    if (!query.isEmpty()) {
        QUrlQuery items;
        items.setQueryItems(query);
        url.setQuery(items);
    }
    return url;
}

// Network-layer codes (connection, name lookup, socket) sit below 100 in Qt's
// enumeration: with one of them the body is cut short even when a status arrived.
bool lostInTransfer(QNetworkReply::NetworkError error)
{
    return error != QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError;
}

// The body of a finished call read by `decode`; one it cannot read fails the call.
template <typename Value>
QCoro::Task<Value> decodedOrFailed(QCoro::Task<QByteArray> pending, std::optional<Value> (*decode)(const QByteArray &))
{
    const QByteArray body = co_await pending;
    std::optional<Value> value = decode(body);
    if (!value) {
        throw SaveError::failed;
    }
    co_return std::move(*value);
}

// The body of a finished call read by `decode`, whatever it makes of it.
template <typename Value>
QCoro::Task<Value> decoded(QCoro::Task<QByteArray> pending, Value (*decode)(const QByteArray &))
{
    const QByteArray body = co_await pending;
    co_return decode(body);
}

} // namespace

RecorderAPI::RecorderAPI(QUrl base, TokenOperation token)
    : base_(std::move(base)), token_(std::move(token)), sleep_(sleepOnMonotonicClock)
{
}

QCoro::Task<QByteArray> RecorderAPI::call(const QByteArray &methodRef, const QString &pathRef, const Query &queryRef,
                                          const std::optional<QByteArray> &bodyRef) const
{
    // Copies before the first suspension: the caller's arguments may be temporaries.
    const RecorderAPI self = *this;
    const QByteArray method = methodRef;
    const QString path = pathRef;
    const Query query = queryRef;
    const std::optional<QByteArray> body = bodyRef;

    std::optional<QString> token; // no token operation at all: no account, so nothing
    try {
        if (self.token_) {
            auto tokenTask = self.token_();
            token = co_await tokenTask;
        }
    } catch (...) {
        throw saveErrorOf(std::current_exception()) == SaveError::offline ? SaveError::offline : SaveError::failed;
    }
    if (!token || token->isEmpty()) {
        throw SaveError::signIn;
    }

    QNetworkRequest request(endpoint(self.base_, path, query));
    request.setTransferTimeout(static_cast<int>(requestTimeoutSec * 1000));
    request.setRawHeader("Authorization", "Bearer " + token->toUtf8());
    if (body) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    }
    QNetworkAccessManager &network = self.network_ ? *self.network_ : sharedNetwork();
    ReplyPointer reply(body ? network.sendCustomRequest(request, method, *body)
                            : network.sendCustomRequest(request, method));
    QNetworkReply *sent = reply.get();
    co_await sent;

    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    if ((!statusAttribute.isValid() && error != QNetworkReply::NoError) || lostInTransfer(error)) {
        throw saveErrorOf(error); // no (whole) reply
    }
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    const QByteArray replyBody = reply->readAll();
    if (const std::optional<SaveError> failure = saveErrorOf(status, replyBody)) {
        throw *failure;
    }
    co_return replyBody;
}

// `call` copies its arguments before it first waits, so these may hand it temporaries.
QCoro::Task<QByteArray> RecorderAPI::get(const QString &path, const Query &query) const
{
    return call(QByteArrayLiteral("GET"), path, query, std::nullopt);
}

QCoro::Task<QByteArray> RecorderAPI::post(const QString &path, const QString &key, const QJsonValue &value) const
{
    return call(QByteArrayLiteral("POST"), path, {}, oneKeyBody(key, value));
}

QCoro::Task<Me> RecorderAPI::me() const
{
    return decodedOrFailed(get(QStringLiteral("/recorder/me")), &Me::of);
}

QCoro::Task<std::optional<NextMeeting>> RecorderAPI::next() const
{
    return decoded(get(QStringLiteral("/recorder/next")), &NextMeeting::of);
}

QCoro::Task<BeginReply> RecorderAPI::begin(const BeginRequest &request) const
{
    const QByteArray body = QJsonDocument(request.toJson()).toJson(QJsonDocument::Compact);
    return decodedOrFailed(call(QByteArrayLiteral("POST"), QStringLiteral("/recorder/begin"), {}, body),
                           &BeginReply::of);
}

QCoro::Task<> RecorderAPI::ready(const QString &meetingIdRef) const
{
    const RecorderAPI self = *this;
    const QString meetingId = meetingIdRef;
    for (int attempt = 1;; ++attempt) {
        SaveError failure = SaveError::failed;
        try {
            auto task = self.post(QStringLiteral("/recorder/ready"), QStringLiteral("meetingId"), meetingId);
            co_await task;
            co_return;
        } catch (SaveError kind) {
            failure = kind;
        }
        const bool worthAnotherTry = failure == SaveError::notUploaded || failure == SaveError::offline;
        if (!worthAnotherTry || attempt >= readyAttempts) {
            throw failure;
        }
        auto wait = self.sleep_(2.0 * attempt);
        co_await wait;
    }
}

QCoro::Task<RecentInfo> RecorderAPI::recentInfo(const QStringList &meetingIds) const
{
    return decodedOrFailed(post(QStringLiteral("/recorder/titles"), QStringLiteral("meetingIds"),
                                QJsonArray::fromStringList(meetingIds)),
                           &RecentInfo::of);
}

QCoro::Task<std::optional<std::vector<UpcomingMeeting>>> RecorderAPI::upcoming(SystemTime until) const
{
    // Whole milliseconds, the fraction cut off toward zero.
    const auto untilMs = static_cast<qint64>(std::trunc(millisecondsSince1970(until)));
    return decoded(get(QStringLiteral("/recorder/upcoming"), {{QStringLiteral("until"), QString::number(untilMs)}}),
                   &UpcomingMeeting::list);
}

QCoro::Task<> RecorderAPI::cancel(const QString &meetingIdRef) const
{
    try {
        auto task = post(QStringLiteral("/recorder/cancel"), QStringLiteral("meetingId"), meetingIdRef);
        co_await task;
    } catch (...) {
        // Cancelling is tidying up: nobody waits for its outcome.
    }
}

} // namespace murva
