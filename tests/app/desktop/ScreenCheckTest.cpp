// The screen check: a short capture proves the screen once per version; only a refusal
// of the screen blocks it.

#include "desktop/ScreenCheck.h"

#include "FakePorts.h"
#include "support/Version.h"
#include "screen/ScreenAccess.h"
#include "settings/Settings.h"
#include "support/AwaitTask.h"

#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

namespace murva {
namespace {

class FakeScreen : public ScreenContentSource {
public:
    std::optional<ShareableContent> answer;

    // A copy: QCoro 0.8 moves a co_returned non-const lvalue away.
    QCoro::Task<std::optional<ShareableContent>> content(bool) override
    {
        const std::optional<ShareableContent> copy = answer;
        co_return copy;
    }
};

// What the fakes of the last capture saw; the capture owns and destroys the fakes.
struct Observed {
    MediaWriterSettings writerSettings;
    int finishes = 0;
    int soundStops = 0;
};

// Leaves a file behind, as the real writer does.
struct FileWriter : test::FakeWriter {
    Observed *observed = nullptr;
    ~FileWriter() override
    {
        observed->writerSettings = settings;
        observed->finishes = finishes;
    }
    std::optional<QString> open(const MediaWriterSettings &given) override
    {
        QFile file(given.path);
        file.open(QIODevice::WriteOnly);
        return test::FakeWriter::open(given);
    }
};

struct ObservedSound : test::FakeSound {
    Observed *observed = nullptr;
    ~ObservedSound() override { observed->soundStops = stops; }
};

class ScreenCheckTest : public testing::Test {
protected:
    void SetUp() override
    {
        screen->answer = ShareableContent{{}, {ShareableDisplay{7, QRectF(0, 0, 1920, 1080), true}}, {}};
        Settings().setScreenChecked(false);
    }

    ScreenCheck::MakePorts ports()
    {
        return [this] {
            ++captures;
            observed = Observed{};
            auto sound = std::make_unique<ObservedSound>();
            sound->failure = soundFailure;
            sound->observed = &observed;
            auto writer = std::make_unique<FileWriter>();
            writer->observed = &observed;
            return CapturePorts{std::move(sound), nullptr, std::move(writer)};
        };
    }

    std::shared_ptr<FakeScreen> screen = std::make_shared<FakeScreen>();
    std::shared_ptr<ScreenAccess> access = std::make_shared<ScreenAccess>(screen);
    std::optional<QString> soundFailure;
    int captures = 0;
    Observed observed;
};

TEST_F(ScreenCheckTest, PassesOncePerVersionWithASoundOnlyCaptureAndCleansUp)
{
    QSettings(Settings().filePath(), QSettings::IniFormat).setValue("screenChecked-0.0.1-old", true);
    ScreenCheck check(access, ports(), 0.05);
    EXPECT_FALSE(check.checked()) << "a pass of another version does not count";

    EXPECT_TRUE(test::await(check.checkScreen()));
    EXPECT_EQ(captures, 1);
    EXPECT_EQ(observed.writerSettings.path.toStdString(), ScreenCheck::filePath().toStdString());
    EXPECT_FALSE(observed.writerSettings.withVideo);
    EXPECT_EQ(observed.finishes, 1);
    EXPECT_GE(observed.soundStops, 1);
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
    screen->answer.reset(); // the display refuses
    EXPECT_FALSE(test::await(check.checkScreen()));
    EXPECT_TRUE(access->blocked());
    EXPECT_FALSE(check.checked());
    EXPECT_EQ(captures, 1);

    access->unblock();
    screen->answer = ShareableContent{}; // it answers, with nothing to record
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
