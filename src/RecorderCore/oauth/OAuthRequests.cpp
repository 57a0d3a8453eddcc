#include "oauth/OAuthRequests.h"

#include "api/SaveError.h"

#include <QCoroNetworkReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <memory>

namespace murva::OAuth {
namespace {

constexpr int kTimeoutMs = 60 * 1000;

struct LaterDeleter {
    void operator()(QNetworkReply *reply) const { reply->deleteLater(); }
};
using ReplyHolder = std::unique_ptr<QNetworkReply, LaterDeleter>;

// Waits for the reply and hands back its body and status; throws when there is no
// HTTP reply at all.
QCoro::Task<TokenReply> finish(QNetworkReply *started)
{
    ReplyHolder reply(started);
    QNetworkReply *finishing = reply.get();
    co_await finishing;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        throw saveErrorOf(reply->error());
    }
    co_return TokenReply{reply->readAll(), status.toInt()};
}

} // namespace

QUrl discoveryURL(const QUrl &apiBase)
{
    QUrl url = apiBase;
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    url.setPath(path + QStringLiteral("/.well-known/oauth-authorization-server"));
    return url;
}

QCoro::Task<Discovery> fetchDiscovery(QNetworkAccessManager &network, const QUrl &apiBase)
{
    QNetworkRequest request(discoveryURL(apiBase));
    request.setTransferTimeout(kTimeoutMs);
    auto fetching = finish(network.get(request));
    const TokenReply reply = co_await fetching;
    const std::optional<Discovery> found = discovery(reply.body);
    if (!found) {
        throw SaveError::failed;
    }
    co_return *found;
}

QCoro::Task<QString> registerClient(QNetworkAccessManager &network, const Discovery &discovery,
                                    const QString &clientName, const QString &redirectUri)
{
    QNetworkRequest request(discovery.registration);
    request.setTransferTimeout(kTimeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    const QJsonObject body{
        {QStringLiteral("client_name"), clientName},
        {QStringLiteral("redirect_uris"), QJsonArray{redirectUri}},
    };
    auto registering = finish(network.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact)));
    const TokenReply reply = co_await registering;
    const std::optional<QString> id = clientId(reply.body);
    if (!id) {
        throw SaveError::failed;
    }
    co_return *id;
}

QCoro::Task<TokenReply> requestToken(QNetworkAccessManager &network, const QUrl &tokenEndpoint,
                                     const FormPairs &pairs)
{
    QNetworkRequest request(tokenEndpoint);
    request.setTransferTimeout(kTimeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    auto requesting = finish(network.post(request, form(pairs)));
    co_return co_await requesting;
}

FormPairs codeExchangePairs(const QString &code, const QString &verifier, const QString &redirectUri,
                            const QString &clientId)
{
    return {
        {QStringLiteral("grant_type"), QStringLiteral("authorization_code")},
        {QStringLiteral("code"), code},
        {QStringLiteral("code_verifier"), verifier},
        {QStringLiteral("redirect_uri"), redirectUri},
        {QStringLiteral("client_id"), clientId},
    };
}

FormPairs refreshPairs(const QString &refreshToken, const QString &clientId)
{
    return {
        {QStringLiteral("grant_type"), QStringLiteral("refresh_token")},
        {QStringLiteral("refresh_token"), refreshToken},
        {QStringLiteral("client_id"), clientId},
    };
}

QCoro::Task<TokenReply> exchangeCode(QNetworkAccessManager &network, const Discovery &discovery,
                                     const QString &code, const QString &verifier,
                                     const QString &redirectUri, const QString &clientId)
{
    const QUrl endpoint = discovery.token;
    const FormPairs pairs = codeExchangePairs(code, verifier, redirectUri, clientId);
    auto requesting = requestToken(network, endpoint, pairs);
    co_return co_await requesting;
}

QCoro::Task<TokenReply> refresh(QNetworkAccessManager &network, const Discovery &discovery,
                                const QString &refreshToken, const QString &clientId)
{
    const QUrl endpoint = discovery.token;
    const FormPairs pairs = refreshPairs(refreshToken, clientId);
    auto requesting = requestToken(network, endpoint, pairs);
    co_return co_await requesting;
}

} // namespace murva::OAuth
