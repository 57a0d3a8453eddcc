#include "RecordingTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace murva {
namespace {

using test::morning;

Recording fullRecording()
{
    Recording recording = test::sampleRecording("2F1C-77", morning(), Recording::Status::saving);
    recording.begun = Begun{"m-42", "https://upload.example.com/put?sig=a%2Fb",
                            timeFromMillisecondsSince1970(1765015500123.456)};
    recording.customer = "acme";
    recording.connectionId = "conn-1";
    recording.updatedAt = timeFromMillisecondsSince1970(1765017000999.875);
    return recording;
}

TEST(RecordingCoding, RoundTripKeepsFractionsOfMillisecondsInCompactJson)
{
    const Recording recording = fullRecording();
    const QByteArray bytes = encodeRecording(recording);
    EXPECT_EQ(decodeRecording(bytes), recording);
    EXPECT_FALSE(bytes.contains('\n'));

    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    EXPECT_EQ(object.value("at").toDouble(), 1765015200000.25);
    EXPECT_EQ(object.value("updatedAt").toDouble(), 1765017000999.875);
    EXPECT_EQ(object.value("begun").toObject().value("at").toDouble(), 1765015500123.456);
    EXPECT_EQ(object.value("app").toString(), "meet");
    EXPECT_EQ(object.value("status").toString(), "saving");
}

TEST(RecordingCoding, AbsentOptionalsAreLeftOutAndNullReadsAsAbsent)
{
    const Recording recording("r1", "Zoom call", CallApp::zoom, morning());

    QJsonObject object = toJson(recording);
    QStringList keys = object.keys();
    keys.sort();
    EXPECT_EQ(keys, (QStringList{"app", "at", "durationSec", "id", "status", "title", "turns", "updatedAt"}));
    EXPECT_EQ(recordingFromJson(object), recording);

    for (const char *key : {"joinUrl", "begun", "customer", "connectionId"})
        object.insert(key, QJsonValue::Null);
    EXPECT_EQ(recordingFromJson(object), recording);
}

TEST(RecordingCoding, MissingRequiredKeyOrUnknownValueMakesTheRecordUnreadable)
{
    const QJsonObject complete = toJson(fullRecording());
    const auto with = [&](const QString &key, const QJsonValue &value) {
        QJsonObject object = complete;
        value.isUndefined() ? void(object.remove(key)) : void(object.insert(key, value));
        return recordingFromJson(object);
    };
    for (const char *key : {"id", "title", "app", "at", "durationSec", "turns", "status", "updatedAt"}) {
        EXPECT_FALSE(with(key, QJsonValue::Undefined)) << "without " << key;
        EXPECT_FALSE(with(key, QJsonObject{})) << "with an object as " << key;
    }
    for (const char *key : {"meetingId", "uploadUrl", "at"}) {
        QJsonObject begun = complete.value("begun").toObject();
        begun.remove(key);
        EXPECT_FALSE(with("begun", begun)) << "begun without " << key;
    }
    // Never guessed into something else: rewriting such a record would lose what it said.
    EXPECT_FALSE(with("app", "Zoom"));
    EXPECT_FALSE(with("status", "uploaded"));
    EXPECT_FALSE(with("turns", QJsonArray{QJsonObject{{"from", 1}, {"to", 2}, {"who", "everyone"}}}));
    EXPECT_FALSE(with("customer", 7));
    EXPECT_FALSE(decodeRecording(encodeRecording(fullRecording()).chopped(5)));
}

TEST(RecordDate, MillisecondsRoundTripExactlyAndStayInRange)
{
    for (double milliseconds : {0.0, -1.5, -86400000.125, 1765015500123.456, 4102444800000.999})
        EXPECT_EQ(millisecondsSince1970(timeFromMillisecondsSince1970(milliseconds)), milliseconds) << milliseconds;
    EXPECT_EQ(timeFromMillisecondsSince1970(-1.5).time_since_epoch(), std::chrono::microseconds(-1500));
    // Absurd values from a damaged file are clamped instead of overflowing.
    EXPECT_GT(timeFromMillisecondsSince1970(1e300), timeFromMillisecondsSince1970(4102444800000.0));
    EXPECT_LT(timeFromMillisecondsSince1970(-1e300), SystemTime{});
}

TEST(RecordingResumable, BegunIsReusableForUnder3000Seconds)
{
    Recording recording = test::sampleRecording("r", morning());
    const SystemTime handedOut = morning(5);
    EXPECT_FALSE(recording.resumable(handedOut));

    recording.begun = Begun{"m", "https://u.example/x", handedOut};
    EXPECT_EQ(recording.resumable(handedOut + std::chrono::milliseconds(2999999)), recording.begun);
    EXPECT_FALSE(recording.resumable(handedOut + std::chrono::seconds(3000)));
    // A clock set back since the begin: still young.
    EXPECT_EQ(recording.resumable(handedOut - std::chrono::hours(2)), recording.begun);
}

} // namespace
} // namespace murva
