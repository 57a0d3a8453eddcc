#include "MediaFileBoxes.h"
#include "SyntheticMedia.h"

#include "media/LibavMediaInspector.h"
#include "media/Mp4Writer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace murva {
namespace {

using test::MediaFileBox;
using test::topLevelBoxes;

// One 25-s recording with both tracks, written once for all tests here.
class MediaInspectorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new QTemporaryDir;
        const QSize frameSize(320, 240);
        Mp4Writer writer;
        if (!writer.open({recording(), true, frameSize}) && SyntheticMedia(frameSize).write(writer, 25)) {
            writer.finish();
        }
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }

    static QString recording() { return folder_->filePath("recording.mp4"); }
    static QString path(const QString &name) { return folder_->filePath(name); }

    // A copy of the recording cut after `bytes` bytes.
    static QString cutCopy(const QString &name, std::int64_t bytes)
    {
        QFile::remove(path(name));
        QFile::copy(recording(), path(name));
        QFile::resize(path(name), bytes);
        return path(name);
    }

    static QString fileWith(const QString &name, const QByteArray &content)
    {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(content);
        }
        return path(name);
    }

    inline static QTemporaryDir *folder_ = nullptr;
    LibavMediaInspector inspector_;
};

TEST_F(MediaInspectorTest, WholeRecordingReportsItsTracksAndLength)
{
    const auto info = inspector_.inspect(recording());
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->tracks.size(), 2u);
    EXPECT_NEAR(info->durationSec, 25.0, 0.1);
}

TEST_F(MediaInspectorTest, FilesThatAreNotRecordingsGiveNothing)
{
    EXPECT_FALSE(inspector_.inspect(path("missing.mp4")).has_value());
    EXPECT_FALSE(inspector_.inspect(fileWith("empty.mp4", {})).has_value());
    QByteArray noise(200000, '\0');
    std::uint32_t random = 7;
    for (char &byte : noise) {
        random = random * 1103515245u + 12345u;
        byte = char(random >> 24);
    }
    EXPECT_FALSE(inspector_.inspect(fileWith("noise.mp4", noise)).has_value());
    EXPECT_FALSE(inspector_.inspect(fileWith("text.mp4", "not a recording\n")).has_value());
}

TEST_F(MediaInspectorTest, CutFileReportsOnlyWhatItHolds)
{
    const std::vector<MediaFileBox> boxes = topLevelBoxes(recording());
    std::vector<std::int64_t> fragmentStarts;
    std::int64_t headerEnd = 0;
    for (const MediaFileBox &box : boxes) {
        if (box.type == "moof") {
            fragmentStarts.push_back(box.offset);
        } else if (box.type == "moov") {
            headerEnd = box.offset + box.size;
        }
    }
    ASSERT_EQ(fragmentStarts.size(), 3u); // 0-10 s, 10-20 s, 20-25 s

    // Cut inside the second fragment's data: the first fragment and at most part of
    // the second demux.
    const std::int64_t intoSecond = (fragmentStarts[1] + fragmentStarts[2]) / 2;
    const auto cut = inspector_.inspect(cutCopy("cut.mp4", intoSecond));
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->tracks.size(), 2u);
    // The fragment's header still lists all its samples up to 20 s.
    EXPECT_GE(cut->durationSec, Mp4Writer::kFragmentSec - 0.5);
    EXPECT_LT(cut->durationSec, 2 * Mp4Writer::kFragmentSec - 1.0);

    // Cut right before the third fragment: exactly two fragments' worth.
    const auto twoFragments = inspector_.inspect(cutCopy("two.mp4", fragmentStarts[2]));
    ASSERT_TRUE(twoFragments.has_value());
    EXPECT_NEAR(twoFragments->durationSec, 2 * Mp4Writer::kFragmentSec, 0.5);

    // Only the header: the tracks are known, nothing is held.
    const auto headerOnly = inspector_.inspect(cutCopy("header.mp4", headerEnd));
    ASSERT_TRUE(headerOnly.has_value());
    EXPECT_EQ(headerOnly->tracks.size(), 2u);
    EXPECT_EQ(headerOnly->durationSec, 0.0);
}

} // namespace
} // namespace murva
