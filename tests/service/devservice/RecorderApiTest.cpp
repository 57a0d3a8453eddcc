#include "support/DevService.h"

#include <QJsonArray>
#include <QJsonDocument>

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

} // namespace
} // namespace murva::test
