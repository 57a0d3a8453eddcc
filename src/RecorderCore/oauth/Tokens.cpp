#include "oauth/Tokens.h"

#include <QJsonValue>

#include <cmath>

namespace murva {
namespace {

// 2001-01-01 00:00:00 UTC in milliseconds since 1970.
constexpr qint64 kReferenceMs = 978307200000LL;

} // namespace

double secondsSince2001(const QDateTime &time)
{
    return double(time.toMSecsSinceEpoch() - kReferenceMs) / 1000.0;
}

QDateTime fromSecondsSince2001(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(kReferenceMs + qint64(std::llround(seconds * 1000.0)), Qt::UTC);
}

QJsonObject Tokens::toJson() const
{
    return QJsonObject{
        {QStringLiteral("accessToken"), accessToken},
        {QStringLiteral("refreshToken"), refreshToken},
        {QStringLiteral("expiresAt"), secondsSince2001(expiresAt)},
    };
}

std::optional<Tokens> Tokens::fromJson(const QJsonValue &json)
{
    const QJsonObject object = json.toObject();
    const QJsonValue access = object.value(QStringLiteral("accessToken"));
    const QJsonValue refresh = object.value(QStringLiteral("refreshToken"));
    const QJsonValue expires = object.value(QStringLiteral("expiresAt"));
    // Far beyond any real date: keeps the millisecond arithmetic in range.
    constexpr double kLimitSec = 1e12;
    if (!access.isString() || !refresh.isString() || !expires.isDouble()
        || std::abs(expires.toDouble()) > kLimitSec) {
        return std::nullopt;
    }
    return Tokens{access.toString(), refresh.toString(), fromSecondsSince2001(expires.toDouble())};
}

} // namespace murva
