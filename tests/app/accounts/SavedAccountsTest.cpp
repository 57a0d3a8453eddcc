#include "accounts/SavedAccounts.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

QDateTime at(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs);
}

AccountConnection withMe()
{
    Me me;
    me.app = QStringLiteral("Acme Heating");
    me.you = QStringLiteral("Ada");
    me.email = QStringLiteral("ada@example.com");
    me.image = QUrl(QStringLiteral("https://example.com/ada.png"));
    me.meetingsUrl = QUrl(QStringLiteral("https://example.com/meetings"));
    me.locale = QStringLiteral("fr");
    return {QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"), QStringLiteral("client-a"),
            Tokens{QStringLiteral("access-a"), QStringLiteral("refresh-a"), at("2030-05-01T10:00:00.250Z")}, me};
}

AccountConnection withoutMe()
{
    return {QStringLiteral("first"), QStringLiteral("client-b"),
            Tokens{QStringLiteral("access-b"), QStringLiteral("refresh-b"), at("2001-01-01T00:01:40Z")},
            std::nullopt};
}

TEST(SavedAccounts, RoundTripKeepsEveryField)
{
    const SavedAccounts saved{withoutMe().id, {withMe(), withoutMe()}};
    const std::optional<SavedAccounts> back = AccountsFormat::decode(AccountsFormat::encode(saved));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, saved);

    const SavedAccounts none{std::nullopt, {}};
    EXPECT_EQ(AccountsFormat::decode(AccountsFormat::encode(none)), none);
}

TEST(SavedAccounts, ReadsTheOldSingleAccountItemAsOneActiveAccount)
{
    const QByteArray legacy =
        R"({"clientId": "old-client", "tokens": {"accessToken": "a", "refreshToken": "r", "expiresAt": 86400}})";
    const std::optional<SavedAccounts> saved = AccountsFormat::decode(legacy);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->active, QStringLiteral("first"));
    ASSERT_EQ(saved->connections.size(), 1);
    const AccountConnection &first = saved->connections.first();
    EXPECT_EQ(first.id, "first");
    EXPECT_EQ(first.clientId, "old-client");
    EXPECT_EQ(first.tokens.expiresAt, at("2001-01-02T00:00:00Z"));
    EXPECT_FALSE(first.me);
}

TEST(SavedAccounts, DataOfNeitherFormatIsUnreadable)
{
    const QByteArray tokens = R"({"accessToken": "a", "refreshToken": "r", "expiresAt": 1})";
    for (const QByteArray &data : {
             QByteArray(""),
             QByteArray("not json"),
             QByteArray("[1, 2]"),
             QByteArray(R"({"active": "x"})"),
             // One bad account spoils the item rather than vanishing quietly.
             QByteArray(R"({"connections": [{"id": "a", "clientId": "c", "tokens": )" + tokens +
                        R"(}, {"id": 7, "clientId": "c", "tokens": )" + tokens + "}]}"),
             QByteArray(R"({"connections": [{"id": "a", "clientId": "c", "tokens": {"accessToken": "a", "refreshToken": "r"}}]})"),
             QByteArray(R"({"connections": [{"id": "a", "clientId": "c", "tokens": )" + tokens +
                        R"(, "me": {"locale": "en"}}]})"),
             QByteArray(R"({"clientId": 5, "tokens": )" + tokens + "}"),
         }) {
        EXPECT_FALSE(AccountsFormat::decode(data)) << data.constData();
    }
}

} // namespace
} // namespace murva
