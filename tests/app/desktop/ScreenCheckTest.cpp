// The screen check: a short capture proves the screen once per version; only a refusal
// of the screen blocks it.

#include "desktop/ScreenCheck.h"

#include "FakePorts.h"
#include "app/FakeSources.h"
#include "support/Version.h"
#include "screen/ScreenAccess.h"
#include "settings/Settings.h"
#include "support/AwaitTask.h"

#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

namespace murva {
namespace {

// The capture owns and destroys its fakes: each leaves a copy of what it saw behind.
// The writer leaves a file too, as the real one does.
struct FileWriter : test::FakeWriter {
    test::FakeWriter *seen = nullptr;
    ~FileWriter() override { *seen = *this; }
    std::optional<QString> open(const MediaWriterSettings &given) override
    {
        QFile file(given.path);
        file.open(QIODevice::WriteOnly);
        return test::FakeWriter::open(given);
    }
};

struct SeenSound : test::FakeSound {
    test::FakeSound *seen = nullptr;
    ~SeenSound() override { *seen = *this; }
};

class ScreenCheckTest : public testing::Test {
protected:
    void SetUp() override
    {
        screen->shown = ShareableContent{{}, {ShareableDisplay{7, QRectF(0, 0, 1920, 1080), true}}, {}};
        Settings().setScreenChecked(false);
    }

    ScreenCheck::MakePorts ports()
    {
        return [this] {
            ++captures;
            auto sound = std::make_unique<SeenSound>();
            sound->failure = soundFailure;
            sound->seen = &lastSound;
            auto writer = std::make_unique<FileWriter>();
            writer->seen = &lastWriter;
            return CapturePorts{std::move(sound), nullptr, std::move(writer)};
        };
    }

    std::shared_ptr<test::FakeScreen> screen = std::make_shared<test::FakeScreen>();
    std::shared_ptr<ScreenAccess> access = std::make_shared<ScreenAccess>(screen);
    std::optional<QString> soundFailure;
    int captures = 0;
    test::FakeSound lastSound;
    test::FakeWriter lastWriter;
};

TEST_F(ScreenCheckTest, PassesOncePerVersionWithASoundOnlyCaptureAndCleansUp)
{
    QSettings(Settings().filePath(), QSettings::IniFormat).setValue("screenChecked-0.0.1-old", true);
    ScreenCheck check(access, ports(), 0.05);
    EXPECT_FALSE(check.checked()) << "a pass of another version does not count";

    EXPECT_TRUE(test::await(check.checkScreen()));
    EXPECT_EQ(captures, 1);
    EXPECT_EQ(lastWriter.settings.path.toStdString(), ScreenCheck::filePath().toStdString());
    EXPECT_FALSE(lastWriter.settings.withVideo);
    EXPECT_EQ(lastWriter.finishes, 1);
    EXPECT_GE(lastSound.stops, 1);
    EXPECT_FALSE(QFile::exists(ScreenCheck::filePath()));
    EXPECT_TRUE(Settings().boolValue(QStringLiteral("screenChecked-") + buildVersion(), false));

    EXPECT_TRUE(test::await(ScreenCheck(access, ports(), 0.05).checkScreen())) << "proven in this version";
    EXPECT_EQ(captures, 1);
}

TEST_F(ScreenCheckTest, OnlyARefusalOfTheScreenBlocksIt)
{
    ScreenCheck check(access, ports(), 0.05);
    soundFailure = QStringLiteral("no sound server");
    EXPECT_FALSE(test::await(check.checkScreen()));
    EXPECT_FALSE(access->blocked()) << "the sound server is not the screen";
    EXPECT_FALSE(QFile::exists(ScreenCheck::filePath())) << "the writer had opened it";

    soundFailure.reset();
    screen->shown.reset(); // the display refuses
    EXPECT_FALSE(test::await(check.checkScreen()));
    EXPECT_TRUE(access->blocked());
    EXPECT_FALSE(check.checked());
    EXPECT_EQ(captures, 1);

    access->unblock();
    screen->shown = ShareableContent{}; // it answers, with nothing to record
    EXPECT_FALSE(test::await(check.checkScreen()));
    EXPECT_TRUE(access->blocked());
    EXPECT_FALSE(check.checking());
}

TEST_F(ScreenCheckTest, ACheckUnderWayIsNotStartedTwice)
{
    ScreenCheck check(access, ports(), 0.2);
    auto first = check.checkScreen();
    EXPECT_TRUE(check.checking());
    EXPECT_FALSE(test::await(check.checkScreen())) << "not proven yet";
    EXPECT_TRUE(test::await(std::move(first)));
    EXPECT_EQ(captures, 1);
}

} // namespace
} // namespace murva
