#include "ControlRoutes.h"

namespace murva::devservice {
namespace {

const QString kPrefix = QStringLiteral("/control/");

HttpResponse done()
{
    return HttpResponse::json(200, QJsonObject{{"ok", true}});
}

HttpResponse badRequest(const QString &why)
{
    return refusal(400, why);
}

int countOf(const QJsonObject &body)
{
    return body.value("count").toInt(1);
}

} // namespace

ControlRoutes::ControlRoutes(ServiceState &state, AuthorizationServer &authorization)
    : state_(state)
    , authorization_(authorization)
{
}

bool ControlRoutes::owns(const QString &path)
{
    return path.startsWith(kPrefix);
}

HttpResponse ControlRoutes::handle(const HttpRequest &request)
{
    const QString name = request.path.mid(kPrefix.size());
    if (request.method == "GET") {
        if (name == "requests") {
            return HttpResponse::json(200, QJsonObject{{"requests", state_.log.toJson()}});
        }
        if (name == "meetings") {
            return HttpResponse::json(200, QJsonObject{{"meetings", state_.meetings.toJson()}});
        }
        return refusal(404, "no such control");
    }
    const std::optional<QJsonValue> body = request.body.trimmed().isEmpty() ? QJsonValue(QJsonObject{})
                                                                             : parseJson(request.body);
    if (!body) {
        return badRequest("the body is not JSON");
    }
    if (request.method == "PUT") {
        std::optional<QJsonValue> *reply = name == "me" ? &state_.me
            : name == "next"                             ? &state_.next
            : name == "upcoming"                         ? &state_.upcoming
            : name == "titles"                           ? &state_.titles
                                                         : nullptr;
        if (!reply) {
            return refusal(404, "no such control");
        }
        if (name == "me" && !body->isObject()) {
            return badRequest("me must be a JSON object");
        }
        *reply = *body;
        return done();
    }
    if (request.method != "POST") {
        return refusal(405, "GET, PUT or POST");
    }
    if (!body->isObject()) {
        return badRequest("the body must be a JSON object");
    }
    return post(name, body->toObject());
}

HttpResponse ControlRoutes::post(const QString &name, const QJsonObject &body)
{
    if (name == "reset") {
        state_.reset();
        authorization_.reset();
        return done();
    }
    if (name == "token") {
        return issueToken(body);
    }
    if (name == "inject") {
        return inject(body);
    }
    if (name == "delay") {
        return delay(body);
    }
    if (name == "cut") {
        return cut(body);
    }
    if (name == "notes") {
        return notes(body);
    }
    if (name == "begin") {
        return beginExtras(body);
    }
    if (name == "oauth") {
        QString error;
        return authorization_.setKnobs(body, &error) ? done() : badRequest(error);
    }
    return refusal(404, "no such control");
}

HttpResponse ControlRoutes::issueToken(const QJsonObject &body)
{
    const QString email = body.value("email").toString(QStringLiteral("host@example.com"));
    if (!email.contains('@')) {
        return badRequest("email must be an e-mail address");
    }
    state_.accounts.user(email, body.value("name").toString());
    return HttpResponse::json(200, QJsonObject{{"accessToken", state_.accounts.issueToken(email, -1)}});
}

HttpResponse ControlRoutes::inject(const QJsonObject &body)
{
    const int status = body.value("status").toInt(0);
    if (!body.value("path").isString() || status < 100 || status > 599) {
        return badRequest("path and a status from 100 to 599 are needed");
    }
    const QJsonValue text = body.value("body");
    // A body given as JSON rather than text is sent as its JSON text.
    const QByteArray bytes = text.isString() ? text.toString().toUtf8() : text.isUndefined() ? QByteArray() : jsonText(text);
    state_.faults.inject(body.value("path").toString(), status, bytes, countOf(body));
    return done();
}

HttpResponse ControlRoutes::delay(const QJsonObject &body)
{
    if (!body.value("path").isString() || !body.value("ms").isDouble()) {
        return badRequest("path and ms are needed");
    }
    state_.faults.delay(body.value("path").toString(), body.value("ms").toInt(), countOf(body));
    return done();
}

HttpResponse ControlRoutes::cut(const QJsonObject &body)
{
    if (!body.value("afterBytes").isDouble() || body.value("afterBytes").toDouble() < 0) {
        return badRequest("afterBytes is needed");
    }
    state_.faults.cut(body.value("afterBytes").toInteger(), countOf(body));
    return done();
}

HttpResponse ControlRoutes::notes(const QJsonObject &body)
{
    const double writingSec = body.value("writingSec").toDouble(0);
    if (writingSec < 0) {
        return badRequest("writingSec must not be negative");
    }
    state_.meetings.setNotes(writingSec, body.value("nextSteps").toInt(3));
    return done();
}

HttpResponse ControlRoutes::beginExtras(const QJsonObject &body)
{
    state_.beginExtras = body;
    return done();
}

} // namespace murva::devservice
