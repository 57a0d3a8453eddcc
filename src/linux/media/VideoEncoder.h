#pragma once

#include "media/EncodePacing.h"
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
// B-frames. Pictures are planar I420 of the configured size, stamped in seconds. Frames
// that repeat the previous picture are mostly left out (see EncodePacing): the picture
// before them then lasts longer in the file. Each picture lasts exactly until the next
// one, so the track keeps the capture's timing whatever the gaps.
class VideoEncoder {
public:
    static constexpr int kFramesPerSec = 15;
    static constexpr int kBitsPerSec = 1000000;
    static constexpr int kKeyFrameEverySec = 4;
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
    // libav error (from the encoder or the sink). Packets reach the sink one late: a
    // picture's duration is known once the next one is out.
    int encode(double atSec, const VideoFrame &frame, const PacketSink &sink);

    // Hands out every packet still inside the encoder. Returns 0 or a libav error.
    int flush(const PacketSink &sink);

private:
    bool fits(const VideoFrame &frame) const;
    int fillPicture(const VideoFrame &frame);
    int send(EncodePacing::Decision decision, std::int64_t pts);
    int receivePackets(const PacketSink &sink);
    int passHeldPacket(const PacketSink &sink, std::int64_t endPts);

    AVCodecContext *codec_ = nullptr;
    AVFrame *picture_ = nullptr;
    AVPacket *packet_ = nullptr;
    AVPacket *held_ = nullptr; // the latest packet out of the encoder, until the next one
    EncodePacing pacing_{kTimeBase.den / kTimeBase.num, kKeyFrameEverySec};
    std::int64_t lastPts_ = -1; // of the latest frame handed in, repeats included
    bool flushed_ = false;
};

} // namespace murva
