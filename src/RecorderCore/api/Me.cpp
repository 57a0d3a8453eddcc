#include "api/Me.h"

#include <QJsonDocument>
#include <QJsonValue>

namespace murva {

namespace {

const QString appKey = QStringLiteral("app");
const QString youKey = QStringLiteral("you");
const QString emailKey = QStringLiteral("email");
const QString imageKey = QStringLiteral("image");
const QString meetingsUrlKey = QStringLiteral("meetingsUrl");
const QString localeKey = QStringLiteral("locale");

std::optional<QString> optionalString(const QJsonValue &value)
{
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

// Only "https", compared as written (QUrl would lower-case "HTTPS"): an http address for
// a picture or the meeting pages is dropped rather than followed.
std::optional<QUrl> httpsUrl(const QJsonValue &value)
{
    if (!value.isString() || !value.toString().startsWith(QLatin1String("https:"))) {
        return std::nullopt;
    }
    const QUrl url(value.toString(), QUrl::StrictMode);
    if (!url.isValid() || url.isEmpty()) {
        return std::nullopt;
    }
    return url;
}

QString localeOf(const QJsonValue &value)
{
    return value.toString() == QLatin1String("fr") ? QStringLiteral("fr") : QStringLiteral("en");
}

Me fieldsOf(const QJsonObject &object)
{
    Me me;
    me.app = object.value(appKey).toString();
    me.you = optionalString(object.value(youKey));
    me.email = optionalString(object.value(emailKey));
    me.image = httpsUrl(object.value(imageKey));
    me.meetingsUrl = httpsUrl(object.value(meetingsUrlKey));
    me.locale = localeOf(object.value(localeKey));
    return me;
}

} // namespace

std::optional<Me> Me::of(const QByteArray &data)
{
    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (!document.isObject() || !document.object().value(appKey).isString()) {
        return std::nullopt;
    }
    return fieldsOf(document.object());
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
