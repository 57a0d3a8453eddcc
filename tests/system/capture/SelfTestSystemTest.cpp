// murva-recorder's "--self-test" and "--list-windows" as a user runs them: the real
// binary, with the test's private folders, display and sound server.

#include "PrivateXServer.h"
#include "RecorderProcess.h"
#include "SoundTestSupport.h"
#include "Speech.h"
#include "TestWindowProcess.h"
#include "support/TestMain.h"

#include "Adapters.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gmock/gmock.h>


namespace murva {
namespace {

using test::monotonicNowNs;
using test::RecordedLine;
using test::RecorderProcess;

constexpr std::int64_t nsPerSec = 1'000'000'000;

double secondsBetween(std::int64_t fromNs, std::int64_t toNs)
{
    return double(toNs - fromNs) / nsPerSec;
}

void sleepUntilNs(std::int64_t deadlineNs)
{
    for (std::int64_t leftNs = deadlineNs - monotonicNowNs(); leftNs > 0; leftNs = deadlineNs - monotonicNowNs()) {
        QThread::usleep(unsigned(std::min<std::int64_t>(leftNs / 1000, 50'000)));
    }
}

const MediaTrackInfo *trackOf(const MediaFileInfo &file, MediaTrackInfo::Kind kind)
{
    for (const MediaTrackInfo &track : file.tracks) {
        if (track.kind == kind) {
            return &track;
        }
    }
    return nullptr;
}

// "file: 6.0 s, 2 tracks" → 6.0 and 2.
std::optional<std::pair<double, int>> parseFileLine(const QString &line)
{
    static const QRegularExpression shape(QStringLiteral(R"(^file: (\d+\.\d) s, (\d+) tracks$)"));
    const QRegularExpressionMatch match = shape.match(line);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return std::pair(match.captured(1).toDouble(), match.captured(2).toInt());
}

// Checks the last two lines of a finished self-test against each other and the file,
// and hands back what the "recorded" line says.
std::optional<RecordedLine> expectReport(RecorderProcess &recorder, const QString &path, int tracks)
{
    const QStringList lines = recorder.texts();
    EXPECT_GE(lines.size(), 2) << qPrintable(lines.join('\n')) << qPrintable(recorder.errorOutput());
    if (lines.size() < 2) {
        return std::nullopt;
    }
    const std::optional<RecordedLine> recorded = RecordedLine::parse(lines[lines.size() - 2]);
    const auto fileLine = parseFileLine(lines.last());
    EXPECT_TRUE(recorded && fileLine) << qPrintable(lines.join('\n'));
    if (!recorded || !fileLine) {
        return std::nullopt;
    }
    EXPECT_EQ(fileLine->second, tracks);
    EXPECT_NEAR(fileLine->first, recorded->durationSec, 0.1 + 0.05); // printed to a tenth

    const std::optional<MediaFileInfo> file = Adapters::mediaInspector()->inspect(path);
    EXPECT_TRUE(file.has_value());
    if (file) {
        EXPECT_EQ(int(file->tracks.size()), tracks);
        EXPECT_NEAR(file->durationSec, recorded->durationSec, 0.1);
        const MediaTrackInfo *sound = trackOf(*file, MediaTrackInfo::Kind::audio);
        EXPECT_TRUE(sound && sound->codec == "aac" && sound->sampleRate == 48000 && sound->channels == 1);
    }
    return recorded;
}

std::optional<MediaTrackInfo> pictureTrackOf(const QString &path)
{
    const std::optional<MediaFileInfo> file = Adapters::mediaInspector()->inspect(path);
    const MediaTrackInfo *picture = file ? trackOf(*file, MediaTrackInfo::Kind::video) : nullptr;
    return picture ? std::optional(*picture) : std::nullopt;
}

QProcessEnvironment environmentWithout(const QString &name)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(name);
    return environment;
}

class SelfTestSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::hasDesktopSession()); }

    QString path(const QString &name = QStringLiteral("self-test.mp4")) const { return folder_.filePath(name); }

private:
    QTemporaryDir folder_;
};

TEST_F(SelfTestSystemTest, SoundOnlyRecordsBothSidesUnderTheRecordersOwnProcess)
{
    ASSERT_FALSE(test::speechFile().isEmpty()) << "espeak-ng is needed";
    RecorderProcess recorder({"--self-test", "9", path(), "--sound-only"});

    // The call watcher tells the recorder's own streams from a calling app's by this.
    std::vector<std::map<QString, QString>> streams;
    for (int tries = 0; tries < 50 && streams.size() < 2; ++tries) {
        QThread::msleep(100);
        streams = test::sourceOutputsOf(recorder.pid());
    }
    ASSERT_EQ(streams.size(), 2u);
    for (const auto &properties : streams) {
        EXPECT_EQ(properties.at("application.process.id"), QString::number(recorder.pid()));
    }

    sleepUntilNs(recorder.startedNs() + 3 * nsPerSec);
    const test::PlayWindow host = test::playInto(QStringLiteral("micfeed"), test::speechFile());
    sleepUntilNs(host.afterNs + nsPerSec / 2);
    const test::PlayWindow guests = test::playInto(QStringLiteral("speakers"), test::speechFile());
    ASSERT_TRUE(host.played && guests.played);
    ASSERT_TRUE(recorder.waitForExit(15));
    EXPECT_EQ(recorder.exitCode(), 0);

    EXPECT_FALSE(recorder.lineStartingWith(QStringLiteral("window: ")));
    const std::optional<RecordedLine> recorded = expectReport(recorder, path(), 1);
    ASSERT_TRUE(recorded.has_value());
    const auto hostTurn = recorded->firstOf(QStringLiteral("host"));
    const auto guestsTurn = recorded->firstOf(QStringLiteral("guests"));
    ASSERT_TRUE(hostTurn && guestsTurn) << qPrintable(recorder.texts().join('\n'));
    // Where the file's time 0 lies is the process's business; the gap between the two
    // speakers is not.
    EXPECT_NEAR(guestsTurn->from - hostTurn->from, secondsBetween(host.beforeNs, guests.beforeNs), 0.35);
}

TEST_F(SelfTestSystemTest, SwitchGoesToTheScreenAfterAThirdAndBackAfterTwo)
{
    const test::TestWindowProcess browser({"--title", "Meet - abc-defg-hij", "--class", "chromium,Chromium",
                                           "--geometry", "1000x700+40+40", "--animate"});
    ASSERT_NE(browser.windowId(), 0u);
    RecorderProcess recorder({"--self-test", "6", path(), "--browser", "--switch"});

    const auto window = recorder.waitForLine(QStringLiteral("window: "), 5);
    const auto toScreen = recorder.waitForLine(QStringLiteral("switched to the screen"), 5);
    const auto back = recorder.waitForLine(QStringLiteral("switched back"), 5);
    const auto recordedLine = recorder.waitForLine(QStringLiteral("recorded "), 8);
    ASSERT_TRUE(recorder.waitForExit(10));
    ASSERT_TRUE(window && toScreen && back && recordedLine) << qPrintable(recorder.texts().join('\n'));
    EXPECT_EQ(recorder.exitCode(), 0);
    EXPECT_THAT(window->text.toStdString(), ::testing::MatchesRegex("window: .+ [0-9]+×[0-9]+"));

    // The window line comes just before the capture begins. Timers never fire early; a
    // busy machine only makes them late, so the upper bounds are loose.
    const double toScreenSec = secondsBetween(window->atNs, toScreen->atNs);
    const double backSec = secondsBetween(toScreen->atNs, back->atNs);
    EXPECT_TRUE(toScreenSec > 1.9 && toScreenSec < 3.0) << toScreenSec;
    EXPECT_TRUE(backSec > 1.9 && backSec < 3.0) << backSec;
    EXPECT_GT(secondsBetween(back->atNs, recordedLine->atNs), 1.9);

    const std::optional<RecordedLine> recorded = expectReport(recorder, path(), 2);
    ASSERT_TRUE(recorded.has_value());
    EXPECT_TRUE(recorded->durationSec > 5.9 && recorded->durationSec < 7.0) << recorded->durationSec;
    const std::optional<MediaTrackInfo> picture = pictureTrackOf(path());
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->codec, "h264");
    EXPECT_EQ(picture->width, 1280);
    EXPECT_EQ(picture->height, 720);
}

TEST_F(SelfTestSystemTest, ThePictureOfADisplayIsScaledToTheFrameSizeOfThatDisplay)
{
    const test::PrivateXServer display(QSize(1366, 768));
    ASSERT_TRUE(display.running());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display.displayName()));
    RecorderProcess recorder({"--self-test", "1.5", path()}, environment);
    ASSERT_TRUE(recorder.waitForExit(10));
    EXPECT_EQ(recorder.exitCode(), 0) << qPrintable(recorder.texts().join('\n'));

    const std::optional<MediaTrackInfo> picture = pictureTrackOf(path());
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 1280);
    EXPECT_EQ(picture->height, 718);
}

TEST_F(SelfTestSystemTest, WithoutADisplayOnlySoundCanBeRecorded)
{
    const QProcessEnvironment noDisplay = environmentWithout(QStringLiteral("DISPLAY"));

    RecorderProcess withPicture({"--self-test", "2", path()}, noDisplay);
    ASSERT_TRUE(withPicture.waitForExit(10));
    EXPECT_EQ(withPicture.exitCode(), 1);
    const QStringList failed = withPicture.texts();
    ASSERT_EQ(failed.size(), 1) << qPrintable(failed.join('\n'));
    EXPECT_TRUE(failed[0].startsWith(QStringLiteral("self-test failed: "))) << qPrintable(failed[0]);

    RecorderProcess soundOnly({"--self-test", "3.5", path(), "--sound-only"}, noDisplay);
    ASSERT_TRUE(soundOnly.waitForExit(10));
    EXPECT_EQ(soundOnly.exitCode(), 0);
    const std::optional<RecordedLine> recorded = expectReport(soundOnly, path(), 1);
    ASSERT_TRUE(recorded.has_value());
    EXPECT_GT(recorded->durationSec, 0.5);

    RecorderProcess listing({"--list-windows"}, noDisplay);
    ASSERT_TRUE(listing.waitForExit(10));
    EXPECT_EQ(listing.exitCode(), 0);
    EXPECT_TRUE(listing.texts().isEmpty()) << qPrintable(listing.texts().join('\n'));
}

TEST_F(SelfTestSystemTest, ListsTheWindowsOnScreenThatHaveATitle)
{
    const test::TestWindowProcess browser(
        {"--title", "Meet - listing", "--class", "chromium,Chromium", "--geometry", "800x600+60+60"});
    const test::TestWindowProcess unknown({"--title", "unknown program", "--geometry", "401x301+900+60"});
    const test::TestWindowProcess untitled({"--title", "", "--geometry", "300x200+900+500"});
    const test::TestWindowProcess minimised({"--title", "minimised window", "--hidden"});
    ASSERT_TRUE(browser.windowId() && unknown.windowId() && untitled.windowId() && minimised.windowId());

    RecorderProcess listing({"--list-windows"});
    ASSERT_TRUE(listing.waitForExit(10));
    EXPECT_EQ(listing.exitCode(), 0);
    const QStringList lines = listing.texts();
    EXPECT_TRUE(lines.contains(QStringLiteral("com.google.Chrome\t800×600\tMeet - listing"))) << qPrintable(lines.join('\n'));
    EXPECT_TRUE(lines.contains(QStringLiteral("?\t401×301\tunknown program"))) << qPrintable(lines.join('\n'));
    for (const QString &line : lines) {
        EXPECT_FALSE(line.endsWith(u'\t')) << qPrintable(line);
        EXPECT_FALSE(line.endsWith(QStringLiteral("minimised window"))) << qPrintable(line);
    }
}

} // namespace
} // namespace murva
