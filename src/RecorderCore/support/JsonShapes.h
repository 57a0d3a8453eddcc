#pragma once

// Shape tests shared by the decoders of the service's replies and of stored records, which
// all read JSON the same tolerant way: a value counts only when it has exactly the JSON
// type asked for.

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <initializer_list>
#include <optional>

namespace murva::json {

// The body's top-level object; nothing when it is not JSON or not an object.
std::optional<QJsonObject> objectOf(const QByteArray &body);

// An array whose elements are all objects (an empty array is one).
bool isArrayOfObjects(const QJsonValue &value);

// The strings of an array of strings; nothing when any element is not a string.
std::optional<QStringList> stringsOf(const QJsonValue &value);

std::optional<QString> stringOf(const QJsonValue &value);

// A number cut toward zero and held within `int`; nothing when it is not a number.
std::optional<int> integerOf(const QJsonValue &value);

// A string that parses as a URL whose scheme, as written, is one of `schemes`. The
// scheme is compared before parsing because QUrl lower-cases it: "HTTPS://…" is refused.
std::optional<QUrl> urlOf(const QJsonValue &value, std::initializer_list<QStringView> schemes);

} // namespace murva::json
