#pragma once

#include "api/BeginReply.h"
#include "api/BeginRequest.h"
#include "api/Me.h"
#include "api/SaveError.h"
#include "meetings/NextMeeting.h"
#include "meetings/RecentInfo.h"
#include "meetings/UpcomingMeeting.h"
#include "recordings/RecordDate.h"

#include <QCoroTask>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QJsonValue>
#include <QUrl>

#include <functional>
#include <optional>
#include <vector>

class QNetworkAccessManager;

namespace murva {

// The client of the service's HTTP API under "/recorder/". A value: copy it freely; each
// call is independent and keeps nothing. Every failure is thrown as a SaveError, except
// by `cancel`, which never fails.
//
// A coroutine copies the client before its first suspension, so a temporary client
// (`co_await api(id).me()`) or one that goes away while a call runs is safe.
class RecorderAPI {
public:
    // The account's current access token; nothing when there is none (the request then
    // fails with `signIn` and nothing is sent). It may throw: a SaveError or a
    // NetworkFailure meaning `offline` gives `offline`, anything else `failed`.
    using TokenOperation = std::function<QCoro::Task<std::optional<QString>>()>;
    // Waits that many seconds on the monotonic clock.
    using Sleep = std::function<QCoro::Task<>(double seconds)>;

    RecorderAPI(QUrl base, TokenOperation token);

    const QUrl &base() const { return base_; }

    // For tests: how `ready` waits between attempts (a real timer by default), and which
    // HTTP client sends (the thread's shared one by default; it must outlive every call).
    void setSleep(Sleep sleep) { sleep_ = std::move(sleep); }
    void setNetwork(QNetworkAccessManager *network) { network_ = network; }

    // "GET /recorder/me"; an unreadable reply fails with `failed`.
    QCoro::Task<Me> me() const;
    // "GET /recorder/next"; an unreadable reply means no next meeting.
    QCoro::Task<std::optional<NextMeeting>> next() const;
    // "POST /recorder/begin"; an unreadable reply fails with `failed`.
    QCoro::Task<BeginReply> begin(const BeginRequest &request) const;
    // "POST /recorder/ready". While the service answers `notUploaded` or the network is
    // missing, tries again after 2, 4, 6, 8 and 10 s: six requests at most.
    QCoro::Task<> ready(const QString &meetingId) const;
    // "POST /recorder/titles"; an unreadable reply fails with `failed`.
    QCoro::Task<RecentInfo> recentInfo(const QStringList &meetingIds) const;
    // "GET /recorder/upcoming?until=<ms>"; an unreadable reply gives nothing.
    QCoro::Task<std::optional<std::vector<UpcomingMeeting>>> upcoming(SystemTime until) const;
    // "POST /recorder/cancel"; every error is dropped.
    QCoro::Task<> cancel(const QString &meetingId) const;

    static constexpr int readyAttempts = 6;
    static constexpr double requestTimeoutSec = 60;

private:
    using Query = QList<QPair<QString, QString>>;

    // The common request: token, URL, headers, send, status. Returns the reply body.
    QCoro::Task<QByteArray> call(const QByteArray &method, const QString &path, const Query &query,
                                 const std::optional<QByteArray> &body) const;
    QCoro::Task<QByteArray> get(const QString &path, const Query &query = {}) const;
    // A JSON body of one key.
    QCoro::Task<QByteArray> post(const QString &path, const QString &key, const QJsonValue &value) const;

    QUrl base_;
    TokenOperation token_;
    Sleep sleep_;
    QNetworkAccessManager *network_ = nullptr;
};

} // namespace murva
