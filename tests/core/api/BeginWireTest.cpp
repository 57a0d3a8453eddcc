#include "api/BeginReply.h"
#include "api/BeginRequest.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <chrono>

namespace murva {
namespace {

std::optional<BeginReply> replyOf(const char *json)
{
    return BeginReply::of(QByteArray(json));
}

TEST(BeginReplyOf, DecodesAnyScheme)
{
    // Decoding keeps what the service said; the upload decides where it may go.
    for (const char *address : {"https://up.example/put/1?sig=a%2Fb", "http://127.0.0.1:8080/u", "file:///etc/passwd",
                                "ftp://files.example/x"}) {
        const auto reply = replyOf(qPrintable(QStringLiteral(R"({"meetingId": "m1", "uploadUrl": "%1"})").arg(address)));
        ASSERT_TRUE(reply) << address;
        EXPECT_EQ(reply->uploadUrl.toString(QUrl::FullyEncoded), address);
        EXPECT_EQ(reply->meetingId, "m1");
    }
}

TEST(BeginReplyOf, NeedsAStringIdAndAnAddress)
{
    EXPECT_EQ(replyOf(R"({"uploadUrl": "https://up.example/1"})"), std::nullopt);
    EXPECT_EQ(replyOf(R"({"meetingId": 12, "uploadUrl": "https://up.example/1"})"), std::nullopt);
    EXPECT_EQ(replyOf(R"({"meetingId": "m1"})"), std::nullopt);
    EXPECT_EQ(replyOf(R"({"meetingId": "m1", "uploadUrl": ""})"), std::nullopt);
    EXPECT_EQ(replyOf(R"({"meetingId": "m1", "uploadUrl": "http://[::1"})"), std::nullopt);
    EXPECT_EQ(replyOf(R"({"meetingId": "m1", "uploadUrl": {"href": "https://up.example/1"}})"), std::nullopt);
    EXPECT_EQ(replyOf("[]"), std::nullopt);
    EXPECT_EQ(replyOf(""), std::nullopt);
}

TEST(BeginReplyOf, OptionalFields)
{
    const auto bare = replyOf(R"({"meetingId": "m1", "uploadUrl": "https://up.example/1", "customer": 3, "title": "  \n"})");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->customer, std::nullopt);
    EXPECT_EQ(bare->title, std::nullopt);

    const auto full = replyOf(R"({"meetingId": "m1", "uploadUrl": "https://up.example/1", "customer": "acme",
                                 "title": " Weekly "})");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->customer, "acme");
    EXPECT_EQ(full->title, " Weekly ");
}

SystemTime at(double secondsSince1970)
{
    return SystemTime(std::chrono::duration_cast<SystemTime::duration>(std::chrono::duration<double>(secondsSince1970)));
}

TEST(BeginRequestMake, RoundsStartAndDuration)
{
    const std::vector<Turn> turns{{0.0, 1.5, Side::host}, {1.6, 3.0, Side::guests}};
    const auto request = BeginRequest::make("Weekly", at(1.5), std::nullopt, 1234, 0.4, turns);
    EXPECT_EQ(request.at, 1500);
    EXPECT_EQ(request.durationSec, 1);
    EXPECT_EQ(BeginRequest::make("W", at(0.0025), std::nullopt, 1, 61.5, {}).at, 3); // 2.5 ms: half away from zero
    EXPECT_EQ(BeginRequest::make("W", at(0), std::nullopt, 1, 61.5, {}).durationSec, 62);
    EXPECT_EQ(BeginRequest::make("W", at(0), std::nullopt, 1, 61.49, {}).durationSec, 61);
    EXPECT_EQ(BeginRequest::make("W", at(0), std::nullopt, 1, 0, {}).durationSec, 1);
}

TEST(BeginRequestJson, WritesEveryKeyButAMissingLink)
{
    const std::vector<Turn> turns{{0.0, 1.5, Side::host}};
    const auto withoutLink = BeginRequest::make("Weekly", at(1.5), std::nullopt, 5000000000LL, 61.5, turns);
    EXPECT_EQ(withoutLink.toJson(), QJsonDocument::fromJson(R"({"title": "Weekly", "at": 1500, "people": [],
        "bytes": 5000000000, "durationSec": 62, "transcript": "",
        "turns": [{"from": 0, "to": 1.5, "who": "host"}]})").object());

    const auto withLink =
        BeginRequest::make("Weekly", at(1.5), QUrl("https://meet.example/abc-defg?pli=1"), 10, 5, {});
    EXPECT_EQ(withLink.toJson().value("joinUrl").toString(), "https://meet.example/abc-defg?pli=1");
    EXPECT_EQ(withLink.toJson().value("turns").toArray(), QJsonArray());
}

} // namespace
} // namespace murva
