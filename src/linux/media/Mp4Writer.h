#pragma once

#include "capture/MediaWriter.h"

#include <memory>

extern "C" {
#include <libavutil/rational.h>
}

struct AVCodecContext;
struct AVFormatContext;
struct AVPacket;
struct AVStream;

namespace murva {

class AudioEncoder;
class MediaFileOutput;
class VideoEncoder;

// The recording's MPEG-4 file through libavformat. The file is fragmented every 10 s
// and each finished fragment goes straight to the kernel (and every few fragments to
// the disk), so a process that is killed leaves a file that plays up to its last
// fragment. A write error stops all writing; the file is kept as it is.
class Mp4Writer final : public MediaWriter {
public:
    static constexpr int kFragmentSec = 10;
    static constexpr int kFragmentsPerDiskSync = 3;

    Mp4Writer();
    ~Mp4Writer() override; // without finish(): closes without the trailer

    std::optional<QString> open(const MediaWriterSettings &settings) override;
    bool appendAudio(std::int64_t firstSample, const float *samples, std::size_t count) override;
    bool appendVideo(double atSec, const VideoFrame &frame) override;
    bool finish() override;
    bool failed() const override { return failed_; }
    QString errorText() const override { return errorText_; }

private:
    std::optional<QString> start(const MediaWriterSettings &settings);
    std::optional<QString> addStream(const AVCodecContext *encoder, AVStream *&stream);
    std::optional<QString> writeHeader(const QString &path);
    int writePacket(AVPacket *packet, AVStream *stream, AVRational encoderTimeBase);
    int pushFinishedFragment();
    int drainAndClose();
    bool fail(int error);
    void release();

    bool writing_ = false;
    bool failed_ = false;
    bool finishedCleanly_ = false;
    QString errorText_;
    std::unique_ptr<MediaFileOutput> file_;
    AVFormatContext *muxer_ = nullptr;
    std::unique_ptr<VideoEncoder> video_;
    std::unique_ptr<AudioEncoder> audio_;
    AVStream *videoStream_ = nullptr;
    AVStream *audioStream_ = nullptr;
    std::int64_t bytesHandedOver_ = 0;
    int fragmentsWritten_ = 0;
};

} // namespace murva
