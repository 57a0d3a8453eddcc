#include "oauth/Tokens.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace murva {
namespace {

TEST(Tokens, StoredWithSecondsSince2001)
{
    const Tokens tokens{"access", "refresh", QDateTime::fromString("2001-01-01T00:01:40.250Z", Qt::ISODateWithMs)};
    const QJsonObject json = tokens.toJson();
    EXPECT_EQ(json.value("expiresAt").toDouble(), 100.25);
    EXPECT_EQ(json.value("accessToken").toString(), "access");
    EXPECT_EQ(json.value("refreshToken").toString(), "refresh");
    EXPECT_EQ(Tokens::fromJson(json), tokens);
}

TEST(Tokens, ReadBackNeedsAllThreeKeys)
{
    const auto read = [](const char *text) {
        return Tokens::fromJson(QJsonDocument::fromJson(text).object());
    };
    EXPECT_TRUE(read(R"({"accessToken": "a", "refreshToken": "r", "expiresAt": 0})"));
    EXPECT_EQ(read(R"({"accessToken": "a", "refreshToken": "r"})"), std::nullopt);
    EXPECT_EQ(read(R"({"accessToken": "a", "expiresAt": 5})"), std::nullopt);
    EXPECT_EQ(read(R"({"accessToken": "a", "refreshToken": "r", "expiresAt": "5"})"), std::nullopt);
    EXPECT_EQ(Tokens::fromJson(QJsonValue("text")), std::nullopt);
}

TEST(Tokens, ExpiredFromItsExpiryOn)
{
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
    EXPECT_TRUE((Tokens{"a", "r", now}).expired(now));
    EXPECT_TRUE((Tokens{"a", "r", now.addSecs(-1)}).expired(now));
    EXPECT_FALSE((Tokens{"a", "r", now.addSecs(1)}).expired(now));
}

} // namespace
} // namespace murva
