#include "support/DevService.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QThread>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

class RecorderApiTest : public testing::Test {
protected:
    void SetUp() override
    {
        service.reset();
        token = service.issueToken("host@example.com");
    }

    HttpAnswer api(const QByteArray &method, const QString &path, const QJsonObject &body = {})
    {
        return callApi(method, service.url(path), token, body);
    }

    QString begin(qint64 bytes = 5)
    {
        const HttpAnswer answer = api("POST", "/recorder/begin",
                                      {{"title", "Weekly"}, {"at", 1000}, {"people", QJsonArray{}}, {"bytes", bytes},
                                       {"durationSec", 3}, {"transcript", ""},
                                       {"turns", QJsonArray{QJsonObject{{"from", 0}, {"to", 1.5}, {"who", "host"}}}}});
        EXPECT_EQ(answer.status, 200) << answer.body.constData();
        return answer.json().value("meetingId").toString();
    }

    DevService service = DevService::fromEnvironment();
    QString token;
};

TEST_F(RecorderApiTest, MeetingsOfOneUserStayHiddenFromAnother)
{
    const QString meetingId = begin();
    token = service.issueToken("guest@example.com");
    EXPECT_EQ(api("POST", "/recorder/ready", {{"meetingId", meetingId}}).status, 404);
    EXPECT_EQ(api("POST", "/recorder/titles", {{"meetingIds", QJsonArray{meetingId}}}).json().value("titles"),
              QJsonArray{});
}

TEST_F(RecorderApiTest, RefusesMalformedBegins)
{
    EXPECT_EQ(api("POST", "/recorder/begin", {{"title", "No size"}, {"at", 1}, {"durationSec", 1}, {"turns", QJsonArray{}}})
                  .status,
              400);
    EXPECT_EQ(api("POST", "/recorder/begin",
                  {{"title", "Bad turn"}, {"at", 1}, {"bytes", 9}, {"durationSec", 1},
                   {"turns", QJsonArray{QJsonObject{{"from", 0}, {"to", 1}, {"who", "nobody"}}}}})
                  .status,
              400);
    EXPECT_TRUE(service.meetings().isEmpty());
}

TEST_F(RecorderApiTest, InjectedRepliesReplaceTheNextCallsOnlyAndTakeNoEffect)
{
    service.inject("/recorder/begin", 403, R"({"ok": false, "error": "noCredits"})");
    const HttpAnswer refused = api("POST", "/recorder/begin",
                                   {{"title", "X"}, {"at", 1}, {"bytes", 9}, {"durationSec", 1}, {"turns", QJsonArray{}}});
    EXPECT_EQ(refused.status, 403);
    EXPECT_EQ(refused.json().value("error"), "noCredits");
    EXPECT_TRUE(service.meetings().isEmpty());
    EXPECT_FALSE(begin().isEmpty());

    // Faults apply before the token check, and "*" covers a family of paths.
    service.inject("/upload/*", 500, "not json", 2);
    const QUrl upload = service.url("/upload/whatever");
    EXPECT_EQ(send("PUT", upload, {{"Content-Type", "video/mp4"}}, "x").body, "not json");
    EXPECT_EQ(send("PUT", upload, {{"Content-Type", "video/mp4"}}, "x").status, 500);
    EXPECT_EQ(send("PUT", upload, {{"Content-Type", "video/mp4"}}, "x").status, 404);
}

TEST_F(RecorderApiTest, DelaysHoldTheReplyAndRequestsAreRecordedInOrder)
{
    // A delay holds one reply only: the next one comes without it, however busy the machine.
    service.delay("/recorder/next", 1500);
    QElapsedTimer timer;
    timer.start();
    const HttpAnswer next = api("GET", "/recorder/next");
    EXPECT_GE(timer.elapsed(), 1500);
    EXPECT_EQ(next.json(), (QJsonObject{{"meeting", QJsonValue::Null}}));
    timer.restart();
    api("GET", "/recorder/next");
    EXPECT_LT(timer.elapsed(), 1500);

    service.setUpcoming(QJsonObject{{"meetings", QJsonArray{QJsonObject{{"title", "Plan"}}}}});
    QUrl upcomingUrl = service.url("/recorder/upcoming");
    upcomingUrl.setQuery("until=2500");
    EXPECT_EQ(callApi("GET", upcomingUrl, token).json().value("meetings").toArray().size(), 1);

    const QJsonArray requests = service.requests();
    ASSERT_EQ(requests.size(), 3);
    const QJsonObject upcoming = requests[2].toObject();
    EXPECT_EQ(upcoming.value("path"), "/recorder/upcoming");
    EXPECT_EQ(upcoming.value("query"), "until=2500");
    EXPECT_EQ(upcoming.value("headers").toObject().value("authorization").toString(), "Bearer " + token);
}

} // namespace
} // namespace murva::test
