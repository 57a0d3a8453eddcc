// RecorderAPI against the local service over loopback: what goes on the wire and how
// each kind of answer becomes a result or a SaveError.

#include "api/RecorderAPI.h"

#include "support/AwaitTask.h"
#include "support/DevService.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <chrono>

namespace murva {
namespace {

using test::await;
using test::bodyOf;
using test::thrownBy;

// QCoro 0.8 moves from an lvalue that is co_returned as another type, so the token is
// copied into the result type first.
RecorderAPI::TokenOperation fixedToken(const std::optional<QString> &token)
{
    return [token]() -> QCoro::Task<std::optional<QString>> { co_return std::optional<QString>(token); };
}

class RecorderApiService : public testing::Test {
protected:
    void SetUp() override
    {
        service.reset();
        token = service.issueToken();
    }

    // A client with the issued token whose waits between ready attempts are only noted.
    RecorderAPI client(std::optional<QString> withToken = std::nullopt)
    {
        const std::optional<QString> given = withToken ? withToken : std::optional(token);
        RecorderAPI api(service.base(), fixedToken(given));
        api.setSleep([this](double seconds) -> QCoro::Task<> {
            sleeps.push_back(seconds);
            co_return;
        });
        return api;
    }

    test::DevService service = test::DevService::fromEnvironment();
    QString token;
    std::vector<double> sleeps;
};

// The decoding itself is proven in tests/core/api.
TEST_F(RecorderApiService, MeSendsTheBearerTokenAndDecodesTheUser)
{
    service.setReply("me", QJsonObject{{"app", "Acme Notes"}, {"email", "host@example.com"}});
    EXPECT_EQ(await(client().me()).app, "Acme Notes");

    const QJsonArray requests = service.requests();
    ASSERT_EQ(requests.size(), 1);
    const QJsonObject sent = requests[0].toObject();
    EXPECT_EQ(sent["method"].toString(), "GET");
    EXPECT_EQ(sent["path"].toString(), "/recorder/me");
    EXPECT_EQ(sent["headers"].toObject()["authorization"].toString(), "Bearer " + token);
    EXPECT_FALSE(sent["headers"].toObject().contains("content-type"));
    EXPECT_EQ(sent["bodyBytes"].toInt(), 0);
}

TEST_F(RecorderApiService, TokenProblemsSendNothing)
{
    EXPECT_EQ(thrownBy<SaveError>(client(QString()).me()), SaveError::signIn);

    RecorderAPI none(service.base(), []() -> QCoro::Task<std::optional<QString>> { co_return std::nullopt; });
    EXPECT_EQ(thrownBy<SaveError>(none.me()), SaveError::signIn);

    RecorderAPI lostNetwork(service.base(), []() -> QCoro::Task<std::optional<QString>> {
        throw NetworkFailure(QNetworkReply::HostNotFoundError);
        co_return std::nullopt;
    });
    EXPECT_EQ(thrownBy<SaveError>(lostNetwork.me()), SaveError::offline);

    // A token operation's own kinds other than offline are not passed on.
    RecorderAPI refused(service.base(), []() -> QCoro::Task<std::optional<QString>> {
        throw SaveError::signIn;
        co_return std::nullopt;
    });
    EXPECT_EQ(thrownBy<SaveError>(refused.me()), SaveError::failed);

    EXPECT_EQ(service.requests().size(), 0);
}

TEST_F(RecorderApiService, BeginPostsTheRequestAndDecodesTheReply)
{
    service.beginReply(QJsonObject{{"title", " Weekly sync "}, {"customer", "acme"}});
    const BeginRequest request = BeginRequest::make("Weekly", std::chrono::system_clock::now(),
                                                    QUrl("https://meet.example/abc"), 2048, 61.5,
                                                    {{0, 1.5, Side::host}, {2, 3, Side::guests}});
    const BeginReply reply = await(client().begin(request));
    EXPECT_FALSE(reply.meetingId.isEmpty());
    EXPECT_EQ(reply.uploadUrl.scheme(), "http");
    EXPECT_EQ(reply.title, " Weekly sync ");
    EXPECT_EQ(reply.customer, "acme");

    const QJsonObject sent = service.requests("/recorder/begin")[0].toObject();
    EXPECT_EQ(sent["method"].toString(), "POST");
    EXPECT_EQ(sent["headers"].toObject()["content-type"].toString(), "application/json");
    EXPECT_EQ(bodyOf(sent), request.toJson());

    // A success that is no begin reply (me and titles share this reader).
    service.inject("/recorder/begin", 200, R"({"ok": true})");
    EXPECT_EQ(thrownBy<SaveError>(client().begin(request)), SaveError::failed);
}

TEST_F(RecorderApiService, ReadyTriesSixTimesWhileNotUploaded)
{
    service.inject("/recorder/ready", 200, R"({"ok": false, "error": "notUploaded"})", 5);
    service.inject("/recorder/ready", 200, R"({"ok": true})");
    await(client().ready("m1"));
    EXPECT_EQ(service.requests("/recorder/ready").size(), 6);
    EXPECT_EQ(sleeps, (std::vector<double>{2, 4, 6, 8, 10}));
    EXPECT_EQ(bodyOf(service.requests("/recorder/ready")[5]), (QJsonObject{{"meetingId", "m1"}}));

    service.reset();
    token = service.issueToken();
    sleeps.clear();
    service.inject("/recorder/ready", 409, R"({"ok": false, "error": "notUploaded"})", 6);
    EXPECT_EQ(thrownBy<SaveError>(client().ready("m-unknown")), SaveError::notUploaded);
    EXPECT_EQ(service.requests("/recorder/ready").size(), 6);
    EXPECT_EQ(sleeps.size(), 5u);
}

TEST_F(RecorderApiService, ReadyPassesOtherFailuresOnAtOnce)
{
    service.inject("/recorder/ready", 500, R"({"error": "failed"})");
    EXPECT_EQ(thrownBy<SaveError>(client().ready("m1")), SaveError::failed);
    service.inject("/recorder/ready", 401, "");
    EXPECT_EQ(thrownBy<SaveError>(client().ready("m1")), SaveError::signIn);
    EXPECT_EQ(service.requests("/recorder/ready").size(), 2);
    EXPECT_TRUE(sleeps.empty());
}

TEST_F(RecorderApiService, MeetingRequests)
{
    service.setReply("upcoming", QJsonObject{{"meetings", QJsonArray{}}});
    const auto upcoming = await(client().upcoming(SystemTime{std::chrono::milliseconds(2500)}));
    EXPECT_EQ(upcoming, std::vector<UpcomingMeeting>{});
    EXPECT_EQ(service.requests("/recorder/upcoming")[0].toObject()["query"].toString(), "until=2500");

    service.setReply("titles", QJsonObject{{"titles", QJsonArray{QJsonObject{{"meetingId", "m1"}, {"title", "Kick-off"}}}}});
    EXPECT_EQ(await(client().recentInfo({"m1", "m2"})).titles.value("m1"), "Kick-off");
    EXPECT_EQ(bodyOf(service.requests("/recorder/titles")[0]), (QJsonObject{{"meetingIds", QJsonArray{"m1", "m2"}}}));
}

TEST_F(RecorderApiService, CancelNeverFails)
{
    service.inject("/recorder/cancel", 500, "broken");
    await(client().cancel("m1"));
    await(client().cancel("m-unknown")); // the service answers 404
    EXPECT_EQ(service.requests("/recorder/cancel").size(), 2);

    // Nobody listening at all.
    RecorderAPI unreachable(test::closedLoopbackAddress(), fixedToken(token));
    await(unreachable.cancel("m1"));
    // A refused connection is an answer: the network itself works.
    EXPECT_EQ(thrownBy<SaveError>(unreachable.me()), SaveError::failed);
}

TEST_F(RecorderApiService, BaseWithAPathKeepsIt)
{
    QUrl base = service.base();
    base.setPath("/prefix/");
    RecorderAPI prefixed(base, fixedToken(token));
    EXPECT_EQ(thrownBy<SaveError>(prefixed.me()), SaveError::failed); // the service has no such path
    ASSERT_EQ(service.requests().size(), 1);
    EXPECT_EQ(service.requests()[0].toObject()["path"].toString(), "/prefix/recorder/me");
}

} // namespace
} // namespace murva
