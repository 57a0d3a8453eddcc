#include "api/SaveError.h"
#include "callback/Callback.h"
#include "oauth/OAuth.h"
#include "oauth/OAuthRequests.h"

#include "service/accounts/FollowingBrowser.h"
#include "support/AwaitTask.h"
#include "support/DevService.h"

#include <QJsonObject>
#include <QNetworkAccessManager>

#include <gtest/gtest.h>

#include <memory>

namespace murva {
namespace {

class OAuthService : public testing::Test {
protected:
    void SetUp() override
    {
        service.reset();
        discovery = test::await(OAuth::fetchDiscovery(network, service.base()));
        callback = test::await(Callback::open({.waitSec = 10}));
        clientId = test::await(OAuth::registerClient(network, discovery, "Murva Recorder", callback->redirectUri()));
    }

    // The browser part of a sign-in: the code that reaches the loopback server.
    QCoro::Task<QString> authorize(const QString &verifier)
    {
        const QString state = OAuth::randomToken(16);
        auto code = callback->waitForCode(state);
        const QUrl url = OAuth::authorizeURL(discovery, clientId, callback->redirectUri(),
                                             OAuth::challenge(verifier), state);
        browser.open(url);
        return code;
    }

    test::DevService service = test::DevService::fromEnvironment();
    QNetworkAccessManager network;
    test::FollowingBrowser browser;
    Discovery discovery;
    std::shared_ptr<Callback> callback;
    QString clientId;
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
};

TEST_F(OAuthService, TheCodeNeedsItsOwnVerifier)
{
    const QString code = test::await(authorize(OAuth::randomToken(32)));
    const OAuth::TokenReply reply = test::await(
        OAuth::exchangeCode(network, discovery, code, OAuth::randomToken(32), callback->redirectUri(), clientId));
    EXPECT_EQ(reply.status, 400);
    EXPECT_EQ(OAuth::tokens(reply.body, now), std::nullopt);
}

TEST_F(OAuthService, ADeniedAuthorizationFailsTheSignIn)
{
    service.oauth({{"denyAuthorize", true}});
    EXPECT_EQ(test::thrownBy<SaveError>(authorize(OAuth::randomToken(32))), SaveError::signIn);
}

TEST(OAuthRequests, NoServerIsAFailureNotAnEmptyReply)
{
    const QUrl base = test::closedLoopbackAddress();
    QNetworkAccessManager network;
    EXPECT_THROW(test::await(OAuth::fetchDiscovery(network, base)), SaveError);
    EXPECT_THROW(test::await(OAuth::requestToken(network, base, OAuth::refreshPairs("r", "c"))), SaveError);
}

} // namespace
} // namespace murva
