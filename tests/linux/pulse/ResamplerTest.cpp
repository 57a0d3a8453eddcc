#include "pulse/Resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace murva {
namespace {

constexpr int inputRate = 44100;
constexpr double toneHz = 1000;
constexpr double amplitude = 0.5;

// Interleaved stereo s16 of a sine on the chosen channels.
std::vector<std::int16_t> stereoTone(int frames, bool left, bool right)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double value = amplitude * std::sin(2 * std::numbers::pi * toneHz * i / inputRate);
        const auto pcm = static_cast<std::int16_t>(std::lround(value * 32767));
        samples[2 * i] = left ? pcm : 0;
        samples[2 * i + 1] = right ? pcm : 0;
    }
    return samples;
}

// Feeds one second in 10-ms blocks, as a sound server would.
std::vector<float> convertInBlocks(Resampler &resampler, const std::vector<std::int16_t> &stereo)
{
    constexpr std::size_t blockFrames = inputRate / 100;
    std::vector<float> out;
    for (std::size_t frame = 0; frame < stereo.size() / 2; frame += blockFrames) {
        const auto *first = reinterpret_cast<const std::byte *>(stereo.data() + frame * 2);
        const auto part = resampler.convert(std::span(first, blockFrames * 2 * sizeof(std::int16_t)));
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

double rms(const std::vector<float> &samples, std::size_t from)
{
    double sum = 0;
    for (std::size_t i = from; i < samples.size(); ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(samples.size() - from));
}

int risingZeroCrossings(const std::vector<float> &samples, std::size_t from)
{
    int count = 0;
    for (std::size_t i = from + 1; i < samples.size(); ++i)
        count += samples[i - 1] < 0 && samples[i] >= 0;
    return count;
}

const PcmFormat stereo44k{PcmFormat::Sample::s16, inputRate, 2};
// Skip the filter's start-up before measuring.
constexpr std::size_t settledFrom = 480;

TEST(Resampler, StereoCdSoundBecomesMono48kWithItsPitchAndLevel)
{
    Resampler resampler(stereo44k);
    ASSERT_TRUE(resampler.isValid());
    const auto out = convertInBlocks(resampler, stereoTone(inputRate, true, true));

    EXPECT_NEAR(double(out.size()), 48000.0, 64.0);
    // Whatever the filter holds back is accounted for, so times stay exact.
    EXPECT_NEAR(double(out.size()) + resampler.delaySec() * 48000, 48000.0, 2.0);
    const double measuredSec = double(out.size() - settledFrom) / 48000;
    EXPECT_NEAR(risingZeroCrossings(out, settledFrom), toneHz * measuredSec, 2.0);
    EXPECT_NEAR(rms(out, settledFrom), amplitude / std::sqrt(2.0), 0.01);
}

TEST(Resampler, AveragesTheChannelsRatherThanKeepingOne)
{
    Resampler rightOnly(stereo44k);
    const auto right = convertInBlocks(rightOnly, stereoTone(inputRate / 4, false, true));
    Resampler leftOnly(stereo44k);
    const auto left = convertInBlocks(leftOnly, stereoTone(inputRate / 4, true, false));

    const double full = amplitude / std::sqrt(2.0);
    EXPECT_NEAR(rms(right, settledFrom), full / 2, 0.01);
    EXPECT_NEAR(rms(left, settledFrom), full / 2, 0.01);
}

TEST(Resampler, RefusesFormatsItCannotConvert)
{
    for (const PcmFormat format : {PcmFormat{PcmFormat::Sample::s16, 0, 2}, PcmFormat{PcmFormat::Sample::f32, 48000, 0}}) {
        Resampler resampler(format);
        EXPECT_FALSE(resampler.isValid());
        const std::vector<std::byte> some(64);
        EXPECT_TRUE(resampler.convert(some).empty());
    }
}

} // namespace
} // namespace murva
