#pragma once

#include "Accounts.h"
#include "FaultPlan.h"
#include "HttpMessage.h"
#include "MeetingBook.h"
#include "RequestLog.h"
#include "UploadStore.h"

#include <QJsonValue>
#include <QUrl>

#include <optional>

namespace murva::devservice {

// Everything the service holds in memory, shared by its routes.
struct ServiceState {
    QUrl base; // http://127.0.0.1:PORT
    Accounts accounts;
    MeetingBook meetings;
    UploadStore uploads;
    FaultPlan faults;
    RequestLog log;
    // Replies set through the control API; unset: built from what the service holds.
    std::optional<QJsonValue> me, next, upcoming, titles;
    QJsonObject beginExtras; // fields added to every begin reply

    // Forgets everything but the base address.
    void reset();
};

// The JSON value of a body: any JSON text, not only objects and arrays.
std::optional<QJsonValue> parseJson(const QByteArray &body);
QByteArray jsonText(const QJsonValue &value);
// Whether the request says its body is of that media type (parameters ignored).
bool hasMediaType(const HttpRequest &request, const QByteArray &mediaType);
// The API's refusal: {"ok": false, "error": error}.
HttpResponse refusal(int status, const QString &error);
// A reply whose body is any JSON value.
HttpResponse jsonReply(int status, const QJsonValue &value);

} // namespace murva::devservice
