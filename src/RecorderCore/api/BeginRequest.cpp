#include "api/BeginRequest.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace murva {

BeginRequest BeginRequest::make(const QString &title, SystemTime at, const std::optional<QUrl> &joinUrl,
                                qint64 bytes, double durationSec, const std::vector<Turn> &turns)
{
    BeginRequest request;
    request.title = title;
    request.at = std::round(millisecondsSince1970(at)); // std::round: halves away from zero
    if (joinUrl) {
        request.joinUrl = joinUrl->toString(QUrl::FullyEncoded);
    }
    request.bytes = bytes;
    request.durationSec = std::max(1.0, std::round(durationSec));
    request.turns = turns;
    return request;
}

QJsonObject BeginRequest::toJson() const
{
    QJsonArray turnsJson;
    for (const Turn &turn : turns) {
        turnsJson.append(murva::toJson(turn));
    }
    QJsonObject object{
        {QStringLiteral("title"), title},
        {QStringLiteral("at"), at},
        {QStringLiteral("people"), QJsonArray::fromStringList(people)},
        {QStringLiteral("bytes"), bytes},
        {QStringLiteral("durationSec"), durationSec},
        {QStringLiteral("transcript"), transcript},
        {QStringLiteral("turns"), turnsJson},
    };
    if (joinUrl) {
        object.insert(QStringLiteral("joinUrl"), *joinUrl);
    }
    return object;
}

} // namespace murva
