#include "api/Me.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

std::optional<Me> meOf(const char *json)
{
    return Me::of(QByteArray(json));
}

TEST(MeOf, TakesOnlyHttpsAddressesAndKnownLocales)
{
    const auto me = meOf(R"({"app": "Acme", "you": "Ann", "email": "ann@example.com",
                            "image": "http://img.example/a.png",
                            "meetingsUrl": "https://notes.example/u/ann", "locale": "de"})");
    ASSERT_TRUE(me);
    EXPECT_EQ(me->app, "Acme");
    EXPECT_EQ(me->you, "Ann");
    EXPECT_EQ(me->email, "ann@example.com");
    EXPECT_EQ(me->image, std::nullopt);
    EXPECT_EQ(me->meetingsUrl, QUrl("https://notes.example/u/ann"));
    EXPECT_EQ(me->locale, "en");

    const auto fr = meOf(R"({"app": "Acme", "locale": "fr", "image": "https://img.example/a.png"})");
    ASSERT_TRUE(fr);
    EXPECT_EQ(fr->locale, "fr");
    EXPECT_EQ(fr->image, QUrl("https://img.example/a.png"));
}

TEST(MeOf, WrongTypesAreDroppedAndAppIsRequired)
{
    const auto me = meOf(R"({"app": "A", "you": 3, "email": null, "meetingsUrl": 5, "locale": ["fr"]})");
    ASSERT_TRUE(me);
    EXPECT_EQ(me->you, std::nullopt);
    EXPECT_EQ(me->email, std::nullopt);
    EXPECT_EQ(me->meetingsUrl, std::nullopt);
    EXPECT_EQ(me->locale, "en");

    EXPECT_EQ(meOf(R"({"you": "Ann", "locale": "fr"})"), std::nullopt);
    EXPECT_EQ(meOf(R"({"app": 1})"), std::nullopt);
    EXPECT_EQ(meOf(R"([{"app": "A"}])"), std::nullopt);
    EXPECT_EQ(meOf("not json"), std::nullopt);
}

TEST(MeMeetingURL, AppendsOnePathComponent)
{
    Me me;
    me.app = "A";
    EXPECT_EQ(me.meetingURL("m1"), std::nullopt);

    me.meetingsUrl = QUrl("https://notes.example/u/ann");
    EXPECT_EQ(me.meetingURL("m1")->toString(), "https://notes.example/u/ann/m1");
    me.meetingsUrl = QUrl("https://notes.example/u/ann/");
    EXPECT_EQ(me.meetingURL("m1")->toString(), "https://notes.example/u/ann/m1");
    // Separators inside the id stay inside the one component.
    EXPECT_EQ(me.meetingURL("a/b?c")->toString(QUrl::FullyEncoded), "https://notes.example/u/ann/a%2Fb%3Fc");
}

TEST(MeStoredForm, RoundTripsAndNeedsAppAndLocale)
{
    Me me;
    me.app = "Acme";
    me.email = "ann@example.com";
    me.meetingsUrl = QUrl("https://notes.example/u/ann");
    me.locale = "fr";
    const QJsonObject stored = me.toJson();
    EXPECT_FALSE(stored.contains("you")); // absent fields are left out
    EXPECT_EQ(Me::fromJson(stored), me);

    QJsonObject withoutLocale = stored;
    withoutLocale.remove("locale");
    EXPECT_EQ(Me::fromJson(withoutLocale), std::nullopt);
}

} // namespace
} // namespace murva
