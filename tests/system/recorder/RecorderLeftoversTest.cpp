// Recordings that could not be saved when their call ended (the app quit or died, the
// service refused or could not be reached) stay on disk and are saved at a later launch.
#include "EndToEndTest.h"

#include <cmath>

namespace murva::test {
namespace {

TEST_F(LeftoversTest, QuittingOnSigtermKeepsTheRecordingForTheNextLaunch)
{
    ASSERT_FALSE(recorder->launchAndSignIn().isEmpty()) << qPrintable(recorder->output());
    std::unique_ptr<SimulatedCall> call;
    ASSERT_NO_FATAL_FAILURE(startRecordedCall(call, 60));
    recorder->keepReading(15);

    recorder->terminate();
    const auto kept = recorder->waitForLine(QStringLiteral("kept (\\d+) s to save at the next launch"), 20);
    ASSERT_TRUE(kept) << qPrintable(recorder->output());
    ASSERT_TRUE(recorder->waitForExit(20));
    EXPECT_FALSE(recorder->crashed());
    EXPECT_EQ(recorder->exitCode(), 0);
    EXPECT_TRUE(recorder->saw(QStringLiteral("headless: quitting on signal 15")));
    EXPECT_TRUE(recorder->saw(QStringLiteral("stop: the app is quitting")));
    call->hangUp();

    const int keptSec = kept->captured(1).toInt();
    EXPECT_GE(keptSec, 12);
    EXPECT_LE(keptSec, 17);
    ASSERT_NO_FATAL_FAILURE(expectOneLeftover(QStringLiteral("failed")));
    const double recordSec = recorder->records()[0].value("durationSec").toDouble();
    EXPECT_EQ(qint64(recordSec), keptSec);
    EXPECT_TRUE(service.requests(QStringLiteral("/recorder/begin")).isEmpty()) << "uploaded while quitting";

    const QJsonObject meeting = relaunchAndExpectSaved();
    EXPECT_EQ(meeting.value("durationSec").toDouble(), std::round(recordSec));
}

// The recorder dies 35 s into a call; the next launch saves what the file holds. The
// duration comes from the file, and reaches both the service and the record.
TEST_F(LeftoversTest, RecordingOfAKilledRecorderIsSavedWithTheDurationOfItsFile)
{
    ASSERT_FALSE(recorder->launchAndSignIn().isEmpty()) << qPrintable(recorder->output());
    std::unique_ptr<SimulatedCall> call;
    ASSERT_NO_FATAL_FAILURE(startRecordedCall(call, 60));
    recorder->keepReading(35);
    recorder->kill();
    call->hangUp();
    ASSERT_NO_FATAL_FAILURE(expectOneLeftover(QStringLiteral("recording")));

    const QJsonObject meeting = relaunchAndExpectSaved();
    EXPECT_GE(meeting.value("durationSec").toDouble(), 29);
    EXPECT_LE(meeting.value("durationSec").toDouble(), 36);
    const std::vector<QJsonObject> records = recorder->records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_GE(records[0].value("durationSec").toDouble(), 29);
}

// A refused connection means the service is down (the recorder calls that `failed`);
// a name that cannot be resolved means no network (`offline`). Neither loses the file.
TEST_F(LeftoversTest, UnreachableServiceKeepsTheRecordingUntilItIsReachable)
{
    ASSERT_FALSE(recorder->launchAndSignIn().isEmpty()) << qPrintable(recorder->output());
    ASSERT_TRUE(recorder->quit());

    recorder->setApiBase(closedLoopbackAddress());
    ASSERT_TRUE(recorder->launchSignedIn()) << qPrintable(recorder->output());
    std::unique_ptr<SimulatedCall> call;
    ASSERT_NO_FATAL_FAILURE(startRecordedCall(call, 8));
    ASSERT_TRUE(call->waitUntilHungUp(25));
    ASSERT_TRUE(recorder->waitForLine(QStringLiteral("save failed: failed"), 30)) << qPrintable(recorder->output());
    ASSERT_NO_FATAL_FAILURE(expectOneLeftover(QStringLiteral("failed")));
    EXPECT_TRUE(recorder->quit()) << qPrintable(recorder->output());

    recorder->setApiBase(QUrl(QStringLiteral("http://murva-service.invalid")));
    ASSERT_TRUE(recorder->launchSignedIn()) << qPrintable(recorder->output());
    ASSERT_TRUE(recorder->waitForLine(QStringLiteral("save failed: offline"), 30)) << qPrintable(recorder->output());
    ASSERT_NO_FATAL_FAILURE(expectOneLeftover(QStringLiteral("failed")));
    EXPECT_TRUE(recorder->quit()) << qPrintable(recorder->output());
    EXPECT_TRUE(service.requests(QStringLiteral("/recorder/begin")).isEmpty()) << "begun at a wrong address";

    recorder->setApiBase(service.base());
    relaunchAndExpectSaved();
}

} // namespace
} // namespace murva::test
