#include "pulse/Resampler.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <cstdint>

namespace murva {
namespace {

AVSampleFormat avFormatOf(PcmFormat::Sample sample)
{
    switch (sample) {
    case PcmFormat::Sample::u8:
        return AV_SAMPLE_FMT_U8;
    case PcmFormat::Sample::s16:
        return AV_SAMPLE_FMT_S16;
    case PcmFormat::Sample::s32:
        return AV_SAMPLE_FMT_S32;
    case PcmFormat::Sample::f32:
        return AV_SAMPLE_FMT_FLT;
    }
    return AV_SAMPLE_FMT_NONE;
}

// The converter's default downmix weighs channels by layout and, for float output,
// does not normalise, which raises a voice on both channels by 3 dB. A plain average
// keeps its level.
bool setAveragingMatrix(SwrContext *context, int channelCount)
{
    const std::vector<double> weights(static_cast<std::size_t>(channelCount), 1.0 / channelCount);
    return swr_set_matrix(context, weights.data(), channelCount) >= 0;
}

SwrContext *makeContext(const PcmFormat &input)
{
    if (input.sampleRate <= 0 || input.channelCount <= 0 || input.channelCount > 64)
        return nullptr;
    AVChannelLayout inputLayout;
    av_channel_layout_default(&inputLayout, input.channelCount);
    AVChannelLayout outputLayout = AV_CHANNEL_LAYOUT_MONO;
    SwrContext *context = nullptr;
    const int made = swr_alloc_set_opts2(&context, &outputLayout, AV_SAMPLE_FMT_FLT,
                                         Resampler::outputRate, &inputLayout,
                                         avFormatOf(input.sample), input.sampleRate, 0, nullptr);
    av_channel_layout_uninit(&inputLayout);
    if (made < 0 || !context)
        return nullptr;
    if (!setAveragingMatrix(context, input.channelCount) || swr_init(context) < 0) {
        swr_free(&context);
        return nullptr;
    }
    return context;
}

} // namespace

std::size_t PcmFormat::bytesPerFrame() const
{
    const int bytes = av_get_bytes_per_sample(avFormatOf(sample));
    return static_cast<std::size_t>(bytes) * static_cast<std::size_t>(channelCount > 0 ? channelCount : 0);
}

Resampler::Resampler(PcmFormat input)
    : input_(input)
    , context_(makeContext(input))
{
}

Resampler::~Resampler()
{
    swr_free(&context_);
}

double Resampler::delaySec() const
{
    if (!context_)
        return 0;
    return static_cast<double>(swr_get_delay(context_, 1'000'000)) / 1e6;
}

std::vector<float> Resampler::convert(std::span<const std::byte> interleaved)
{
    const std::size_t frameBytes = input_.bytesPerFrame();
    if (!context_ || frameBytes == 0)
        return {};
    const std::size_t frames = interleaved.size() / frameBytes;
    if (frames == 0 || frames > static_cast<std::size_t>(INT32_MAX / 2))
        return {};
    const int capacity = swr_get_out_samples(context_, static_cast<int>(frames));
    if (capacity <= 0)
        return {};
    std::vector<float> samples(static_cast<std::size_t>(capacity));
    auto *output = reinterpret_cast<std::uint8_t *>(samples.data());
    const auto *source = reinterpret_cast<const std::uint8_t *>(interleaved.data());
    const int converted = swr_convert(context_, &output, capacity, &source, static_cast<int>(frames));
    if (converted <= 0)
        return {};
    samples.resize(static_cast<std::size_t>(converted));
    return samples;
}

} // namespace murva
