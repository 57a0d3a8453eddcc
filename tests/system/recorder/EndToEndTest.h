#pragma once

#include "support/RecorderRun.h"
#include "support/SimulatedCall.h"

#include "support/DevService.h"
#include "support/Files.h"
#include "support/TestMain.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace murva::test {

inline constexpr auto zoomStarted = "start: zoom owner app\\(zoom\\)";
inline constexpr auto savedMeeting = "saved: meeting (m\\d+)";

// Every case starts from a service that knows nothing, and a user with fresh folders.
class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!hasDesktopSession() || !hasService()) {
            GTEST_SKIP() << "needs the fixtures desktop and service";
        }
        service.reset();
        recorder = std::make_unique<RecorderRun>(service.base());
    }

    // The one meeting the service holds (an empty object, and a failure, otherwise).
    QJsonObject onlyMeeting()
    {
        const QJsonArray meetings = service.meetings();
        EXPECT_EQ(meetings.size(), 1);
        return meetings.isEmpty() ? QJsonObject{} : meetings.first().toObject();
    }

    static bool hasTurnsOf(const QJsonObject &meeting, const QString &who)
    {
        const QJsonArray turns = meeting.value(QStringLiteral("turns")).toArray();
        return std::any_of(turns.begin(), turns.end(), [&](const QJsonValue &turn) {
            return turn.toObject().value(QStringLiteral("who")).toString() == who;
        });
    }

    // Once saved: the one meeting the service holds, whole and ready, the one record
    // saved and its video gone. The recorder then quits.
    QJsonObject expectSavedAndQuit(qint64 videoBytes)
    {
        const QJsonObject meeting = onlyMeeting();
        EXPECT_TRUE(meeting.value("uploaded").toBool());
        EXPECT_TRUE(meeting.value("ready").toBool());
        EXPECT_EQ(meeting.value("uploadBytes").toInteger(), videoBytes);
        const std::vector<QJsonObject> records = recorder->records();
        EXPECT_EQ(records.size(), 1u);
        if (!records.empty()) {
            EXPECT_EQ(records[0].value("status").toString(), "saved");
        }
        EXPECT_TRUE(recorder->waitUntil([&] { return recorder->videos().isEmpty(); }, 5))
            << "the saved video stays on disk";
        EXPECT_TRUE(recorder->quit()) << qPrintable(recorder->output());
        return meeting;
    }

    // The one record left on disk, with the given status and its video.
    void expectOneLeftover(const QString &status)
    {
        const std::vector<QJsonObject> records = recorder->records();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].value("status").toString(), status);
        ASSERT_EQ(recorder->videos().size(), 1);
        leftoverBytes = QFileInfo(recorder->videos().first()).size();
        EXPECT_GT(leftoverBytes, 0);
    }

    DevService service = DevService::fromEnvironment();
    std::unique_ptr<RecorderRun> recorder;
    qint64 leftoverBytes = -1;
};

// Recordings left on disk when their call ended, and the launch that saves them.
class LeftoversTest : public EndToEndTest {
protected:
    // A launch on the same folders, no call: it saves what is left and keeps nothing.
    QJsonObject relaunchAndExpectSaved()
    {
        EXPECT_TRUE(recorder->launchSignedIn()) << qPrintable(recorder->output());
        EXPECT_TRUE(recorder->waitForLine(savedMeeting, 40)) << qPrintable(recorder->output());
        return expectSavedAndQuit(leftoverBytes);
    }

    // Signed in, a call of `callSec` that is recorded; returns once recording started.
    void startRecordedCall(std::unique_ptr<SimulatedCall> &call, int callSec)
    {
        call = std::make_unique<SimulatedCall>(callSec);
        ASSERT_TRUE(call->waitUntilStarted());
        ASSERT_TRUE(recorder->waitForLine(zoomStarted, 10)) << qPrintable(recorder->output());
    }
};

} // namespace murva::test
