#include "support/DevService.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
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

class AuthorizationTest : public testing::Test {
protected:
    void SetUp() override
    {
        service.reset();
        const QJsonObject metadata =
            send("GET", service.url("/.well-known/oauth-authorization-server")).json();
        authorizeUrl = QUrl(metadata.value("authorization_endpoint").toString());
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

    DevService service = DevService::fromEnvironment();
    QUrl authorizeUrl;
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

} // namespace
} // namespace murva::test
