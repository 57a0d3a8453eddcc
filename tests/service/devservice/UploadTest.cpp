#include "support/DevService.h"
#include "HttpClient.h"

#include <QFile>
#include <QJsonArray>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace murva::test {
namespace {

class UploadTest : public testing::Test {
protected:
    void SetUp() override
    {
        service.reset();
        token = service.issueToken();
        content.resize(3 * 1024 * 1024 + 17);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(content.data()), content.size() / 4);
        const HttpAnswer begun = callApi("POST", service.url("/recorder/begin"), token,
                                         {{"title", "Upload"}, {"at", 1}, {"bytes", content.size()},
                                          {"durationSec", 60}, {"turns", QJsonArray{}}});
        meetingId = begun.json().value("meetingId").toString();
        uploadUrl = QUrl(begun.json().value("uploadUrl").toString());
    }

    HttpAnswer put() { return send("PUT", uploadUrl, {{"Content-Type", "video/mp4"}}, content); }

    QJsonObject meeting() { return service.meetings().first().toObject(); }

    DevService service = DevService::fromEnvironment();
    QString token;
    QByteArray content;
    QString meetingId;
    QUrl uploadUrl;
};

TEST_F(UploadTest, StoresTheWholeBodyAtTheAddressBeginHandedOut)
{
    ASSERT_EQ(uploadUrl, service.url("/upload/" + meetingId));
    ASSERT_EQ(put().status, 200);
    QFile stored(meeting().value("uploadPath").toString());
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_TRUE(stored.readAll() == content);
    const QJsonObject record = service.requests("/upload/" + meetingId).first().toObject();
    EXPECT_EQ(record.value("bodyBytes").toInteger(), content.size());
    EXPECT_EQ(record.value("body").toString(), ""); // too large to keep as text
    EXPECT_EQ(record.value("headers").toObject().value("content-type").toString(), "video/mp4");
}

TEST_F(UploadTest, ACutUploadFailsLeavesNothingAndTheRetrySucceeds)
{
    // Until taken back: QNetworkAccessManager resends a request whose connection broke
    // while it was still sending.
    service.cutUpload(65536, -1);
    const HttpAnswer cut = put();
    EXPECT_EQ(cut.status, 0);
    EXPECT_NE(cut.error, QNetworkReply::NoError);
    EXPECT_FALSE(meeting().value("uploaded").toBool());
    const QJsonArray attempts = service.requests("/upload/" + meetingId);
    ASSERT_FALSE(attempts.isEmpty());
    for (const QJsonValue &attempt : attempts) {
        EXPECT_EQ(attempt.toObject().value("bodyBytes").toInteger(), 65536);
    }
    EXPECT_EQ(callApi("POST", service.url("/recorder/ready"), token, {{"meetingId", meetingId}}).json().value("error"),
              "notUploaded");

    service.cutUpload(0, 0);
    EXPECT_EQ(put().status, 200);
    EXPECT_EQ(meeting().value("uploadBytes").toInteger(), content.size());
    EXPECT_EQ(callApi("POST", service.url("/recorder/ready"), token, {{"meetingId", meetingId}}).status, 200);
}

TEST_F(UploadTest, ACancelledMeetingTakesNoUploadAndDropsItsFile)
{
    ASSERT_EQ(put().status, 200);
    const QString path = meeting().value("uploadPath").toString();
    EXPECT_EQ(callApi("POST", service.url("/recorder/cancel"), token, {{"meetingId", meetingId}}).status, 200);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(put().status, 410);
    EXPECT_EQ(callApi("POST", service.url("/recorder/ready"), token, {{"meetingId", meetingId}}).status, 410);
}

} // namespace
} // namespace murva::test
