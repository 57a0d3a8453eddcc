#include "AuthorizationServer.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QRegularExpression>
#include <QUrlQuery>

namespace murva::devservice {
namespace {

constexpr qint64 kCodeLifetimeMs = 10 * 60 * 1000;

HttpResponse oauthError(int status, const QString &error, const QString &description)
{
    HttpResponse response = HttpResponse::json(status, QJsonObject{{"error", error}, {"error_description", description}});
    response.headers.append({QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-store")});
    return response;
}

// application/x-www-form-urlencoded: "+" is a space, the rest percent-encoded. Nothing
// when a parameter comes twice (RFC 6749 section 3.2).
std::optional<QHash<QString, QString>> parseForm(const QByteArray &body)
{
    QHash<QString, QString> form;
    for (const QByteArray &pair : body.split('&')) {
        if (pair.isEmpty()) {
            continue;
        }
        const qsizetype equals = pair.indexOf('=');
        const auto decode = [](QByteArray text) {
            return QString::fromUtf8(QByteArray::fromPercentEncoding(text.replace('+', ' ')));
        };
        const QString name = decode(pair.left(equals < 0 ? pair.size() : equals));
        if (form.contains(name)) {
            return std::nullopt;
        }
        form.insert(name, equals < 0 ? QString() : decode(pair.mid(equals + 1)));
    }
    return form;
}

// RFC 7636 section 4.1: 43 to 128 unreserved characters.
bool validVerifier(const QString &verifier)
{
    static const QRegularExpression shape(QStringLiteral("^[A-Za-z0-9._~-]{43,128}$"));
    return shape.match(verifier).hasMatch();
}

QString s256(const QString &verifier)
{
    const QByteArray digest = QCryptographicHash::hash(verifier.toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

// A redirect URI a client may register: absolute, without a fragment (RFC 6749 3.1.2).
bool validRedirectUri(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.isRelative() && !url.host().isEmpty() && !url.hasFragment();
}

QUrl withQueryItems(const QString &redirectUri, const QList<QPair<QString, QString>> &items)
{
    QUrl url(redirectUri);
    QString query = url.query(QUrl::FullyEncoded);
    for (const auto &[name, value] : items) {
        if (!query.isEmpty()) {
            query += '&';
        }
        query += QString::fromLatin1(QUrl::toPercentEncoding(name) + "=" + QUrl::toPercentEncoding(value));
    }
    url.setQuery(query, QUrl::StrictMode);
    return url;
}

} // namespace

AuthorizationServer::AuthorizationServer(ServiceState &state)
    : state_(state)
{
}

bool AuthorizationServer::owns(const QString &path)
{
    return path == QLatin1String("/.well-known/oauth-authorization-server") || path.startsWith(QLatin1String("/oauth/"));
}

QString AuthorizationServer::endpoint(const QString &path) const
{
    QUrl url = state_.base;
    url.setPath(path);
    return url.toString();
}

HttpResponse AuthorizationServer::handle(const HttpRequest &request)
{
    const QString &path = request.path;
    const auto route = [&](const char *method, HttpResponse (AuthorizationServer::*action)(const HttpRequest &)) {
        return request.method == method ? (this->*action)(request)
                                        : oauthError(405, "invalid_request", "method not allowed");
    };
    if (path == QLatin1String("/.well-known/oauth-authorization-server")) {
        return request.method == "GET" ? metadata() : oauthError(405, "invalid_request", "method not allowed");
    }
    if (path == QLatin1String("/oauth/register")) {
        return route("POST", &AuthorizationServer::registerClient);
    }
    if (path == QLatin1String("/oauth/authorize")) {
        return route("GET", &AuthorizationServer::authorize);
    }
    if (path == QLatin1String("/oauth/token")) {
        return route("POST", &AuthorizationServer::token);
    }
    return oauthError(404, "invalid_request", "no such endpoint");
}

HttpResponse AuthorizationServer::metadata() const
{
    return HttpResponse::json(200, QJsonObject{
        {"issuer", state_.base.toString()},
        {"authorization_endpoint", endpoint("/oauth/authorize")},
        {"token_endpoint", endpoint("/oauth/token")},
        {"registration_endpoint", endpoint("/oauth/register")},
        {"response_types_supported", QJsonArray{"code"}},
        {"grant_types_supported", QJsonArray{"authorization_code", "refresh_token"}},
        {"code_challenge_methods_supported", QJsonArray{"S256"}},
        {"token_endpoint_auth_methods_supported", QJsonArray{"none"}},
    });
}

HttpResponse AuthorizationServer::registerClient(const HttpRequest &request)
{
    const std::optional<QJsonValue> body = parseJson(request.body);
    if (!hasMediaType(request, "application/json") || !body || !body->isObject()) {
        return oauthError(400, "invalid_client_metadata", "the body must be a JSON object");
    }
    const QJsonObject metadata = body->toObject();
    const QJsonValue uris = metadata.value("redirect_uris");
    if (!uris.isArray() || uris.toArray().isEmpty()) {
        return oauthError(400, "invalid_redirect_uri", "redirect_uris must list at least one address");
    }
    Client client;
    for (const QJsonValue &uri : uris.toArray()) {
        if (!uri.isString() || !validRedirectUri(uri.toString())) {
            return oauthError(400, "invalid_redirect_uri", "not an absolute address: " + uri.toString());
        }
        client.redirectUris.append(uri.toString());
    }
    if (metadata.contains("client_name") && !metadata.value("client_name").isString()) {
        return oauthError(400, "invalid_client_metadata", "client_name must be a string");
    }
    client.name = metadata.value("client_name").toString();
    const QString clientId = newSecret(16);
    clients_.insert(clientId, client);
    return HttpResponse::json(201, QJsonObject{
        {"client_id", clientId},
        {"client_id_issued_at", QDateTime::currentSecsSinceEpoch()},
        {"client_name", client.name},
        {"redirect_uris", QJsonArray::fromStringList(client.redirectUris)},
        {"token_endpoint_auth_method", "none"},
        {"grant_types", QJsonArray{"authorization_code", "refresh_token"}},
        {"response_types", QJsonArray{"code"}},
    });
}

// Approves at once. An unknown client or an unregistered redirect URI is answered here
// and never redirected (RFC 6749 section 4.1.2.1); other errors go back to the client.
HttpResponse AuthorizationServer::authorize(const HttpRequest &request)
{
    const QUrlQuery query(QString::fromUtf8(request.query));
    const auto item = [&](const char *name) { return query.queryItemValue(name, QUrl::FullyDecoded); };
    const auto client = clients_.constFind(item("client_id"));
    if (client == clients_.cend()) {
        return HttpResponse::text(400, "unknown client_id\n");
    }
    QString redirectUri = item("redirect_uri");
    if (redirectUri.isEmpty() && client->redirectUris.size() == 1) {
        redirectUri = client->redirectUris.first();
    }
    if (!client->redirectUris.contains(redirectUri)) {
        return HttpResponse::text(400, "redirect_uri is not registered for this client\n");
    }
    const QString state = item("state");
    const auto back = [&](QList<QPair<QString, QString>> items) {
        if (query.hasQueryItem("state")) {
            items.append({"state", state});
        }
        return HttpResponse::redirect(withQueryItems(redirectUri, items));
    };
    if (item("response_type") != QLatin1String("code")) {
        return back({{"error", "unsupported_response_type"}});
    }
    const QString challenge = item("code_challenge");
    static const QRegularExpression s256Shape(QStringLiteral("^[A-Za-z0-9_-]{43}$"));
    if (item("code_challenge_method") != QLatin1String("S256") || !s256Shape.match(challenge).hasMatch()) {
        return back({{"error", "invalid_request"}, {"error_description", "PKCE with S256 is required"}});
    }
    if (knobs_.denyAuthorize) {
        return back({{"error", "access_denied"}});
    }
    state_.accounts.user(knobs_.userEmail, knobs_.userName);
    const QString code = newSecret();
    codes_.insert(code, {client.key(), redirectUri, challenge, knobs_.userEmail, nowMs() + kCodeLifetimeMs});
    return back({{"code", code}});
}

HttpResponse AuthorizationServer::token(const HttpRequest &request)
{
    if (knobs_.failToken500) {
        return HttpResponse::text(500, "token service failed\n");
    }
    const std::optional<QHash<QString, QString>> form = parseForm(request.body);
    if (!hasMediaType(request, "application/x-www-form-urlencoded") || !form) {
        return oauthError(400, "invalid_request", "expected a form body with each parameter once");
    }
    const QString grantType = form->value("grant_type");
    if (grantType == QLatin1String("authorization_code")) {
        return exchangeCode(*form);
    }
    if (grantType == QLatin1String("refresh_token")) {
        return refresh(*form);
    }
    return oauthError(400, "unsupported_grant_type", "grant_type must be authorization_code or refresh_token");
}

HttpResponse AuthorizationServer::exchangeCode(const QHash<QString, QString> &form)
{
    for (const char *name : {"code", "code_verifier", "redirect_uri", "client_id"}) {
        if (form.value(name).isEmpty()) {
            return oauthError(400, "invalid_request", QStringLiteral("%1 is missing").arg(name));
        }
    }
    const QString clientId = form.value("client_id");
    if (!clients_.contains(clientId)) {
        return oauthError(401, "invalid_client", "unknown client_id");
    }
    const auto code = codes_.constFind(form.value("code"));
    if (code == codes_.cend() || nowMs() >= code->expiresAtMs) {
        return oauthError(400, "invalid_grant", "unknown, used or expired code");
    }
    if (code->clientId != clientId) {
        return oauthError(400, "invalid_grant", "the code was issued to another client");
    }
    if (code->redirectUri != form.value("redirect_uri")) {
        return oauthError(400, "invalid_grant", "redirect_uri differs from the authorization request");
    }
    const QString verifier = form.value("code_verifier");
    if (!validVerifier(verifier) || s256(verifier) != code->challenge) {
        return oauthError(400, "invalid_grant", "code_verifier does not match the code_challenge");
    }
    const QString email = code->email;
    codes_.erase(code); // single use
    return issueTokens(clientId, email);
}

HttpResponse AuthorizationServer::refresh(const QHash<QString, QString> &form)
{
    if (knobs_.refuseRefresh) {
        return oauthError(400, "invalid_grant", "refresh refused");
    }
    for (const char *name : {"refresh_token", "client_id"}) {
        if (form.value(name).isEmpty()) {
            return oauthError(400, "invalid_request", QStringLiteral("%1 is missing").arg(name));
        }
    }
    const QString clientId = form.value("client_id");
    if (!clients_.contains(clientId)) {
        return oauthError(401, "invalid_client", "unknown client_id");
    }
    const auto refresh = refreshTokens_.constFind(form.value("refresh_token"));
    if (refresh == refreshTokens_.cend() || refresh->clientId != clientId) {
        return oauthError(400, "invalid_grant", "unknown or already used refresh token");
    }
    const QString email = refresh->email;
    refreshTokens_.erase(refresh); // rotated: the old one is spent
    return issueTokens(clientId, email);
}

HttpResponse AuthorizationServer::issueTokens(const QString &clientId, const QString &email)
{
    const qint64 lifetimeMs = qint64(knobs_.accessTokenLifetimeSec * 1000);
    const QString refreshToken = newSecret();
    refreshTokens_.insert(refreshToken, {clientId, email});
    HttpResponse response = HttpResponse::json(200, QJsonObject{
        {"access_token", state_.accounts.issueToken(email, lifetimeMs)},
        {"token_type", "Bearer"},
        {"expires_in", knobs_.accessTokenLifetimeSec},
        {"refresh_token", refreshToken},
    });
    response.headers.append({QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-store")});
    return response;
}

bool AuthorizationServer::setKnobs(const QJsonObject &knobs, QString *error)
{
    Knobs changed = knobs_;
    for (auto knob = knobs.begin(); knob != knobs.end(); ++knob) {
        const QString &name = knob.key();
        const QJsonValue &value = knob.value();
        bool typed = true;
        if (name == "accessTokenLifetimeSec") {
            typed = value.isDouble() && value.toDouble() >= 0;
            changed.accessTokenLifetimeSec = value.toDouble();
        } else if (name == "refuseRefresh" || name == "failToken500" || name == "denyAuthorize") {
            typed = value.isBool();
            (name == "refuseRefresh" ? changed.refuseRefresh
             : name == "failToken500" ? changed.failToken500
                                      : changed.denyAuthorize) = value.toBool();
        } else if (name == "userEmail" || name == "userName") {
            typed = value.isString() && !value.toString().isEmpty();
            (name == "userEmail" ? changed.userEmail : changed.userName) = value.toString();
        } else {
            *error = "unknown knob " + name;
            return false;
        }
        if (!typed) {
            *error = "wrong value for " + name;
            return false;
        }
    }
    knobs_ = changed;
    return true;
}

void AuthorizationServer::reset()
{
    clients_.clear();
    codes_.clear();
    refreshTokens_.clear();
    knobs_ = Knobs{};
}

} // namespace murva::devservice
