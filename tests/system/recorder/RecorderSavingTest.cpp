// A call from its start to the service: recorded and saved, and what a refused sign-in
// leaves behind. Dropping a microphone test is the model's rule, tested there.
#include "EndToEndTest.h"

#include <QFileInfo>

#include <cmath>

namespace murva::test {
namespace {

TEST_F(EndToEndTest, WholeCallIsRecordedAndSavedWithItsTurns)
{
    const int callSec = 15;
    ASSERT_FALSE(recorder->launchAndSignIn().isEmpty()) << qPrintable(recorder->output());
    // Begin is held a moment, so the finished video can be read before it is uploaded
    // and removed.
    service.delay(QStringLiteral("/recorder/begin"), 2000);

    SimulatedCall call(callSec);
    ASSERT_TRUE(call.waitUntilStarted());
    ASSERT_TRUE(recorder->waitForLine(zoomStarted, 10)) << qPrintable(recorder->output());
    ASSERT_TRUE(call.waitUntilHungUp(callSec + 15));
    const auto recorded = recorder->waitForLine(QStringLiteral("recorded (\\d+) s, (\\d+) turns"), 20);
    ASSERT_TRUE(recorded) << qPrintable(recorder->output());
    const QStringList videos = recorder->videos();
    ASSERT_EQ(videos.size(), 1);
    const QByteArray written = readFile(videos.first());
    ASSERT_FALSE(written.isEmpty());

    const auto saved = recorder->waitForLine(savedMeeting, 40);
    ASSERT_TRUE(saved) << qPrintable(recorder->output());
    const QJsonObject meeting = expectSavedAndQuit(written.size());
    EXPECT_EQ(meeting.value("meetingId").toString(), saved->captured(1));
    EXPECT_FALSE(meeting.value("cancelled").toBool());
    EXPECT_EQ(meeting.value("uploadContentType").toString(), "video/mp4");
    EXPECT_EQ(meeting.value("bytes").toInteger(), written.size());
    const QString uploadPath = meeting.value("uploadPath").toString();
    if (!uploadPath.isEmpty() && QFileInfo::exists(uploadPath)) {
        EXPECT_TRUE(readFile(uploadPath) == written) << "the upload differs from the video written";
    }

    // The call plus the quiet time that ends it, less the moment it took to notice it.
    const double durationSec = meeting.value("durationSec").toDouble();
    EXPECT_GE(durationSec, callSec + 1);
    EXPECT_LE(durationSec, callSec + 11);
    EXPECT_TRUE(hasTurnsOf(meeting, "host")) << qPrintable(recorder->output());
    EXPECT_TRUE(hasTurnsOf(meeting, "guests")) << qPrintable(recorder->output());
    EXPECT_EQ(meeting.value("turns").toArray().size(), recorded->captured(2).toInt());

    const std::vector<QJsonObject> records = recorder->records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_FALSE(records[0].value("title").toString().isEmpty());
    EXPECT_EQ(meeting.value("title").toString(), records[0].value("title").toString());
    // The log truncates the duration, the service gets it rounded.
    const double recordSec = records[0].value("durationSec").toDouble();
    EXPECT_EQ(qint64(recordSec), recorded->captured(1).toLongLong());
    EXPECT_EQ(durationSec, std::round(recordSec));
}

TEST_F(EndToEndTest, RefusedRefreshSignsOutAndKeepsTheRecording)
{
    // Every token is stale at once, so each call of the API refreshes first.
    service.oauth(QJsonObject{{"accessTokenLifetimeSec", 1}});
    const QString account = recorder->launchAndSignIn();
    ASSERT_FALSE(account.isEmpty()) << qPrintable(recorder->output());

    SimulatedCall call(8);
    ASSERT_TRUE(call.waitUntilStarted());
    ASSERT_TRUE(recorder->waitForLine(zoomStarted, 10)) << qPrintable(recorder->output());
    service.oauth(QJsonObject{{"refuseRefresh", true}});
    ASSERT_TRUE(call.waitUntilHungUp(25));

    ASSERT_TRUE(recorder->waitForLine(QStringLiteral("save failed: signIn"), 30)) << qPrintable(recorder->output());
    EXPECT_TRUE(recorder->saw(QStringLiteral("accounts: refresh refused \\(status \\d+\\), account ")
                              + QRegularExpression::escape(account) + " removed"))
        << qPrintable(recorder->output());
    EXPECT_TRUE(recorder->waitForLine(QStringLiteral("headless: signed out"), 5)) << qPrintable(recorder->output());
    EXPECT_FALSE(readFile(recorder->accountsFile()).contains(account.toUtf8()));
    EXPECT_TRUE(service.meetings().isEmpty());
    ASSERT_NO_FATAL_FAILURE(expectOneLeftover(QStringLiteral("failed")));
    EXPECT_TRUE(recorder->quit()) << qPrintable(recorder->output());
}

} // namespace
} // namespace murva::test
