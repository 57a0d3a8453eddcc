#pragma once

#include "FollowingBrowser.h"
#include "app/accounts/FakeKeychain.h"

#include "accounts/SignIn.h"
#include "support/AwaitTask.h"
#include "support/DevService.h"


#include <memory>

namespace murva::test {

inline QDateTime fixedNow()
{
    return QDateTime::fromString(QStringLiteral("2026-03-01T12:00:00Z"), Qt::ISODate);
}

inline AccountConnection account(const QString &id, const QDateTime &expiresAt,
                                 std::optional<Me> me = std::nullopt)
{
    return {id, "client-" + id, Tokens{"access-of-" + id, "refresh-of-" + id, expiresAt}, me};
}

inline Me person(const QString &app, std::optional<QString> email)
{
    Me me;
    me.app = app;
    me.email = email;
    return me;
}

// A SignIn on a fake keychain and a small browser, signing in to the local service, on a
// clock the test sets.
struct SignInHarness {
    SignInHarness() { service.reset(); }

    DevService service = DevService::fromEnvironment();
    FakeKeychain keychain;
    FollowingBrowser browser;
    QDateTime now = fixedNow();
    double browserWaitSec = 600;
    std::unique_ptr<SignIn> signIn;

    void store(const SavedAccounts &saved) { keychain.item = AccountsFormat::encode(saved); }

    std::optional<SavedAccounts> stored() const
    {
        return keychain.item ? AccountsFormat::decode(*keychain.item) : std::nullopt;
    }

    SignIn &start()
    {
        SignIn::Options options;
        options.now = [this] { return now; };
        options.unreadableRetryDelay = std::chrono::milliseconds(10);
        options.clientName = QStringLiteral("Murva Recorder test");
        options.browserWaitSec = browserWaitSec;
        signIn = std::make_unique<SignIn>(service.base(), keychain, browser, options);
        await([&] { return signIn->load(); });
        return *signIn;
    }
};

} // namespace murva::test
