#include "SignInHarness.h"

#include "api/RecorderAPI.h"
#include "api/SaveError.h"
#include "log/Log.h"
#include "support/Files.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

QStringList refreshesIn(const QJsonArray &requests)
{
    QStringList bodies;
    for (const QJsonValue &request : requests) {
        const QString body = request["body"].toString();
        if (body.contains("grant_type=refresh_token")) {
            bodies.append(body);
        }
    }
    return bodies;
}

class ServiceSignIn : public testing::Test, protected SignInHarness {
protected:
    void SetUp() override { start(); }

    // Makes the account's token expire without waiting.
    void expireTokens() { now = now.addSecs(7200); }
};

TEST_F(ServiceSignIn, ConnectRunsTheWholeBrowserSignIn)
{
    service.oauth(QJsonObject{{"userEmail", "ada@example.com"}, {"userName", "Ada"}});
    const QString id = await([&] { return signIn->connect(); });
    EXPECT_EQ(id.size(), 36);
    EXPECT_EQ(id, id.toUpper());
    EXPECT_EQ(signIn->activeId(), id);
    const AccountConnection &added = signIn->connections().first();
    EXPECT_EQ(added.tokens.expiresAt, now.addSecs(3600 - 60));
    const std::optional<SavedAccounts> stored = AccountsFormat::decode(*keychain.item);
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, signIn->saved());

    // The browser went to the authorization page and was sent back to the loopback server.
    ASSERT_GE(browser.visited.size(), 2);
    EXPECT_EQ(browser.visited.first().path(), "/oauth/authorize");
    EXPECT_EQ(browser.visited.last().host(), "127.0.0.1");
    EXPECT_EQ(browser.visited.last().path(), "/callback");

    // An HTTP client may send a GET again on a fresh connection when the kept-alive one
    // closed under it, even after later requests: one request as far as the sign-in goes.
    QStringList paths;
    for (const QJsonValue &request : service.requests()) {
        const QString path = request["method"].toString() + " " + request["path"].toString();
        if (!path.startsWith("GET ") || !paths.contains(path)) {
            paths.append(path);
        }
    }
    EXPECT_EQ(paths, (QStringList{"GET /.well-known/oauth-authorization-server", "POST /oauth/register",
                                  "GET /oauth/authorize", "POST /oauth/token"}));
    // Registered under the app's name, which the service shows when it asks for consent.
    EXPECT_EQ(bodyOf(service.requests("/oauth/register")[0])["client_name"].toString(), "Murva Recorder test");

    // The stored token opens the API, and the user it names is remembered.
    RecorderAPI api(service.base(), [this, id]() { return signIn->accessToken(id); });
    const Me me = await([&] { return api.me(); });
    await([&] { return signIn->remember(me, id); });
    ASSERT_TRUE(signIn->connections().first().me);
    EXPECT_EQ(signIn->connections().first().me->email, QStringLiteral("ada@example.com"));
}

TEST_F(ServiceSignIn, ConcurrentCallersOfAnExpiredAccountMakeOneRefresh)
{
    const QString id = await([&] { return signIn->connect(); });
    const QString before = signIn->connections().first().tokens.accessToken;
    expireTokens();
    service.delay("/oauth/token", 200);

    QCoro::Task<std::optional<QString>> first = signIn->accessToken(id);
    QCoro::Task<std::optional<QString>> second = signIn->accessToken(id);
    const std::optional<QString> one = await(std::move(first));
    const std::optional<QString> two = await(std::move(second));
    ASSERT_TRUE(one);
    EXPECT_EQ(one, two);
    EXPECT_NE(*one, before);
    EXPECT_EQ(refreshesIn(service.requests("/oauth/token")).size(), 1);

    // The new token is accepted by the API.
    RecorderAPI api(service.base(), [this, id]() { return signIn->accessToken(id); });
    EXPECT_NO_THROW(await([&] { return api.me(); }));
}

TEST_F(ServiceSignIn, ATokenIsRefreshedFromTheMomentItExpires)
{
    const QString id = await([&] { return signIn->connect(); });
    const AccountConnection before = signIn->connections().first();
    EXPECT_EQ(await([&] { return signIn->accessToken(QStringLiteral("nobody")); }), std::nullopt);

    now = before.tokens.expiresAt.addSecs(-1);
    EXPECT_EQ(await([&] { return signIn->accessToken(id); }), before.tokens.accessToken);
    EXPECT_TRUE(refreshesIn(service.requests("/oauth/token")).isEmpty());

    now = before.tokens.expiresAt;
    const std::optional<QString> renewed = await([&] { return signIn->accessToken(id); });
    ASSERT_TRUE(renewed);
    EXPECT_NE(*renewed, before.tokens.accessToken);
    const QStringList refreshes = refreshesIn(service.requests("/oauth/token"));
    ASSERT_EQ(refreshes.size(), 1);
    const QUrlQuery sent(refreshes.first());
    EXPECT_EQ(sent.queryItemValue("refresh_token"), before.tokens.refreshToken);
    EXPECT_EQ(sent.queryItemValue("client_id"), before.clientId);
    EXPECT_EQ(AccountsFormat::decode(*keychain.item)->find(id)->tokens.accessToken, *renewed);
}

TEST_F(ServiceSignIn, ARefusedRefreshRemovesTheAccountAndMovesTheActiveOne)
{
    const QString older = await([&] { return signIn->connect(); });
    const QString newer = await([&] { return signIn->connect(); });
    ASSERT_EQ(signIn->activeId(), newer);
    expireTokens();
    service.inject("/oauth/token", 400, R"({"error": "invalid_grant"})");

    EXPECT_EQ(await([&] { return signIn->accessToken(newer); }), std::nullopt);
    ASSERT_EQ(signIn->connections().size(), 1);
    EXPECT_EQ(signIn->connections().first().id, older);
    EXPECT_EQ(signIn->activeId(), older);
    EXPECT_EQ(AccountsFormat::decode(*keychain.item), signIn->saved());

    // Refused for the last account too: nothing is left in the keychain.
    service.inject("/oauth/token", 400, R"({"error": "invalid_grant"})");
    EXPECT_EQ(await([&] { return signIn->accessToken(older); }), std::nullopt);
    EXPECT_TRUE(signIn->connections().isEmpty());
    EXPECT_FALSE(keychain.item);
}

TEST_F(ServiceSignIn, AFailingTokenEndpointKeepsTheAccountAndItsTokens)
{
    const QString id = await([&] { return signIn->connect(); });
    const SavedAccounts before = signIn->saved();
    expireTokens();
    service.inject("/oauth/token", 500, "Internal Server Error");

    EXPECT_EQ(thrownBy<SaveError>([&] { return signIn->accessToken(id); }), SaveError::failed);
    EXPECT_EQ(signIn->saved(), before);
    EXPECT_EQ(AccountsFormat::decode(*keychain.item), before);

    // Once the service is well again the same refresh token works.
    const std::optional<QString> token = await([&] { return signIn->accessToken(id); });
    ASSERT_TRUE(token);
    EXPECT_NE(*token, before.connections.first().tokens.accessToken);
}

TEST_F(ServiceSignIn, NoSecretReachesTheLog)
{
    const QString id = await([&] { return signIn->connect(); });
    QStringList secrets{signIn->connections().first().tokens.accessToken,
                        signIn->connections().first().tokens.refreshToken};
    expireTokens();
    await([&] { return signIn->accessToken(id); });
    secrets << signIn->connections().first().tokens.accessToken << signIn->connections().first().tokens.refreshToken;
    expireTokens();
    service.inject("/oauth/token", 400, R"({"error": "invalid_grant", "access_token": "leaked"})");
    await([&] { return signIn->accessToken(id); });

    Log::flush();
    const QByteArray text = readFile(Log::filePath());
    EXPECT_TRUE(text.contains("accounts: ")) << text.constData();
    for (const QString &secret : secrets + QStringList{"leaked", "code_verifier"}) {
        EXPECT_FALSE(text.contains(secret.toUtf8())) << qPrintable(secret) << "\n" << text.constData();
    }
}

} // namespace
} // namespace murva::test
