#pragma once

#include "media/PacketSink.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace murva {

// AAC through libavcodec's own encoder: 48000 Hz, mono, 96 kb/s. Takes mono float
// samples at any length and encodes them in the encoder's fixed frames; packets are
// stamped in samples.
class AudioEncoder {
public:
    static constexpr int kSampleRate = 48000;
    static constexpr int kBitsPerSec = 96000;
    static constexpr AVRational kTimeBase{1, kSampleRate};

    AudioEncoder() = default;
    ~AudioEncoder();

    AudioEncoder(const AudioEncoder &) = delete;
    AudioEncoder &operator=(const AudioEncoder &) = delete;

    std::optional<QString> open(bool globalHeader);

    const AVCodecContext *context() const { return codec_; }

    // Samples starting at sample `firstSample` of the track. The track stays gapless: a
    // gap before `firstSample` is filled with silence, and samples before the end of
    // what was already given are dropped. Returns 0 or a libav error.
    int encode(std::int64_t firstSample, const float *samples, std::size_t count, const PacketSink &sink);

    // Encodes what is left (a shorter last frame) and hands out every packet still
    // inside the encoder. Returns 0 or a libav error.
    int flush(const PacketSink &sink);

    // The sample position right after everything given so far.
    std::int64_t nextSample() const { return pendingStart_ + std::int64_t(pending_.size()); }

private:
    // Appends `count` samples, or silence when `samples` is null.
    int append(const float *samples, std::size_t count, const PacketSink &sink);
    int encodePending(const PacketSink &sink);
    int receivePackets(const PacketSink &sink);

    AVCodecContext *codec_ = nullptr;
    AVFrame *frame_ = nullptr;
    AVPacket *packet_ = nullptr;
    std::size_t frameSamples_ = 0;
    std::vector<float> pending_; // fewer than one frame
    std::int64_t pendingStart_ = 0;
    bool flushed_ = false;
};

} // namespace murva
