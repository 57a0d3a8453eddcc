#pragma once

#include "media/PacketSink.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

extern "C" {
#include <libavutil/rational.h>
}

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace murva {

struct VideoFrame;

// H.264 through libx264: High profile, 1 Mb/s, 15 fps, a key frame every 4 s, no
// B-frames. Pictures are planar I420 of the configured size, stamped in seconds.
class VideoEncoder {
public:
    static constexpr int kFramesPerSec = 15;
    static constexpr int kBitsPerSec = 1000000;
    static constexpr int kKeyFrameEveryFrames = 4 * kFramesPerSec;
    // Fine enough to keep the capture's own timing instead of snapping it to 1/15 s.
    static constexpr AVRational kTimeBase{1, 90000};

    VideoEncoder() = default;
    ~VideoEncoder();

    VideoEncoder(const VideoEncoder &) = delete;
    VideoEncoder &operator=(const VideoEncoder &) = delete;

    // `globalHeader`: the container wants the parameter sets out of band (MP4 does).
    std::optional<QString> open(QSize frameSize, bool globalHeader);

    const AVCodecContext *context() const { return codec_; }

    // Encodes the picture taken `atSec` seconds after time 0. A picture of another size,
    // before time 0, or not later than the previous one is skipped. Returns 0 or a
    // libav error (from the encoder or the sink).
    int encode(double atSec, const VideoFrame &frame, const PacketSink &sink);

    // Hands out every packet still inside the encoder. Returns 0 or a libav error.
    int flush(const PacketSink &sink);

private:
    bool fits(const VideoFrame &frame) const;
    int fillPicture(const VideoFrame &frame);
    int receivePackets(const PacketSink &sink);

    AVCodecContext *codec_ = nullptr;
    AVFrame *picture_ = nullptr;
    AVPacket *packet_ = nullptr;
    std::int64_t lastPts_ = -1;
    bool flushed_ = false;
};

} // namespace murva
