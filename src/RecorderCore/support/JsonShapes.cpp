#include "support/JsonShapes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>
#include <limits>

namespace murva::json {

std::optional<QJsonObject> objectOf(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

bool isArrayOfObjects(const QJsonValue &value)
{
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    return std::all_of(array.begin(), array.end(), [](const QJsonValue &element) { return element.isObject(); });
}

std::optional<QStringList> stringsOf(const QJsonValue &value)
{
    if (!value.isArray())
        return std::nullopt;
    QStringList strings;
    for (const QJsonValue element : value.toArray()) {
        if (!element.isString())
            return std::nullopt;
        strings.append(element.toString());
    }
    return strings;
}

std::optional<QString> stringOf(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<int> integerOf(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    // Clamped before converting: a huge count from the service must not be undefined
    // behaviour here.
    const double number = std::trunc(value.toDouble());
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(number, lowest, highest));
}

std::optional<QUrl> urlOf(const QJsonValue &value, std::initializer_list<QStringView> schemes)
{
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    const QStringView scheme = QStringView(text).left(colon);
    if (std::none_of(schemes.begin(), schemes.end(), [&](QStringView allowed) { return scheme == allowed; }))
        return std::nullopt;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

} // namespace murva::json
