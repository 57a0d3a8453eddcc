#include "support/DevService.h"
#include "HttpClient.h"

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

TEST_F(RecorderApiTest, AnswersSignInWithoutAKnownBearerToken)
{
    for (const QByteArray &authorization : {QByteArray(), QByteArray("Bearer nonsense"), "Basic " + token.toUtf8()}) {
        Headers headers;
        if (!authorization.isEmpty()) {
            headers.append({"Authorization", authorization});
        }
        const HttpAnswer answer = send("GET", service.url("/recorder/me"), headers);
        EXPECT_EQ(answer.status, 401) << authorization.constData();
        EXPECT_EQ(answer.json(), (QJsonObject{{"ok", false}, {"error", "signIn"}}));
    }
    const HttpAnswer me = api("GET", "/recorder/me");
    EXPECT_EQ(me.status, 200);
    EXPECT_EQ(me.json().value("email").toString(), "host@example.com");
    EXPECT_TRUE(me.json().value("app").isString());
}

TEST_F(RecorderApiTest, ReadyRefusesUntilTheUploadIsCompleteThenNotesAreWrittenInTime)
{
    service.notesWriting(0.4);
    const QString meetingId = begin(5);
    ASSERT_FALSE(meetingId.isEmpty());

    const HttpAnswer early = api("POST", "/recorder/ready", {{"meetingId", meetingId}});
    EXPECT_EQ(early.json(), (QJsonObject{{"ok", false}, {"error", "notUploaded"}}));
    EXPECT_FALSE(early.status >= 200 && early.status < 300);

    const QUrl upload = service.url("/upload/" + meetingId);
    EXPECT_EQ(send("PUT", upload, {{"Content-Type", "video/webm"}}, "hello").status, 415);
    EXPECT_EQ(send("PUT", upload, {{"Content-Type", "video/mp4"}}, "hello!").status, 400);
    EXPECT_EQ(api("POST", "/recorder/ready", {{"meetingId", meetingId}}).json().value("error"), "notUploaded");
    EXPECT_EQ(send("PUT", upload, {{"Content-Type", "video/mp4"}}, "hello").status, 200);
    EXPECT_EQ(api("POST", "/recorder/ready", {{"meetingId", meetingId}}).status, 200);

    const auto notesState = [&] {
        const QJsonObject reply = api("POST", "/recorder/titles", {{"meetingIds", QJsonArray{meetingId, "m-unknown"}}}).json();
        EXPECT_EQ(reply.value("titles").toArray(),
                  (QJsonArray{QJsonObject{{"meetingId", meetingId}, {"title", "Weekly"}}}));
        return reply.value("notes").toArray().first().toObject().value("state").toString();
    };
    EXPECT_EQ(notesState(), "writing");
    QThread::msleep(500);
    EXPECT_EQ(notesState(), "ready");

    const QJsonObject meeting = service.meetings().first().toObject();
    EXPECT_EQ(meeting.value("uploadBytes").toInteger(), 5);
    EXPECT_EQ(meeting.value("uploadContentType").toString(), "video/mp4");
    EXPECT_TRUE(meeting.value("uploaded").toBool());
    EXPECT_TRUE(meeting.value("ready").toBool());
    EXPECT_EQ(meeting.value("uploadAttempts").toInt(), 3);
}

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
    service.delay("/recorder/next", 400);
    QElapsedTimer timer;
    timer.start();
    const HttpAnswer next = api("GET", "/recorder/next");
    EXPECT_GE(timer.elapsed(), 400);
    EXPECT_EQ(next.json(), (QJsonObject{{"meeting", QJsonValue::Null}}));
    timer.restart();
    api("GET", "/recorder/next");
    EXPECT_LT(timer.elapsed(), 400);

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
