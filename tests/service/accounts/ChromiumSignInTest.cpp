#include "app/accounts/FakeKeychain.h"

#include "accounts/SignIn.h"
#include "desktop/BrowserOpener.h"
#include "support/AwaitTask.h"
#include "support/DevService.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

// Debian's headless Chromium as the user's browser, with a profile of its own.
class HeadlessChromium : public BrowserOpener {
public:
    ~HeadlessChromium() override
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000)) {
                process_.kill();
                process_.waitForFinished(2000);
            }
        }
    }

    bool open(const QUrl &address) override
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral("chromium"),
                       {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                        "--disable-background-networking", "--disable-component-update", "--disable-sync",
                        "--user-data-dir=" + profile_.path(), address.toString(QUrl::FullyEncoded)});
        return process_.waitForStarted(10000);
    }

private:
    QTemporaryDir profile_;
    QProcess process_;
};

TEST(ChromiumSignIn, ARealBrowserCompletesTheSignIn)
{
    DevService service = DevService::fromEnvironment();
    ASSERT_FALSE(service.base().isEmpty()) << "needs the service fixture";
    service.reset();
    FakeKeychain keychain;
    HeadlessChromium chromium;
    SignIn::Options options;
    options.browserWaitSec = 60; // a browser that never comes back fails the test, not the suite
    SignIn signIn(service.base(), keychain, chromium, options);
    await(signIn.load());

    const QString id = await(signIn.connect());
    // What is stored after a sign-in is proven in ServiceSignInTest, with a simpler browser.
    EXPECT_EQ(signIn.activeId(), id);
    EXPECT_EQ(service.requests("/oauth/authorize").size(), 1);
}

} // namespace
} // namespace murva::test
