// murva-recorder's "--self-test" and "--list-windows" as a user runs them: the real
// binary, with the test's private folders, display and sound server.

#include "support/RecorderRun.h"
#include "support/TestMain.h"
#include "support/TestWindowProcess.h"

#include "Adapters.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gmock/gmock.h>

namespace murva {
namespace {

using test::RecorderRun;

// Checks the last two lines of a finished self-test against the file, and hands back
// the duration the "recorded" line says. That the capture's duration is the file's is
// proven where the capture is tested, and the tracks' formats where the writer is.
std::optional<double> expectReport(const RecorderRun &recorder, const QString &path, int tracks)
{
    static const QRegularExpression recordedShape(
        QStringLiteral(R"(^recorded (\d+\.\d+)s, turns: \[((host|guests) \d+\.\d-\d+\.\d(, )?)*\]$)"));
    static const QRegularExpression fileShape(QStringLiteral(R"(^file: (\d+\.\d) s, (\d+) tracks$)"));
    const QStringList lines = recorder.lines();
    const QRegularExpressionMatch recorded = recordedShape.match(lines.value(lines.size() - 2));
    const QRegularExpressionMatch fileLine = fileShape.match(lines.value(lines.size() - 1));
    EXPECT_TRUE(recorded.hasMatch() && fileLine.hasMatch()) << qPrintable(recorder.output());
    if (!recorded.hasMatch() || !fileLine.hasMatch()) {
        return std::nullopt;
    }
    EXPECT_EQ(fileLine.captured(2).toInt(), tracks);

    const std::optional<MediaFileInfo> file = Adapters::mediaInspector()->inspect(path);
    EXPECT_TRUE(file.has_value());
    if (file) {
        EXPECT_EQ(int(file->tracks.size()), tracks);
        EXPECT_NEAR(fileLine.captured(1).toDouble(), file->durationSec, 0.05 + 1e-9); // printed to a tenth
    }
    return recorded.captured(1).toDouble();
}

class SelfTestSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::hasDesktopSession());
        recorder.setMode(RecorderRun::Mode::command);
    }

    // Runs the program to its end.
    void run(const QStringList &arguments)
    {
        recorder.launch(arguments);
        ASSERT_TRUE(recorder.waitForExit(20)) << qPrintable(recorder.output());
    }

    QString path() const { return folder_.filePath(QStringLiteral("self-test.mp4")); }

    RecorderRun recorder;

private:
    QTemporaryDir folder_;
};

TEST_F(SelfTestSystemTest, SwitchGoesToTheScreenAndBackToTheWindow)
{
    const test::TestWindowProcess browser({"--title", "Meet - abc-defg-hij", "--class", "chromium,Chromium",
                                           "--geometry", "1000x700+40+40", "--animate"});
    ASSERT_NE(browser.windowId(), 0u);
    ASSERT_NO_FATAL_FAILURE(run({"--self-test", "6", path(), "--browser", "--switch"}));
    EXPECT_EQ(recorder.exitCode(), 0);
    // The window first, then the screen, then the window again.
    const QStringList lines = recorder.lines();
    const auto at = [&](const QString &wholeLine) { return lines.indexOf(QRegularExpression(wholeLine)); };
    const qsizetype window = at(QStringLiteral("window: .+ [0-9]+×[0-9]+"));
    const qsizetype toScreen = at(QStringLiteral("switched to the screen"));
    const qsizetype back = at(QStringLiteral("switched back"));
    EXPECT_TRUE(window >= 0 && window < toScreen && toScreen < back && back < at(QStringLiteral("recorded .*")))
        << qPrintable(recorder.output());

    // The picture's size is the capture's rule, tested with it.
    EXPECT_TRUE(expectReport(recorder, path(), 2));
}

TEST_F(SelfTestSystemTest, WithoutADisplayOnlySoundCanBeRecorded)
{
    recorder.setEnvironment(QStringLiteral("DISPLAY"), {});

    ASSERT_NO_FATAL_FAILURE(run({"--self-test", "2", path()}));
    EXPECT_EQ(recorder.exitCode(), 1);
    const QStringList failed = recorder.lines();
    ASSERT_EQ(failed.size(), 1) << qPrintable(recorder.output());
    EXPECT_TRUE(failed[0].startsWith(QStringLiteral("self-test failed: "))) << qPrintable(failed[0]);

    ASSERT_NO_FATAL_FAILURE(run({"--self-test", "3.5", path(), "--sound-only"}));
    EXPECT_EQ(recorder.exitCode(), 0);
    EXPECT_GT(expectReport(recorder, path(), 1).value_or(0), 0.5);

    ASSERT_NO_FATAL_FAILURE(run({"--list-windows"}));
    EXPECT_EQ(recorder.exitCode(), 0);
    EXPECT_TRUE(recorder.lines().isEmpty()) << qPrintable(recorder.output());
}

TEST_F(SelfTestSystemTest, ListsTheWindowsOnScreenThatHaveATitle)
{
    const test::TestWindowProcess browser(
        {"--title", "Meet - listing", "--class", "chromium,Chromium", "--geometry", "800x600+60+60"});
    const test::TestWindowProcess unknown({"--title", "unknown program", "--geometry", "401x301+900+60"});
    const test::TestWindowProcess untitled({"--title", "", "--geometry", "300x200+900+500"});
    const test::TestWindowProcess minimised({"--title", "minimised window", "--hidden"});
    ASSERT_TRUE(browser.windowId() && unknown.windowId() && untitled.windowId() && minimised.windowId());

    ASSERT_NO_FATAL_FAILURE(run({"--list-windows"}));
    EXPECT_EQ(recorder.exitCode(), 0);
    const QStringList lines = recorder.lines();
    EXPECT_TRUE(lines.contains(QStringLiteral("com.google.Chrome\t800×600\tMeet - listing"))) << qPrintable(lines.join('\n'));
    EXPECT_TRUE(lines.contains(QStringLiteral("?\t401×301\tunknown program"))) << qPrintable(lines.join('\n'));
    for (const QString &line : lines) {
        EXPECT_FALSE(line.endsWith(u'\t')) << qPrintable(line);
        EXPECT_FALSE(line.endsWith(QStringLiteral("minimised window"))) << qPrintable(line);
    }
}

} // namespace
} // namespace murva
