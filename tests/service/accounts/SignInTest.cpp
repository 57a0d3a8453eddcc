#include "SignInHarness.h"

#include "api/SaveError.h"
#include "callback/Callback.h"

#include <gtest/gtest.h>

namespace murva::test {
namespace {

QStringList idsOf(const QList<AccountConnection> &connections)
{
    QStringList ids;
    for (const AccountConnection &connection : connections) {
        ids.append(connection.id);
    }
    return ids;
}

TEST(SignIn, StartsWithNoAccountsWhenTheItemIsMissingOrUnreadable)
{
    for (const std::optional<QByteArray> &item : {std::optional<QByteArray>(), std::optional<QByteArray>("{oops")}) {
        SignInHarness harness;
        harness.keychain.item = item;
        SignIn &signIn = harness.start();
        EXPECT_TRUE(signIn.connections().isEmpty());
        EXPECT_FALSE(signIn.activeId());
        EXPECT_EQ(harness.keychain.writes, 0);
    }
}

TEST(SignIn, OldItemLoadsAsActiveFirstAndIsRewrittenOnlyOnTheNextChange)
{
    SignInHarness harness;
    const QByteArray legacy =
        R"({"clientId": "old", "tokens": {"accessToken": "a", "refreshToken": "r", "expiresAt": 900000000}})";
    harness.keychain.item = legacy;
    SignIn &signIn = harness.start();
    EXPECT_EQ(idsOf(signIn.connections()), QStringList{"first"});
    EXPECT_EQ(signIn.activeId(), QStringLiteral("first"));
    EXPECT_EQ(harness.keychain.item, legacy);

    await([&] { return signIn.remember(person("Acme", std::nullopt), "first"); });
    ASSERT_TRUE(AccountsFormat::decodeSaved(*harness.keychain.item));
    EXPECT_EQ(harness.stored()->connections.first().me->app, "Acme");
}

TEST(SignIn, RememberSelectAndRemoveKeepTheItemInStep)
{
    SignInHarness harness;
    const QDateTime later = fixedNow().addDays(1);
    harness.store({"A", {account("A", later, person("Acme", "ada@example.com")), account("B", later),
                         account("C", later, person("Acme", std::nullopt)), account("D", later)}});
    SignIn &signIn = harness.start();

    // Unknown ids change nothing and write nothing.
    await([&] { return signIn.remember(person("Acme", "x@example.com"), "nobody"); });
    await([&] { return signIn.select("nobody"); });
    EXPECT_EQ(harness.keychain.writes, 0);
    EXPECT_EQ(signIn.activeId(), QStringLiteral("A"));

    // The same person and app connected again: the older account goes, the active one
    // moves to the newer.
    await([&] { return signIn.remember(person("Acme", "ada@example.com"), "D"); });
    EXPECT_EQ(idsOf(signIn.connections()), (QStringList{"B", "C", "D"}));
    EXPECT_EQ(signIn.activeId(), QStringLiteral("D"));
    // Two accounts without an address count as the same person too.
    await([&] { return signIn.remember(person("Acme", std::nullopt), "B"); });
    EXPECT_EQ(idsOf(signIn.connections()), (QStringList{"B", "D"}));
    EXPECT_EQ(signIn.activeId(), QStringLiteral("D")); // C, the one dropped, was not active
    EXPECT_EQ(harness.stored(), signIn.saved());

    await([&] { return signIn.select("B"); });
    EXPECT_EQ(harness.stored()->active, QStringLiteral("B"));

    await([&] { return signIn.remove("B"); });
    EXPECT_EQ(signIn.activeId(), QStringLiteral("D"));
    EXPECT_EQ(harness.stored(), signIn.saved());

    await([&] { return signIn.remove("D"); });
    EXPECT_FALSE(signIn.activeId());
    EXPECT_FALSE(harness.keychain.item);
    EXPECT_EQ(harness.keychain.removals, 1);
}

TEST(SignIn, ASecondConnectCancelsTheFirstOne)
{
    SignInHarness harness;
    SignIn &signIn = harness.start();
    harness.browser.follow = false;
    QCoro::Task<QString> first = signIn.connect();
    ASSERT_TRUE(waitFor([&] { return harness.browser.visited.size() == 1; }, 2));

    harness.browser.follow = true;
    QCoro::Task<QString> second = signIn.connect();
    EXPECT_THROW(await(std::move(first)), CallbackCancelled);
    const QString id = await(std::move(second));
    EXPECT_EQ(idsOf(signIn.connections()), QStringList{id});
}

TEST(SignIn, AFailedSignInStoresNothing)
{
    SignInHarness harness;
    harness.browserWaitSec = 0.2;
    SignIn &signIn = harness.start();
    harness.service.inject("/oauth/token", 400, R"({"error": "invalid_grant"})");
    EXPECT_THROW(await([&] { return signIn.connect(); }), SaveError);

    // A browser that never comes back.
    harness.browser.follow = false;
    EXPECT_EQ(thrownBy<SaveError>([&] { return signIn.connect(); }), SaveError::signIn);
    EXPECT_TRUE(signIn.connections().isEmpty());
    EXPECT_FALSE(harness.keychain.item);
}

// A locked keyring is not an empty one: signing in meanwhile must not replace the
// stored accounts with the new one alone.
TEST(SignIn, ALockedKeychainIsNeverOverwritten)
{
    SignInHarness harness;
    const QDateTime later = fixedNow().addDays(1);
    harness.store({"Z", {account("A", later, person("Acme", "ada@example.com")),
                         account("Z", later, person("Other", "zed@example.com"))}});
    const QByteArray original = *harness.keychain.item;
    harness.keychain.locked = true;
    SignIn &signIn = harness.start();
    EXPECT_EQ(harness.keychain.reads, 2); // tried once more after a short delay
    EXPECT_TRUE(signIn.connections().isEmpty());

    const QString first = await([&] { return signIn.connect(); });
    await([&] { return signIn.remove(first); }); // the last account in memory: would delete the item
    const QString second = await([&] { return signIn.connect(); });
    await([&] { return signIn.remember(person("Acme", "ada@example.com"), second); });
    EXPECT_EQ(harness.keychain.writes, 0);
    EXPECT_EQ(harness.keychain.removals, 0);
    EXPECT_EQ(harness.keychain.item, original);
    EXPECT_EQ(idsOf(signIn.connections()), QStringList{second});

    // Unlocked: the next change brings the stored accounts back and keeps the new one,
    // which replaces the stored account of the same person.
    harness.keychain.locked = false;
    await([&] { return signIn.select(second); });
    EXPECT_EQ(idsOf(signIn.connections()), (QStringList{"Z", second}));
    EXPECT_EQ(signIn.activeId(), second);
    EXPECT_EQ(harness.stored(), signIn.saved());
}

TEST(SignIn, AKeychainThatAnswersOnTheSecondTryLoadsNormally)
{
    SignInHarness harness;
    harness.store({"A", {account("A", fixedNow().addDays(1))}});
    harness.keychain.locked = true;
    // Unlocks between the two reads, like a secret service that was still starting.
    QTimer::singleShot(1, [&] { harness.keychain.locked = false; });
    SignIn &signIn = harness.start();
    EXPECT_EQ(harness.keychain.reads, 2);
    EXPECT_EQ(idsOf(signIn.connections()), QStringList{"A"});
    EXPECT_TRUE(signIn.hasReadKeychain());
}

// Dropped while the event loop runs: what was waiting (for the browser, for a retry of
// a locked keychain) ends with an error and touches nothing of the freed SignIn.
TEST(SignIn, OperationsPendingWhenItIsDestroyedEndWithoutTouchingIt)
{
    SignInHarness harness;
    harness.start();
    harness.browser.follow = false;
    QCoro::Task<QString> connecting = harness.signIn->connect();
    ASSERT_TRUE(waitFor([&] { return harness.browser.visited.size() == 1; }, 2));
    harness.signIn.reset();
    EXPECT_ANY_THROW(await(std::move(connecting)));

    SignInHarness locked;
    locked.keychain.locked = true;
    SignIn::Options quickRetry;
    quickRetry.unreadableRetryDelay = std::chrono::milliseconds(10);
    locked.signIn = std::make_unique<SignIn>(locked.service.base(), locked.keychain, locked.browser, quickRetry);
    QCoro::Task<> loading = locked.signIn->load(); // waits to read again
    locked.signIn.reset();
    EXPECT_THROW(await(std::move(loading)), SaveError);
    EXPECT_EQ(locked.keychain.reads, 1);
}

} // namespace
} // namespace murva::test
