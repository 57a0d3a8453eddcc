#pragma once

#include <cstddef>
#include <span>
#include <vector>

struct SwrContext;

namespace murva {

// Interleaved PCM as a sound source delivers it.
struct PcmFormat {
    enum class Sample { u8, s16, s32, f32 }; // native byte order

    Sample sample = Sample::f32;
    int sampleRate = 48000;
    int channelCount = 1;

    bool operator==(const PcmFormat &) const = default;

    std::size_t bytesPerFrame() const;
};

// Converts one source's PCM into the recorder's own sound: mono 32-bit float at 48000
// samples per second. Several channels are averaged, so a voice present on every
// channel keeps its level and one present on a single channel is still heard.
//
// Streaming: the filter's tail stays inside between calls, so consecutive blocks join
// without clicks. Not thread-safe; one per source.
class Resampler {
public:
    static constexpr int outputRate = 48000;

    explicit Resampler(PcmFormat input);
    ~Resampler();

    Resampler(const Resampler &) = delete;
    Resampler &operator=(const Resampler &) = delete;

    const PcmFormat &input() const { return input_; }

    // False when the converter refused the input format; `convert` then gives nothing.
    bool isValid() const { return context_ != nullptr; }

    // How far behind the input the next output sample lies: the samples held back in
    // the filter. Subtract it from the time of the next input block's first sample.
    double delaySec() const;

    // Whole frames of `input` in; a trailing partial frame is ignored.
    std::vector<float> convert(std::span<const std::byte> interleaved);

private:
    PcmFormat input_;
    SwrContext *context_ = nullptr;
};

} // namespace murva
