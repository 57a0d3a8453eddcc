#include "oauth/OAuth.h"
#include "oauth/OAuthRequests.h"

#include <QRegularExpression>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace murva {
namespace {

const Discovery kDiscovery{QUrl("https://auth.example.com/authorize"), QUrl("https://auth.example.com/token"),
                           QUrl("https://auth.example.com/register")};

TEST(Pkce, ChallengeMatchesTheRfc7636Example)
{
    // RFC 7636 appendix B.
    EXPECT_EQ(OAuth::challenge("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
              "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
}

TEST(Pkce, Base64UrlUsesTheUrlAlphabetWithoutPadding)
{
    EXPECT_EQ(OAuth::base64Url(QByteArray::fromHex("fbffbf")), "-_-_");
    EXPECT_EQ(OAuth::base64Url(QByteArray(1, '\0')), "AA");
    EXPECT_EQ(OAuth::base64Url(QByteArray()), "");
}

TEST(Pkce, RandomTokensHaveTheirLengthAndDiffer)
{
    const QRegularExpression urlSafe("^[A-Za-z0-9_-]+$");
    const QString verifier = OAuth::randomToken(32);
    const QString state = OAuth::randomToken(16);
    EXPECT_EQ(verifier.size(), 43);
    EXPECT_EQ(state.size(), 22);
    EXPECT_TRUE(urlSafe.match(verifier).hasMatch()) << verifier.toStdString();
    EXPECT_TRUE(urlSafe.match(state).hasMatch()) << state.toStdString();
    EXPECT_NE(OAuth::randomToken(32), verifier);
    EXPECT_EQ(OAuth::randomToken(5).size(), 7); // odd counts are not rounded up to whole words
}

TEST(Form, EncodesEverythingButLettersDigitsAndUnreserved)
{
    EXPECT_EQ(OAuth::form({{"a", "x y"}, {"b", "1+1=2&"}}), "a=x%20y&b=1%2B1%3D2%26");
    EXPECT_EQ(OAuth::form({{"k", "-._~/:?"}}), "k=-._~%2F%3A%3F");
    // Letters of any script stay, as UTF-8; symbols outside ASCII are encoded per byte.
    EXPECT_EQ(OAuth::form({{"name", QString::fromUtf8("Zoë €")}}), QByteArray("name=Zo\xc3\xab%20%E2%82%AC"));
    EXPECT_EQ(OAuth::form({}), "");
    // A lone surrogate cannot become UTF-8: the text is written as empty.
    EXPECT_EQ(OAuth::form({{"x", QString(QChar(0xD800))}}), "x=");
}

TEST(AuthorizeUrl, ReplacesTheEndpointsQueryWithTheSixItemsInOrder)
{
    Discovery discovery = kDiscovery;
    discovery.authorize = QUrl("https://auth.example.com/authorize?prompt=login&client_id=evil");
    const QUrl url = OAuth::authorizeURL(discovery, "client 1", "http://127.0.0.1:5000/callback",
                                         "E9Melhoa2OwvFrEMTJguCHaoeK1t2URfpKmhuu5BWA0", "st+a&te=");
    EXPECT_EQ(url.toString(QUrl::RemoveQuery), "https://auth.example.com/authorize");
    const auto items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    const QList<std::pair<QString, QString>> expected{
        {"response_type", "code"},
        {"client_id", "client 1"},
        {"redirect_uri", "http://127.0.0.1:5000/callback"},
        {"code_challenge", "E9Melhoa2OwvFrEMTJguCHaoeK1t2URfpKmhuu5BWA0"},
        {"code_challenge_method", "S256"},
        {"state", "st+a&te="},
    };
    EXPECT_EQ(items, expected);
    const QString wire = url.toString(QUrl::FullyEncoded);
    EXPECT_TRUE(wire.contains("redirect_uri=http://127.0.0.1:5000/callback")) << wire.toStdString();
    EXPECT_TRUE(wire.contains("state=st%2Ba%26te%3D")) << wire.toStdString();
}

TEST(RedirectCode, NeedsACodeAndTheFirstStateToMatch)
{
    const std::pair<const char *, std::optional<QString>> cases[] = {
        {"code=A&state=B", "A"}, {"state=B&code=A", "A"}, {"state=B&code=A%2B1&code=Z", "A+1"},
        {"code=A&state=C", std::nullopt}, {"code=A", std::nullopt}, {"code=A&state", std::nullopt},
        // An attacker's second state does not help when the first is wrong.
        {"code=A&state=C&state=B", std::nullopt},
        {"error=access_denied&state=B", std::nullopt}, {"state=B&code", std::nullopt},
        {"state=B&code=", std::nullopt}, {"state=B&codes=A", std::nullopt},
    };
    for (const auto &[query, code] : cases) {
        EXPECT_EQ(OAuth::code(QUrl(QStringLiteral("http://127.0.0.1:5000/callback?") + query), "B"), code) << query;
    }
    EXPECT_EQ(OAuth::code(QUrl("http://127.0.0.1:5000/callback"), "B"), std::nullopt);
}

TEST(Replies, DiscoveryNeedsThreeHttpOrHttpsEndpoints)
{
    const QByteArray good = R"({"authorization_endpoint": "http://127.0.0.1:9/authorize",
        "token_endpoint": "https://a.example/token", "registration_endpoint": "https://a.example/register",
        "issuer": "https://a.example"})";
    const auto found = OAuth::discovery(good);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, (Discovery{QUrl("http://127.0.0.1:9/authorize"), QUrl("https://a.example/token"),
                                 QUrl("https://a.example/register")}));

    for (const QByteArray &bad : {
             QByteArray(R"({"authorization_endpoint": "https://a/x", "token_endpoint": "https://a/t"})"),
             QByteArray(R"({"authorization_endpoint": "ftp://a/x", "token_endpoint": "https://a/t", "registration_endpoint": "https://a/r"})"),
             QByteArray(R"([{"authorization_endpoint": "https://a/x"}])"),
             QByteArray("<html>not found</html>"),
             QByteArray()}) {
        EXPECT_EQ(OAuth::discovery(bad), std::nullopt) << bad.toStdString();
    }
}

TEST(Replies, ClientIdMustBeANonEmptyString)
{
    EXPECT_EQ(OAuth::clientId(R"({"client_id": "abc", "client_name": "x"})"), "abc");
    EXPECT_EQ(OAuth::clientId(R"({"client_id": ""})"), std::nullopt);
    EXPECT_EQ(OAuth::clientId(R"({"client_id": 12})"), std::nullopt);
    EXPECT_EQ(OAuth::clientId("client_id=abc"), std::nullopt);
}

TEST(Replies, TokensExpireAMinuteEarly)
{
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
    const auto tokens = OAuth::tokens(R"({"access_token": "a", "refresh_token": "r", "expires_in": 3600,
                                          "token_type": "Bearer"})", now);
    ASSERT_TRUE(tokens);
    EXPECT_EQ(*tokens, (Tokens{"a", "r", now.addSecs(3540)}));
    EXPECT_EQ(OAuth::tokens(R"({"access_token": "a", "refresh_token": "r", "expires_in": 30})", now)->expiresAt, now);
    EXPECT_EQ(OAuth::tokens(R"({"access_token": "a", "refresh_token": "r", "expires_in": 90.5})", now)->expiresAt,
              now.addMSecs(30500));
    EXPECT_TRUE(OAuth::tokens(R"({"access_token": "a", "refresh_token": "r", "expires_in": 1e300})", now));
}

TEST(Replies, TokensNeedAllThreeFieldsOfTheirType)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QByteArray &bad : {
             QByteArray(R"({"access_token": "a", "refresh_token": "r", "expires_in": "3600"})"),
             QByteArray(R"({"access_token": "a", "expires_in": 3600})"),
             QByteArray(R"({"access_token": 1, "refresh_token": "r", "expires_in": 3600})"),
             QByteArray(R"({"error": "invalid_grant"})"),
             QByteArray("Internal Server Error")}) {
        EXPECT_EQ(OAuth::tokens(bad, now), std::nullopt) << bad.toStdString();
    }
}

TEST(Requests, DiscoveryAddressIsAPathComponentOfTheApiBase)
{
    EXPECT_EQ(OAuth::discoveryURL(QUrl("https://api.murva.app")).toString(),
              "https://api.murva.app/.well-known/oauth-authorization-server");
    EXPECT_EQ(OAuth::discoveryURL(QUrl("http://127.0.0.1:8080/base/")).toString(),
              "http://127.0.0.1:8080/base/.well-known/oauth-authorization-server");
}

} // namespace
} // namespace murva
