#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace murva {

// The tokens of one connected account.
struct Tokens {
    QString accessToken;
    QString refreshToken;
    // When `accessToken` counts as expired: already a minute before the server's own expiry,
    // so a token is renewed before a request could meet its end.
    QDateTime expiresAt;

    // Expired from `now` on (a token whose `expiresAt` equals now is expired).
    bool expired(const QDateTime &now) const { return !(expiresAt > now); }

    // {"accessToken", "refreshToken", "expiresAt"}; "expiresAt" in seconds since
    // 2001-01-01 00:00:00 UTC, the date encoding of the stored accounts.
    QJsonObject toJson() const;
    // All three keys are required; anything else gives nothing.
    static std::optional<Tokens> fromJson(const QJsonValue &json);

    friend bool operator==(const Tokens &, const Tokens &) = default;
};

// Seconds since 2001-01-01 00:00:00 UTC, and back.
double secondsSince2001(const QDateTime &time);
QDateTime fromSecondsSince2001(double seconds);

} // namespace murva
