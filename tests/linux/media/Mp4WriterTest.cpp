#include "MediaFileBoxes.h"
#include "SyntheticMedia.h"

#include "media/LibavMediaInspector.h"
#include "media/Mp4Writer.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace murva {
namespace {

using test::topLevelBoxes;

const MediaTrackInfo *trackOfKind(const MediaFileInfo &info, MediaTrackInfo::Kind kind)
{
    const auto found = std::find_if(info.tracks.begin(), info.tracks.end(),
                                    [&](const MediaTrackInfo &track) { return track.kind == kind; });
    return found == info.tracks.end() ? nullptr : &*found;
}

class Mp4WriterTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return folder_.filePath(name); }

    // Opens `writer` and fails the test with the writer's reason when it cannot.
    static void open(Mp4Writer &writer, const MediaWriterSettings &settings)
    {
        const auto problem = writer.open(settings);
        ASSERT_FALSE(problem.has_value()) << qPrintable(problem.value_or(QString()));
    }

    QTemporaryDir folder_;
    LibavMediaInspector inspector_;
};

TEST_F(Mp4WriterTest, PictureAndSoundReadBackWithTheirSettingsAndLength)
{
    const QSize frameSize(640, 360);
    Mp4Writer writer;
    ASSERT_NO_FATAL_FAILURE(open(writer, {path("call.mp4"), true, frameSize}));
    ASSERT_TRUE(SyntheticMedia(frameSize).write(writer, 12));
    ASSERT_TRUE(writer.finish());
    EXPECT_FALSE(writer.failed());
    EXPECT_EQ(writer.errorText(), QString());

    const auto info = inspector_.inspect(path("call.mp4"));
    ASSERT_TRUE(info.has_value());
    ASSERT_EQ(info->tracks.size(), 2u);
    const MediaTrackInfo *video = trackOfKind(*info, MediaTrackInfo::Kind::video);
    const MediaTrackInfo *audio = trackOfKind(*info, MediaTrackInfo::Kind::audio);
    ASSERT_TRUE(video && audio);
    EXPECT_EQ(video->codec, "h264");
    EXPECT_EQ(video->width, 640);
    EXPECT_EQ(video->height, 360);
    EXPECT_EQ(audio->codec, "aac");
    EXPECT_EQ(audio->sampleRate, 48000);
    EXPECT_EQ(audio->channels, 1);
    EXPECT_NEAR(info->durationSec, 12.0, 0.1);
    // One fragment for each started 10 s: 0-10 s and 10-12 s.
    EXPECT_EQ(std::ranges::count(topLevelBoxes(path("call.mp4")), "moof", &test::MediaFileBox::type), 2);
}

// Written over an old file, which it replaces, and readable by its owner alone.
TEST_F(Mp4WriterTest, SoundOnlyHasOneTrackReplacesAnOldFileAndMayBeFinishedTwice)
{
    ASSERT_TRUE(test::writeFile(path("sound.mp4"), QByteArray(500000, 'x')));
    Mp4Writer writer;
    ASSERT_NO_FATAL_FAILURE(open(writer, {path("sound.mp4"), false, {}}));
    ASSERT_TRUE(SyntheticMedia(QSize(320, 240)).write(writer, 5)); // pictures are ignored
    ASSERT_TRUE(writer.finish());
    EXPECT_TRUE(writer.finish());
    const std::vector<float> late(480, 0.1f);
    EXPECT_FALSE(writer.appendAudio(5 * 48000, late.data(), late.size()));

    const auto info = inspector_.inspect(path("sound.mp4"));
    ASSERT_TRUE(info.has_value());
    ASSERT_EQ(info->tracks.size(), 1u);
    EXPECT_EQ(info->tracks[0].kind, MediaTrackInfo::Kind::audio);
    EXPECT_EQ(info->tracks[0].codec, "aac");
    EXPECT_NEAR(info->durationSec, 5.0, 0.05);
    EXPECT_LT(QFileInfo(path("sound.mp4")).size(), 500000) << "the old file's tail is left";
    EXPECT_EQ(QFileInfo(path("sound.mp4")).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
}

TEST_F(Mp4WriterTest, SoundTrackStaysGaplessAcrossGapsAndOverlaps)
{
    const SyntheticMedia media{QSize()};
    Mp4Writer writer;
    ASSERT_NO_FATAL_FAILURE(open(writer, {path("gaps.mp4"), false, {}}));
    // 0.1-1 s (a late start), 2-2.5 s (after a gap), 2.25-3 s (overlapping the end),
    // then a chunk wholly inside what was written.
    const std::vector<float> first = media.tone(4800, 43200);
    const std::vector<float> second = media.tone(96000, 24000);
    const std::vector<float> third = media.tone(108000, 36000);
    EXPECT_TRUE(writer.appendAudio(4800, first.data(), first.size()));
    EXPECT_TRUE(writer.appendAudio(96000, second.data(), second.size()));
    EXPECT_TRUE(writer.appendAudio(108000, third.data(), third.size()));
    EXPECT_TRUE(writer.appendAudio(0, first.data(), 4800));
    ASSERT_TRUE(writer.finish());

    const auto info = inspector_.inspect(path("gaps.mp4"));
    ASSERT_TRUE(info.has_value());
    EXPECT_NEAR(info->durationSec, 3.0, 0.03);
}

TEST_F(Mp4WriterTest, UnusablePicturesAreSkippedWithoutFailing)
{
    const QSize frameSize(320, 240);
    const SyntheticMedia media(frameSize);
    Mp4Writer writer;
    ASSERT_NO_FATAL_FAILURE(open(writer, {path("jitter.mp4"), true, frameSize}));
    EXPECT_TRUE(writer.appendVideo(-0.5, media.frame(0)));
    for (int index = 0; index < 30; ++index) {
        EXPECT_TRUE(writer.appendVideo(index / 15.0, media.frame(index)));
        EXPECT_TRUE(writer.appendVideo(index / 15.0, media.frame(index)));  // the same time again
        EXPECT_TRUE(writer.appendVideo(index / 15.0 - 0.01, media.frame(index))); // going back
    }
    EXPECT_TRUE(writer.appendVideo(2.1, SyntheticMedia(QSize(640, 480)).frame(0)));
    VideoFrame cut = media.frame(31);
    cut.i420.resize(cut.i420.size() / 2);
    EXPECT_TRUE(writer.appendVideo(2.2, cut));
    ASSERT_TRUE(writer.finish());
    EXPECT_FALSE(writer.failed());

    const auto info = inspector_.inspect(path("jitter.mp4"));
    ASSERT_TRUE(info.has_value());
    EXPECT_NEAR(info->durationSec, 2.0, 0.05);
}

TEST_F(Mp4WriterTest, AFileThatCannotBeWrittenFailsOpenWithTheReason)
{
    Mp4Writer inMissingFolder;
    const auto missing = inMissingFolder.open({path("no/such/folder.mp4"), true, {320, 240}});
    ASSERT_TRUE(missing.has_value());
    EXPECT_TRUE(missing->contains("No such file or directory")) << qPrintable(*missing);
    const std::vector<float> samples(480, 0.0f);
    EXPECT_FALSE(inMissingFolder.appendAudio(0, samples.data(), samples.size()));
    EXPECT_FALSE(inMissingFolder.finish());

    // A device that is always full: the header cannot be written. The writer must not
    // remove what is at the path.
    ASSERT_TRUE(QFile::link("/dev/full", path("full.mp4")));
    Mp4Writer onFullDevice;
    const auto full = onFullDevice.open({path("full.mp4"), false, {}});
    ASSERT_TRUE(full.has_value());
    EXPECT_TRUE(full->contains("No space left on device")) << qPrintable(*full);
    EXPECT_TRUE(onFullDevice.failed());
    EXPECT_FALSE(onFullDevice.finish());
    EXPECT_TRUE(QFileInfo(path("full.mp4")).isSymLink());
}

// Reads the helper's lines until one satisfies `stop` (if given) or the helper ends;
// returns all read. (A QProcess kills its process when it goes.)
QStringList readUntil(QProcess &helper, const std::function<bool(const QString &)> &stop)
{
    QStringList lines;
    while (true) {
        while (helper.canReadLine()) {
            lines << QString::fromLocal8Bit(helper.readLine()).trimmed();
            if (stop && stop(lines.last())) {
                return lines;
            }
        }
        if (helper.state() == QProcess::NotRunning || !helper.waitForReadyRead(30000)) {
            lines << QString::fromLocal8Bit(helper.readAll()).split('\n', Qt::SkipEmptyParts);
            return lines;
        }
    }
}

int lastWrittenSecond(const QStringList &lines)
{
    int last = 0;
    for (const QString &line : lines) {
        if (line.startsWith("written ")) {
            last = line.mid(8).toInt();
        }
    }
    return last;
}

TEST_F(Mp4WriterTest, AKilledWriterLeavesItsFinishedFragments)
{
    QProcess helper;
    helper.start(QStringLiteral(MEDIA_WRITER_HELPER), {"write", path("killed.mp4"), "25", "320", "240"});
    const QStringList before = readUntil(helper, [](const QString &line) {
        return line.startsWith("written ") && line.mid(8).toInt() > 20;
    });
    ASSERT_GT(lastWrittenSecond(before), 20) << qPrintable(before.join('\n'));
    helper.kill(); // SIGKILL: no chance to finish the file
    ASSERT_TRUE(helper.waitForFinished(5000));
    const int written = std::max(lastWrittenSecond(before), lastWrittenSecond(readUntil(helper, {})));

    const auto info = inspector_.inspect(path("killed.mp4"));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->tracks.size(), 2u);
    // Both 10-s fragments that were complete are there; nothing beyond what was written.
    EXPECT_GE(info->durationSec, 2 * Mp4Writer::kFragmentSec - 1.0);
    EXPECT_LE(info->durationSec, written + 0.1);
}

TEST_F(Mp4WriterTest, AFullDiskFailsTheWriterButKeepsWhatWasWritten)
{
    ASSERT_TRUE(QDir().mkpath(path("small-disk")));
    QProcess helper;
    helper.start(QStringLiteral(MEDIA_WRITER_HELPER), {"full-disk", path("small-disk"), "90000"});
    const QStringList lines = readUntil(helper, [](const QString &line) { return line.startsWith("inspected "); });
    const QString report = lines.join('\n');
    ASSERT_TRUE(lines.size() >= 6 && lines.last().startsWith("inspected ")) << qPrintable(report);
    const bool onTmpfs = lines[0] == "limit tmpfs";
    EXPECT_TRUE(lines[1].startsWith("failed 1 after "))  << qPrintable(report);
    EXPECT_TRUE(lines[1].endsWith(onTmpfs ? "No space left on device" : "File too large")) << qPrintable(report);
    EXPECT_EQ(lines[2], "append after failure 0");
    EXPECT_EQ(lines[3], "finish 0");
    EXPECT_TRUE(lines[4].startsWith("file bytes ") && lines[4].mid(11).toLongLong() > 0) << qPrintable(report);
    // The first fragment fits (about 56 kB of sound), the second does not, and what is kept
    // is no more than was written.
    const int secondsWritten = lines[1].section(' ', 3, 3).chopped(1).toInt(); // "after N:"
    const QStringList inspected = lines[5].split(' ');
    ASSERT_EQ(inspected.size(), 4);
    EXPECT_EQ(inspected[1], "1");
    EXPECT_GE(inspected[2].toDouble(), Mp4Writer::kFragmentSec - 0.5);
    EXPECT_LT(inspected[2].toDouble(), 2 * Mp4Writer::kFragmentSec) << qPrintable(report);
    EXPECT_LE(inspected[2].toDouble(), secondsWritten + 0.1) << qPrintable(report);
}

} // namespace
} // namespace murva
