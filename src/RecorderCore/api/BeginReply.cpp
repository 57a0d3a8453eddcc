#include "api/BeginReply.h"

#include "support/JsonShapes.h"

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
    const std::optional<QJsonObject> object = json::objectOf(data);
    if (!object) {
        return std::nullopt;
    }
    const std::optional<QString> meetingId = json::stringOf(object->value(QStringLiteral("meetingId")));
    const std::optional<QString> uploadUrl = json::stringOf(object->value(QStringLiteral("uploadUrl")));
    if (!meetingId || !uploadUrl) {
        return std::nullopt;
    }
    // Any scheme is kept here; the upload itself sends only to web addresses.
    const QUrl url(*uploadUrl, QUrl::StrictMode);
    if (url.isEmpty() || !url.isValid()) {
        return std::nullopt;
    }
    BeginReply reply;
    reply.meetingId = *meetingId;
    reply.uploadUrl = url;
    reply.customer = json::stringOf(object->value(QStringLiteral("customer")));
    const std::optional<QString> title = json::stringOf(object->value(QStringLiteral("title")));
    if (title && hasVisibleText(*title)) {
        reply.title = title;
    }
    return reply;
}

} // namespace murva
