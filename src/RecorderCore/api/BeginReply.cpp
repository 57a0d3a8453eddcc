#include "api/BeginReply.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace murva {

namespace {

// Blank means only white space and line breaks.
bool hasVisibleText(const QString &text)
{
    return !text.trimmed().isEmpty();
}

} // namespace

std::optional<BeginReply> BeginReply::of(const QByteArray &data)
{
    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (!document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    const QJsonValue meetingId = object.value(QStringLiteral("meetingId"));
    const QJsonValue uploadUrl = object.value(QStringLiteral("uploadUrl"));
    if (!meetingId.isString() || !uploadUrl.isString()) {
        return std::nullopt;
    }
    const QUrl url(uploadUrl.toString(), QUrl::StrictMode);
    if (url.isEmpty() || !url.isValid()) {
        return std::nullopt;
    }
    BeginReply reply;
    reply.meetingId = meetingId.toString();
    reply.uploadUrl = url;
    const QJsonValue customer = object.value(QStringLiteral("customer"));
    if (customer.isString()) {
        reply.customer = customer.toString();
    }
    const QJsonValue title = object.value(QStringLiteral("title"));
    if (title.isString() && hasVisibleText(title.toString())) {
        reply.title = title.toString();
    }
    return reply;
}

} // namespace murva
