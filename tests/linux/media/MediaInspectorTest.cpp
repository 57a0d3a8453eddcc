#include "MediaFileBoxes.h"
#include "SyntheticMedia.h"

#include "media/LibavMediaInspector.h"
#include "media/Mp4Writer.h"
#include "support/Files.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace murva {
namespace {

using test::MediaFileBox;
using test::topLevelBoxes;

constexpr int kLongSec = 150;

// Bytes this process has read through system calls, from the page cache or not.
std::int64_t bytesRead()
{
    std::ifstream io("/proc/self/io");
    for (std::string line; std::getline(io, line);) {
        if (line.rfind("rchar:", 0) == 0) {
            return std::stoll(line.substr(6));
        }
    }
    return 0;
}

// A 150-s recording with both tracks, written once for all tests here.
class MediaInspectorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new QTemporaryDir;
        write(longRecording(), kLongSec);
    }
    static void write(const QString &path, int seconds)
    {
        const QSize frameSize(320, 240);
        Mp4Writer writer;
        if (!writer.open({path, true, frameSize}) && SyntheticMedia(frameSize).write(writer, seconds)) {
            writer.finish();
        }
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }

    static QString longRecording() { return folder_->filePath("long.mp4"); }
    static QString path(const QString &name) { return folder_->filePath(name); }

    // A copy of the recording cut after `bytes` bytes.
    static QString cutCopy(std::int64_t bytes)
    {
        const QString cut = path("cut.mp4");
        QFile::remove(cut);
        QFile::copy(longRecording(), cut);
        QFile::resize(cut, bytes);
        return cut;
    }

    static QString fileWith(const QString &name, const QByteArray &content)
    {
        EXPECT_TRUE(test::writeFile(path(name), content));
        return path(name);
    }

    inline static QTemporaryDir *folder_ = nullptr;
    LibavMediaInspector inspector_;
};

TEST_F(MediaInspectorTest, FilesThatAreNotRecordingsGiveNothing)
{
    EXPECT_FALSE(inspector_.inspect(path("missing.mp4")).has_value());
    EXPECT_FALSE(inspector_.inspect(fileWith("empty.mp4", {})).has_value());
    QByteArray noise(200000, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    EXPECT_FALSE(inspector_.inspect(fileWith("noise.mp4", noise)).has_value());
    EXPECT_FALSE(inspector_.inspect(fileWith("text.mp4", "not a recording\n")).has_value());
}

TEST_F(MediaInspectorTest, WholeOrCutRecordingIsMeasuredFromItsFirstAndLastFragmentsOnly)
{
    std::vector<MediaFileBox> fragments;
    std::int64_t headerEnd = 0;
    for (const MediaFileBox &box : topLevelBoxes(longRecording())) {
        if (box.type == "moof") {
            fragments.push_back(box);
        } else if (box.type == "moov") {
            headerEnd = box.offset + box.size;
        }
    }
    // One fragment each 10 s, then what the encoders still held at the end.
    const int count = kLongSec / Mp4Writer::kFragmentSec;
    ASSERT_GE(int(fragments.size()), count);
    const std::int64_t fragmentBytes = QFile(longRecording()).size() / count;
    const double fragmentSec = Mp4Writer::kFragmentSec;
    const MediaFileBox &last = fragments[count - 1];
    const MediaFileBox &eighth = fragments[7];

    struct Case {
        const char *name;
        std::int64_t cutAt; // 0: the whole file
        double leastSec;
        double mostSec;
    };
    const Case cases[] = {
        {"whole", 0, kLongSec - 0.1, kLongSec + 0.1},
        {"before the last full fragment", last.offset, kLongSec - fragmentSec - 0.5, kLongSec - fragmentSec + 0.5},
        {"inside the last full fragment's header", last.offset + last.size / 2, kLongSec - fragmentSec - 0.5,
         kLongSec - fragmentSec + 0.5},
        {"inside the last full fragment's data", last.offset + last.size + fragmentBytes / 2, kLongSec - fragmentSec - 0.5,
         kLongSec - 1.0},
        {"inside the eighth fragment's data", eighth.offset + eighth.size + fragmentBytes / 2, 7 * fragmentSec - 0.5,
         8 * fragmentSec - 1.0},
        {"after the header: the tracks are known, nothing is held", headerEnd, 0, 0},
    };
    for (const Case &cut : cases) {
        SCOPED_TRACE(cut.name);
        const QString file = cut.cutAt ? cutCopy(cut.cutAt) : longRecording();
        const std::int64_t before = bytesRead();
        const auto info = inspector_.inspect(file);
        const std::int64_t read = bytesRead() - before;
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->tracks.size(), 2u);
        EXPECT_GE(info->durationSec, cut.leastSec);
        EXPECT_LE(info->durationSec, cut.mostSec);
        // The header, the first fragment, the last complete one and what follows it.
        EXPECT_LT(read, 4 * fragmentBytes);
    }
}

} // namespace
} // namespace murva
