#include "support/DevService.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>

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

    // A call of the recorder API as the recorder makes it.
    HttpAnswer post(const QString &path, const QJsonObject &body)
    {
        return send("POST", service.url(path),
                    {{"Authorization", "Bearer " + token.toUtf8()}, {"Content-Type", "application/json"}},
                    QJsonDocument(body).toJson(QJsonDocument::Compact));
    }

    QString begin(qint64 bytes = 5)
    {
        const HttpAnswer answer = post("/recorder/begin",
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
    EXPECT_EQ(post("/recorder/ready", {{"meetingId", meetingId}}).status, 404);
    EXPECT_EQ(post("/recorder/titles", {{"meetingIds", QJsonArray{meetingId}}}).json().value("titles"),
              QJsonArray{});
}

TEST_F(RecorderApiTest, RefusesMalformedBegins)
{
    EXPECT_EQ(post("/recorder/begin", {{"title", "No size"}, {"at", 1}, {"durationSec", 1}, {"turns", QJsonArray{}}})
                  .status,
              400);
    EXPECT_EQ(post("/recorder/begin",
                   {{"title", "Bad turn"}, {"at", 1}, {"bytes", 9}, {"durationSec", 1},
                    {"turns", QJsonArray{QJsonObject{{"from", 0}, {"to", 1}, {"who", "nobody"}}}}})
                  .status,
              400);
    EXPECT_TRUE(service.meetings().isEmpty());
}

TEST_F(RecorderApiTest, InjectedRepliesReplaceTheNextCallsOnlyAndTakeNoEffect)
{
    service.inject("/recorder/begin", 403, R"({"ok": false, "error": "noCredits"})");
    const HttpAnswer refused = post("/recorder/begin",
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

// Two calls sent together: the held one is answered last, with its own reply. (That
// requests are recorded in order is relied on by every other service test.)
TEST_F(RecorderApiTest, ADelayHoldsTheReply)
{
    service.delay("/recorder/next", 2000);
    QNetworkAccessManager network;
    QStringList answered;
    QByteArray nextBody;
    QEventLoop loop;
    for (const QString path : {"/recorder/next", "/recorder/me"}) {
        QNetworkRequest request(service.url(path));
        request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
        QNetworkReply *reply = network.get(request);
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply, path] {
            answered << path;
            if (path == "/recorder/next")
                nextBody = reply->readAll();
            reply->deleteLater();
            if (answered.size() == 2)
                loop.quit();
        });
    }
    loop.exec();
    EXPECT_EQ(answered, (QStringList{"/recorder/me", "/recorder/next"}));
    EXPECT_EQ(QJsonDocument::fromJson(nextBody).object(), (QJsonObject{{"meeting", QJsonValue::Null}}));
}

} // namespace
} // namespace murva::test
