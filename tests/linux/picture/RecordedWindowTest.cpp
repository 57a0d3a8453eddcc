// A window recorded straight into a file, and the file decoded again: a picture that
// changes shows in the file from the moment it changed, and one that never changes
// still fills the whole recording, with its repeats left out of the encoding.
#include "picture/X11PictureCapture.h"
#include "media/Mp4Writer.h"

#include "DecodedVideo.h"
#include "TestScreen.h"
#include "TestTargets.h"
#include "support/TestMain.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace murva::test {
namespace {
using namespace std::chrono_literals;

constexpr double kRecordingSec = 10;
constexpr std::uint32_t kColours[] = {kRed, kGreen, kBlue};
const QSize kFrameSize(1280, 720);
const QPoint kCentre(640, 360);

// Hands every frame to the writer on the grabbing thread, as the capture's queue would,
// and keeps the times they were taken.
class Recording {
public:
    explicit Recording(Mp4Writer &writer) : writer_(writer) {}

    PictureCapture::Callbacks callbacks()
    {
        return {[this](VideoFrame frame) { deliver(frame); }, {}};
    }

    // Waits until a frame taken `atSec` or later into the recording has come.
    bool waitUntil(double atSec)
    {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, 30s, [&] {
            return !stampsNs_.empty() && secondsBetween(stampsNs_.front(), stampsNs_.back()) >= atSec;
        });
    }

    std::vector<std::int64_t> stampsNs()
    {
        const std::lock_guard lock(mutex_);
        return stampsNs_;
    }

private:
    void deliver(const VideoFrame &frame)
    {
        const std::lock_guard lock(mutex_);
        const std::int64_t firstNs = stampsNs_.empty() ? frame.monotonicNs : stampsNs_.front();
        writer_.appendVideo(secondsBetween(firstNs, frame.monotonicNs), frame);
        stampsNs_.push_back(frame.monotonicNs);
        arrived_.notify_all();
    }

    Mp4Writer &writer_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::int64_t> stampsNs_;
};

struct Repaint {
    std::int64_t beforeNs = 0;
    std::int64_t afterNs = 0;
};

struct RecordedWindowCase {
    const char *name;
    std::vector<double> repaintsAtSec;
};

class RecordedWindowTest : public testing::TestWithParam<RecordedWindowCase> {
protected:
    void SetUp() override
    {
        if (!hasDesktopSession()) {
            GTEST_SKIP() << "needs the private desktop session";
        }
        ASSERT_TRUE(screen.connected());
        ASSERT_TRUE(folder.isValid());
    }

    TestScreen screen;
    QTemporaryDir folder;
};

// The colour the window had when a frame was taken; nothing for a frame taken while a
// repaint was on its way (up to the first frame taken after it had been carried out).
std::optional<std::uint32_t> colourWhenTaken(std::int64_t takenNs, const std::vector<Repaint> &repaints,
                                             const std::vector<std::int64_t> &stampsNs)
{
    std::size_t done = 0;
    for (const Repaint &repaint : repaints) {
        const auto firstAfter = std::upper_bound(stampsNs.begin(), stampsNs.end(), repaint.afterNs);
        if (takenNs >= repaint.beforeNs && (firstAfter == stampsNs.end() || takenNs <= *firstAfter)) {
            return std::nullopt;
        }
        done += takenNs > repaint.afterNs ? 1 : 0;
    }
    return kColours[done];
}

TEST_P(RecordedWindowTest, FileShowsEachPictureFromWhenItWasTakenToTheEnd)
{
    const QString path = folder.filePath(QStringLiteral("window.mp4"));
    Mp4Writer writer;
    ASSERT_FALSE(writer.open({path, true, kFrameSize}));
    Recording recording(writer);
    const QRect frame(40, 40, 640, 360);
    const xcb_window_t window = screen.addWindow(frame, kColours[0]);
    X11PictureCapture capture;
    ASSERT_FALSE(capture.start(windowTarget(window, frame), {}, kFrameSize, false, recording.callbacks()));

    std::vector<Repaint> repaints;
    for (const double atSec : GetParam().repaintsAtSec) {
        ASSERT_TRUE(recording.waitUntil(atSec));
        Repaint repaint{monotonicNowNs(), 0};
        screen.paint(window, kColours[repaints.size() + 1]);
        repaint.afterNs = monotonicNowNs();
        repaints.push_back(repaint);
    }
    ASSERT_TRUE(recording.waitUntil(kRecordingSec));
    capture.stop();
    ASSERT_TRUE(writer.finish());

    const std::vector<std::int64_t> stampsNs = recording.stampsNs();
    const DecodedVideo video = decodeVideo(path);
    ASSERT_FALSE(video.pictures.empty());
    for (const std::int64_t takenNs : stampsNs) {
        const double atSec = secondsBetween(stampsNs.front(), takenNs);
        const std::optional<std::uint32_t> colour = colourWhenTaken(takenNs, repaints, stampsNs);
        const VideoFrame *shown = video.shownAt(atSec);
        ASSERT_NE(shown, nullptr) << atSec;
        EXPECT_TRUE(!colour || near(colourAt(*shown, kCentre), *colour)) << "at " << atSec << " s";
    }
    EXPECT_GE(video.endSec, secondsBetween(stampsNs.front(), stampsNs.back()));
    EXPECT_LT(video.pictures.size(), stampsNs.size() / 2) << "repeats of a still picture were encoded";
}

INSTANTIATE_TEST_SUITE_P(Repaints, RecordedWindowTest,
                         testing::Values(RecordedWindowCase{"twice", {3.0, 6.5}},
                                         RecordedWindowCase{"never", {}}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace murva::test
