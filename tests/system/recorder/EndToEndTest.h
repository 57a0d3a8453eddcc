#pragma once

#include "support/RecorderRun.h"
#include "support/SimulatedCall.h"

#include "support/DevService.h"
#include "support/TestMain.h"

#include <QFile>
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

    static QByteArray contentsOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray{};
    }

    static bool hasTurnsOf(const QJsonObject &meeting, const QString &who)
    {
        const QJsonArray turns = meeting.value(QStringLiteral("turns")).toArray();
        return std::any_of(turns.begin(), turns.end(), [&](const QJsonValue &turn) {
            return turn.toObject().value(QStringLiteral("who")).toString() == who;
        });
    }

    DevService service = DevService::fromEnvironment();
    std::unique_ptr<RecorderRun> recorder;
};

} // namespace murva::test
