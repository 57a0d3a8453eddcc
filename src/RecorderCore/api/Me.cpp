#include "api/Me.h"

#include "support/JsonShapes.h"

#include <QJsonValue>

namespace murva {

namespace {

const QString appKey = QStringLiteral("app");
const QString youKey = QStringLiteral("you");
const QString emailKey = QStringLiteral("email");
const QString imageKey = QStringLiteral("image");
const QString meetingsUrlKey = QStringLiteral("meetingsUrl");
const QString localeKey = QStringLiteral("locale");

// Only "https": an http address for a picture or the meeting pages is dropped rather than
// followed.
std::optional<QUrl> httpsUrl(const QJsonValue &value)
{
    return json::urlOf(value, {u"https"});
}

QString localeOf(const QJsonValue &value)
{
    return value.toString() == QLatin1String("fr") ? QStringLiteral("fr") : QStringLiteral("en");
}

Me fieldsOf(const QJsonObject &object)
{
    Me me;
    me.app = object.value(appKey).toString();
    me.you = json::stringOf(object.value(youKey));
    me.email = json::stringOf(object.value(emailKey));
    me.image = httpsUrl(object.value(imageKey));
    me.meetingsUrl = httpsUrl(object.value(meetingsUrlKey));
    me.locale = localeOf(object.value(localeKey));
    return me;
}

} // namespace

std::optional<Me> Me::of(const QByteArray &data)
{
    const std::optional<QJsonObject> object = json::objectOf(data);
    if (!object || !object->value(appKey).isString()) {
        return std::nullopt;
    }
    return fieldsOf(*object);
}

std::optional<QUrl> Me::meetingURL(const QString &id) const
{
    if (!meetingsUrl) {
        return std::nullopt;
    }
    QUrl url = *meetingsUrl;
    QString path = url.path();
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    // One path component: a "/" or "?" inside the id stays part of it.
    url.setPath(path + QString::fromLatin1(QUrl::toPercentEncoding(id)), QUrl::TolerantMode);
    return url;
}

QJsonObject Me::toJson() const
{
    QJsonObject object{{appKey, app}, {localeKey, locale}};
    if (you) {
        object.insert(youKey, *you);
    }
    if (email) {
        object.insert(emailKey, *email);
    }
    if (image) {
        object.insert(imageKey, image->toString(QUrl::FullyEncoded));
    }
    if (meetingsUrl) {
        object.insert(meetingsUrlKey, meetingsUrl->toString(QUrl::FullyEncoded));
    }
    return object;
}

std::optional<Me> Me::fromJson(const QJsonObject &object)
{
    if (!object.value(appKey).isString() || !object.value(localeKey).isString()) {
        return std::nullopt;
    }
    return fieldsOf(object);
}

} // namespace murva
