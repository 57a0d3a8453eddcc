#include "SignInHarness.h"

#include "api/SaveError.h"
#include "log/Log.h"

#include <QFile>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

TEST(AccessToken, ATokenIsRefreshedFromTheMomentItExpires)
{
    SignInHarness harness;
    harness.store({"E", {account("E", fixedNow()), account("F", fixedNow().addSecs(1))}});
    SignIn &signIn = harness.start();

    EXPECT_EQ(await([&] { return signIn.accessToken("F"); }), QStringLiteral("access-of-F"));
    EXPECT_EQ(await([&] { return signIn.accessToken("nobody"); }), std::nullopt);
    EXPECT_TRUE(harness.server.tokenRequests.isEmpty());

    EXPECT_EQ(await([&] { return signIn.accessToken("E"); }), QStringLiteral("access-1"));
    ASSERT_EQ(harness.server.tokenRequests.size(), 1);
    const QUrlQuery sent(QString::fromUtf8(harness.server.tokenRequests.first()));
    EXPECT_EQ(sent.queryItemValue("grant_type"), "refresh_token");
    EXPECT_EQ(sent.queryItemValue("refresh_token"), "refresh-of-E");
    EXPECT_EQ(sent.queryItemValue("client_id"), "client-E");

    const Tokens stored = harness.stored()->find("E")->tokens;
    EXPECT_EQ(stored, (Tokens{"access-1", "refresh-1", fixedNow().addSecs(3540)}));
}

TEST(AccessToken, ConcurrentCallersShareOneRefresh)
{
    SignInHarness harness;
    harness.store({"E", {account("E", fixedNow().addSecs(-5))}});
    harness.server.tokenDelayMs = 150;
    SignIn &signIn = harness.start();

    QCoro::Task<std::optional<QString>> first = signIn.accessToken("E");
    QCoro::Task<std::optional<QString>> second = signIn.accessToken("E");
    EXPECT_EQ(await(std::move(first)), QStringLiteral("access-1"));
    EXPECT_EQ(await(std::move(second)), QStringLiteral("access-1"));
    EXPECT_EQ(harness.server.tokenRequests.size(), 1);

    // A failure reaches every waiter, and the next call tries again.
    harness.now = fixedNow().addDays(1);
    harness.server.tokenStatus = 500;
    harness.server.tokenBody = "<html>down</html>";
    QCoro::Task<std::optional<QString>> third = signIn.accessToken("E");
    QCoro::Task<std::optional<QString>> fourth = signIn.accessToken("E");
    EXPECT_THROW(await(std::move(third)), SaveError);
    EXPECT_THROW(await(std::move(fourth)), SaveError);
    EXPECT_EQ(harness.server.tokenRequests.size(), 2);
    harness.server.tokenStatus = 200;
    harness.server.tokenBody.clear();
    EXPECT_EQ(await([&] { return signIn.accessToken("E"); }), QStringLiteral("access-2"));
}

// Failures that keep the account are covered against the real service.
TEST(AccessToken, ARefusedRefreshOfTheLastAccountDeletesTheItem)
{
    SignInHarness harness;
    harness.store({"E", {account("E", fixedNow())}});
    harness.server.tokenStatus = 401;
    harness.server.tokenBody = R"({"error": "invalid_grant"})";
    SignIn &signIn = harness.start();

    EXPECT_EQ(await([&] { return signIn.accessToken("E"); }), std::nullopt);
    EXPECT_TRUE(signIn.connections().isEmpty());
    EXPECT_FALSE(signIn.activeId());
    EXPECT_FALSE(harness.keychain.item);
}

TEST(AccessToken, NoSecretReachesTheLog)
{
    SignInHarness harness;
    harness.store({"E", {account("E", fixedNow())}});
    harness.keychain.locked = true;
    SignIn &signIn = harness.start();
    harness.keychain.locked = false;
    await([&] { return signIn.connect(); });
    const QString id = *signIn.activeId();
    harness.now = fixedNow().addDays(1);
    await([&] { return signIn.accessToken(id); });
    harness.server.tokenStatus = 400;
    harness.server.tokenBody = R"({"error": "invalid_grant", "access_token": "leaked"})";
    harness.now = fixedNow().addDays(2);
    await([&] { return signIn.accessToken(id); });

    Log::flush();
    QFile log(Log::filePath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_TRUE(text.contains("accounts: ")) << text.constData();
    for (const char *secret : {"access-", "refresh-", "the-code", "leaked", "code_verifier"}) {
        EXPECT_FALSE(text.contains(secret)) << secret << "\n" << text.constData();
    }
}

} // namespace
} // namespace murva::test
