#include "support/DevService.h"
#include "HttpClient.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

const QByteArray kVerifier = "dBjftJeZ4CVP-mJ92K27uhbUJU1p1r_wW1gFWFOEjXk"; // 43 characters
const QString kRedirect = "http://127.0.0.1:5123/callback";

QString challengeOf(const QByteArray &verifier)
{
    return QString::fromLatin1(QCryptographicHash::hash(verifier, QCryptographicHash::Sha256)
                                   .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QByteArray form(const QList<QPair<QByteArray, QByteArray>> &pairs)
{
    QByteArrayList parts;
    for (const auto &[name, value] : pairs) {
        parts.append(name + "=" + value.toPercentEncoding());
    }
    return parts.join('&');
}

class AuthorizationTest : public testing::Test {
protected:
    void SetUp() override
    {
        service.reset();
        const QJsonObject metadata =
            send("GET", service.url("/.well-known/oauth-authorization-server")).json();
        authorizeUrl = QUrl(metadata.value("authorization_endpoint").toString());
        tokenUrl = QUrl(metadata.value("token_endpoint").toString());
        const QJsonObject client{{"client_name", "Murva Recorder"}, {"redirect_uris", QJsonArray{kRedirect}}};
        const HttpAnswer registered = send("POST", QUrl(metadata.value("registration_endpoint").toString()),
                                           {{"Content-Type", "application/json"}},
                                           QJsonDocument(client).toJson());
        clientId = registered.json().value("client_id").toString();
        ASSERT_FALSE(clientId.isEmpty()) << registered.body.constData();
    }

    HttpAnswer authorize(const QString &client, const QString &redirect, const QString &challenge)
    {
        QUrl url = authorizeUrl;
        QUrlQuery query;
        query.addQueryItem("response_type", "code");
        query.addQueryItem("client_id", client);
        query.addQueryItem("redirect_uri", redirect);
        query.addQueryItem("code_challenge", challenge);
        query.addQueryItem("code_challenge_method", "S256");
        query.addQueryItem("state", "st4te");
        url.setQuery(query);
        return send("GET", url);
    }

    // The code of an approved authorization.
    QByteArray code()
    {
        const HttpAnswer answer = authorize(clientId, kRedirect, challengeOf(kVerifier));
        EXPECT_EQ(answer.status, 302);
        const QUrl location(QString::fromUtf8(answer.location));
        EXPECT_EQ(location.adjusted(QUrl::RemoveQuery).toString(), kRedirect);
        EXPECT_EQ(QUrlQuery(location).queryItemValue("state"), "st4te");
        return QUrlQuery(location).queryItemValue("code").toUtf8();
    }

    HttpAnswer token(const QList<QPair<QByteArray, QByteArray>> &pairs)
    {
        return send("POST", tokenUrl, {{"Content-Type", "application/x-www-form-urlencoded"}}, form(pairs));
    }

    HttpAnswer exchange(const QByteArray &code, const QByteArray &verifier, const QString &redirect = kRedirect)
    {
        return token({{"grant_type", "authorization_code"}, {"code", code}, {"code_verifier", verifier},
                      {"redirect_uri", redirect.toUtf8()}, {"client_id", clientId.toUtf8()}});
    }

    HttpAnswer refresh(const QString &refreshToken)
    {
        return token({{"grant_type", "refresh_token"}, {"refresh_token", refreshToken.toUtf8()},
                      {"client_id", clientId.toUtf8()}});
    }

    DevService service = DevService::fromEnvironment();
    QUrl authorizeUrl;
    QUrl tokenUrl;
    QString clientId;
};

TEST_F(AuthorizationTest, NeverRedirectsToAnUnknownClientOrUnregisteredAddress)
{
    const QString challenge = challengeOf(kVerifier);
    const HttpAnswer unknownClient = authorize("nobody", kRedirect, challenge);
    EXPECT_EQ(unknownClient.status, 400);
    EXPECT_TRUE(unknownClient.location.isEmpty());
    const HttpAnswer otherAddress = authorize(clientId, "http://127.0.0.1:5124/callback", challenge);
    EXPECT_EQ(otherAddress.status, 400);
    EXPECT_TRUE(otherAddress.location.isEmpty());
    // Without PKCE the client hears about it at its own address.
    const HttpAnswer noPkce = authorize(clientId, kRedirect, "");
    EXPECT_EQ(noPkce.status, 302);
    EXPECT_EQ(QUrlQuery(QUrl(QString::fromUtf8(noPkce.location))).queryItemValue("error"), "invalid_request");
}

TEST_F(AuthorizationTest, ACodeNeedsItsVerifierAndAddressAndServesOnce)
{
    const QByteArray granted = code();
    QByteArray wrongVerifier = kVerifier;
    wrongVerifier[0] = 'e';
    EXPECT_EQ(exchange(granted, wrongVerifier).json().value("error"), "invalid_grant");
    EXPECT_EQ(exchange(granted, kVerifier, "http://127.0.0.1:5123/other").json().value("error"), "invalid_grant");

    const HttpAnswer tokens = exchange(granted, kVerifier);
    ASSERT_EQ(tokens.status, 200) << tokens.body.constData();
    EXPECT_TRUE(tokens.json().value("expires_in").isDouble());
    const QString accessToken = tokens.json().value("access_token").toString();
    const HttpAnswer me = callApi("GET", service.url("/recorder/me"), accessToken);
    EXPECT_EQ(me.status, 200);
    EXPECT_EQ(me.json().value("email"), "host@example.com");

    const HttpAnswer again = exchange(granted, kVerifier);
    EXPECT_EQ(again.status, 400);
    EXPECT_EQ(again.json().value("error"), "invalid_grant");
}

TEST_F(AuthorizationTest, RefreshRotatesTheRefreshToken)
{
    const QString first = exchange(code(), kVerifier).json().value("refresh_token").toString();
    const HttpAnswer refreshed = refresh(first);
    ASSERT_EQ(refreshed.status, 200);
    const QString second = refreshed.json().value("refresh_token").toString();
    EXPECT_NE(second, first);
    EXPECT_EQ(callApi("GET", service.url("/recorder/me"), refreshed.json().value("access_token").toString()).status, 200);
    EXPECT_EQ(refresh(first).status, 400);
    EXPECT_EQ(refresh(second).status, 200);
}

TEST_F(AuthorizationTest, KnobsShortenTokensRefuseRefreshesAndBreakTheEndpoint)
{
    service.oauth({{"accessTokenLifetimeSec", 0.3}});
    const QJsonObject tokens = exchange(code(), kVerifier).json();
    const QString accessToken = tokens.value("access_token").toString();
    EXPECT_EQ(callApi("GET", service.url("/recorder/me"), accessToken).status, 200);
    QThread::msleep(400);
    EXPECT_EQ(callApi("GET", service.url("/recorder/me"), accessToken).status, 401);

    service.oauth({{"refuseRefresh", true}});
    const QString refreshToken = tokens.value("refresh_token").toString();
    EXPECT_EQ(refresh(refreshToken).status, 400);
    service.oauth({{"refuseRefresh", false}, {"failToken500", true}});
    const HttpAnswer broken = refresh(refreshToken);
    EXPECT_EQ(broken.status, 500);
    EXPECT_TRUE(QJsonDocument::fromJson(broken.body).isNull());
    service.oauth({{"failToken500", false}});
    EXPECT_EQ(refresh(refreshToken).status, 200); // refusals spent nothing
}

} // namespace
} // namespace murva::test
