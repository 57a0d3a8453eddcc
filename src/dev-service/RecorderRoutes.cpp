#include "RecorderRoutes.h"

#include <QUrlQuery>

namespace murva::devservice {
namespace {

const QString kUploadPrefix = QStringLiteral("/upload/");

QString meetingIdOfUpload(const QString &path)
{
    return path.mid(kUploadPrefix.size());
}

bool isNumber(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key)).isDouble();
}

// A turn as the recorder writes it: {"from": s, "to": s, "who": "host" | "guests"}.
bool validTurns(const QJsonValue &turns)
{
    if (!turns.isArray()) {
        return false;
    }
    for (const QJsonValue &turn : turns.toArray()) {
        const QJsonObject object = turn.toObject();
        const QString who = object.value("who").toString();
        if (!isNumber(object, "from") || !isNumber(object, "to") || (who != "host" && who != "guests")) {
            return false;
        }
    }
    return true;
}

bool validBegin(const QJsonObject &body)
{
    const double bytes = body.value("bytes").toDouble(-1);
    return body.value("title").isString() && isNumber(body, "at") && isNumber(body, "durationSec")
        && bytes >= 1 && bytes == double(qint64(bytes)) && validTurns(body.value("turns"))
        && (!body.contains("joinUrl") || body.value("joinUrl").isString())
        && (!body.contains("people") || body.value("people").isArray())
        && (!body.contains("transcript") || body.value("transcript").isString());
}

} // namespace

RecorderRoutes::RecorderRoutes(ServiceState &state)
    : state_(state)
{
}

bool RecorderRoutes::owns(const QString &path)
{
    return path.startsWith(QLatin1String("/recorder/")) || path.startsWith(kUploadPrefix);
}

bool RecorderRoutes::isUpload(const HttpRequest &request)
{
    return request.method == "PUT" && request.path.startsWith(kUploadPrefix);
}

std::shared_ptr<UploadSink> RecorderRoutes::uploadSink(const HttpRequest &request)
{
    if (Meeting *meeting = state_.meetings.find(meetingIdOfUpload(request.path))) {
        ++meeting->uploadAttempts;
    }
    if (uploadRefusal(request)) {
        return std::make_shared<UploadSink>();
    }
    return state_.uploads.open(meetingIdOfUpload(request.path));
}

HttpResponse RecorderRoutes::handle(const HttpRequest &request, UploadSink *upload)
{
    const QString &path = request.path;
    if (path.startsWith(kUploadPrefix)) {
        return request.method == "PUT" ? this->upload(request, upload) : refusal(405, "failed");
    }
    static const QStringList gets = {"/recorder/me", "/recorder/next", "/recorder/upcoming"};
    static const QStringList posts = {"/recorder/titles", "/recorder/begin", "/recorder/ready", "/recorder/cancel"};
    if (!gets.contains(path) && !posts.contains(path)) {
        return refusal(404, "failed");
    }
    const QByteArray authorization = request.header("authorization");
    const User *user = authorization.left(7).toLower() == "bearer "
        ? state_.accounts.userForToken(QString::fromLatin1(authorization.mid(7).trimmed()))
        : nullptr;
    if (!user) {
        return refusal(401, "signIn");
    }
    if (request.method != (gets.contains(path) ? "GET" : "POST")) {
        return refusal(405, "failed");
    }
    if (path == "/recorder/me") {
        return me(*user);
    }
    if (path == "/recorder/next") {
        return next();
    }
    if (path == "/recorder/upcoming") {
        return upcoming(request);
    }
    if (!hasMediaType(request, "application/json")) {
        return refusal(415, "failed");
    }
    const std::optional<QJsonValue> body = parseJson(request.body);
    if (!body || !body->isObject()) {
        return refusal(400, "failed");
    }
    if (path == "/recorder/titles") {
        return titles(*user, body->toObject());
    }
    if (path == "/recorder/begin") {
        return begin(*user, body->toObject());
    }
    if (path == "/recorder/ready") {
        return ready(*user, body->toObject());
    }
    return cancel(*user, body->toObject());
}

HttpResponse RecorderRoutes::me(const User &user)
{
    if (state_.me) {
        return jsonReply(200, *state_.me);
    }
    return HttpResponse::json(200, QJsonObject{{"app", "Murva (local)"},
                                               {"you", user.name},
                                               {"email", user.email},
                                               {"meetingsUrl", "https://murva.example/meetings"},
                                               {"locale", "en"}});
}

HttpResponse RecorderRoutes::next()
{
    // The service keeps no calendar of its own: no next meeting unless a test set one.
    return jsonReply(200, state_.next.value_or(QJsonObject{{"meeting", QJsonValue::Null}}));
}

HttpResponse RecorderRoutes::upcoming(const HttpRequest &request)
{
    bool valid = false;
    QUrlQuery(QString::fromUtf8(request.query)).queryItemValue("until").toLongLong(&valid);
    if (!valid) {
        return refusal(400, "failed");
    }
    return jsonReply(200, state_.upcoming.value_or(QJsonObject{{"meetings", QJsonArray{}}}));
}

HttpResponse RecorderRoutes::titles(const User &user, const QJsonObject &body)
{
    if (state_.titles) {
        return jsonReply(200, *state_.titles);
    }
    const QJsonValue ids = body.value("meetingIds");
    if (!ids.isArray()) {
        return refusal(400, "failed");
    }
    QStringList meetingIds;
    for (const QJsonValue &id : ids.toArray()) {
        if (!id.isString()) {
            return refusal(400, "failed");
        }
        meetingIds.append(id.toString());
    }
    return HttpResponse::json(200, state_.meetings.titlesReply(meetingIds, user.email));
}

HttpResponse RecorderRoutes::begin(const User &user, const QJsonObject &body)
{
    if (!validBegin(body)) {
        return refusal(400, "failed");
    }
    const Meeting &meeting = state_.meetings.create(user.email, body);
    QUrl uploadUrl = state_.base;
    uploadUrl.setPath(kUploadPrefix + meeting.meetingId);
    QJsonObject reply{{"ok", true}, {"meetingId", meeting.meetingId}, {"uploadUrl", uploadUrl.toString()}};
    for (auto field = state_.beginExtras.begin(); field != state_.beginExtras.end(); ++field) {
        reply.insert(field.key(), field.value());
    }
    return HttpResponse::json(200, reply);
}

HttpResponse RecorderRoutes::ready(const User &user, const QJsonObject &body)
{
    if (!body.value("meetingId").isString()) {
        return refusal(400, "failed");
    }
    Meeting *meeting = state_.meetings.findOwned(body.value("meetingId").toString(), user.email);
    if (!meeting) {
        return refusal(404, "failed");
    }
    if (meeting->cancelled) {
        return refusal(410, "failed");
    }
    if (!meeting->uploaded) {
        return refusal(409, "notUploaded");
    }
    if (!meeting->ready) {
        meeting->ready = true;
        meeting->readyAtMs = nowMs();
    }
    return HttpResponse::json(200, QJsonObject{{"ok", true}});
}

HttpResponse RecorderRoutes::cancel(const User &user, const QJsonObject &body)
{
    if (!body.value("meetingId").isString()) {
        return refusal(400, "failed");
    }
    Meeting *meeting = state_.meetings.findOwned(body.value("meetingId").toString(), user.email);
    if (!meeting) {
        return refusal(404, "failed");
    }
    meeting->cancelled = true;
    state_.uploads.remove(meeting->uploadPath);
    meeting->uploadPath.clear();
    return HttpResponse::json(200, QJsonObject{{"ok", true}});
}

std::optional<HttpResponse> RecorderRoutes::uploadRefusal(const HttpRequest &request)
{
    const Meeting *meeting = state_.meetings.find(meetingIdOfUpload(request.path));
    if (!meeting) {
        return refusal(404, "failed");
    }
    if (meeting->cancelled) {
        return refusal(410, "failed");
    }
    if (!hasMediaType(request, "video/mp4")) {
        return refusal(415, "failed");
    }
    if (request.contentLength != meeting->declaredBytes) {
        // The size announced at begin is what the service expects to store.
        return refusal(400, "failed");
    }
    return std::nullopt;
}

HttpResponse RecorderRoutes::upload(const HttpRequest &request, UploadSink *upload)
{
    if (const std::optional<HttpResponse> refused = uploadRefusal(request)) {
        return *refused;
    }
    Meeting *meeting = state_.meetings.find(meetingIdOfUpload(request.path));
    const QString path = upload && upload->keepsFile() ? upload->commit() : QString();
    if (path.isEmpty()) {
        return refusal(500, "failed");
    }
    meeting->uploaded = true;
    meeting->uploadBytes = request.bodyBytes;
    meeting->uploadContentType = QString::fromLatin1(request.header("content-type"));
    meeting->uploadPath = path;
    return HttpResponse::json(200, QJsonObject{{"ok", true}});
}

} // namespace murva::devservice
