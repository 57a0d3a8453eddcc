#include "ServiceState.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace murva::devservice {

void ServiceState::reset()
{
    accounts.clear();
    meetings.clear();
    uploads.clear();
    faults.clear();
    log.clear();
    me.reset();
    next.reset();
    upcoming.reset();
    titles.reset();
    beginExtras = {};
}

std::optional<QJsonValue> parseJson(const QByteArray &body)
{
    // QJsonDocument reads only objects and arrays at the top: read the text as the one
    // element of an array.
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson("[" + body + "\n]", &error);
    if (error.error != QJsonParseError::NoError || document.array().size() != 1) {
        return std::nullopt;
    }
    return document.array().first();
}

QByteArray jsonText(const QJsonValue &value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

bool hasMediaType(const HttpRequest &request, const QByteArray &mediaType)
{
    const QByteArray value = request.header("content-type");
    return value.left(value.indexOf(';') < 0 ? value.size() : value.indexOf(';')).trimmed().toLower() == mediaType;
}

HttpResponse refusal(int status, const QString &error)
{
    return HttpResponse::json(status, QJsonObject{{"ok", false}, {"error", error}});
}

HttpResponse jsonReply(int status, const QJsonValue &value)
{
    HttpResponse response;
    response.status = status;
    response.contentType = "application/json";
    response.body = jsonText(value);
    return response;
}

} // namespace murva::devservice
