#include "turns/Mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace murva {
namespace {

std::vector<float> constant(std::size_t count, float value)
{
    return std::vector<float>(count, value);
}

// 1, 2, 3 … scaled down: every position of a side is recognisable in the mix.
std::vector<float> ramp(std::size_t count, float first)
{
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = first + static_cast<float>(i) * 1e-6f;
    return samples;
}

double secondsAt(std::int64_t position)
{
    return static_cast<double>(position) / Mixer::rate;
}

// Everything the mixer hands out now, checked to continue the stream without a gap.
std::vector<float> takeAll(Mixer &mixer, bool final)
{
    std::vector<float> all;
    while (true) {
        const std::int64_t expectedFirst = mixer.next();
        const auto chunk = mixer.take(final);
        if (!chunk)
            return all;
        EXPECT_EQ(chunk->firstSample, expectedFirst);
        all.insert(all.end(), chunk->samples.begin(), chunk->samples.end());
    }
}

TEST(MixerPlacing, OnlyChunksCloserThanTheSnapDistanceJoin)
{
    for (const std::int64_t gap : {Mixer::snapSamples - 1, Mixer::snapSamples}) {
        Mixer mixer;
        const auto first = ramp(1000, 0.1f);
        const auto second = ramp(1000, 0.2f);
        mixer.add(first, 0.0, Side::host);
        mixer.add(second, secondsAt(1000 + gap), Side::host);
        const auto mixed = takeAll(mixer, true);
        const std::size_t secondAt = gap < Mixer::snapSamples ? 1000 : 1000 + gap;
        ASSERT_EQ(mixed.size(), secondAt + 1000) << gap;
        EXPECT_EQ(mixed[999], first[999]) << gap;
        EXPECT_EQ(mixed[secondAt], second[0]) << gap;
        EXPECT_EQ(mixed.back(), second[999]) << gap;
    }
}

TEST(MixerPlacing, FarChunksLeaveGapsOrOverlap)
{
    Mixer mixer;
    mixer.add(constant(48000, 0.1f), 0.0, Side::host);
    mixer.add(constant(4800, 0.2f), 1.2, Side::host);  // 0.2 s after the cursor
    mixer.add(constant(4800, 0.3f), 1.15, Side::host); // 0.15 s before the new cursor

    const auto mixed = takeAll(mixer, true);
    ASSERT_EQ(mixed.size(), 48000u + 9600u + 4800u);
    EXPECT_EQ(mixed[47999], 0.1f);
    EXPECT_EQ(mixed[48000], 0.0f);
    EXPECT_EQ(mixed[55199], 0.0f); // the gap ends where the 0.3 chunk begins
    EXPECT_EQ(mixed[55200], 0.3f);
    EXPECT_EQ(mixed[57600], 0.2f + 0.3f);
    EXPECT_EQ(mixed[59999], 0.2f + 0.3f);
    EXPECT_EQ(mixed[60000], 0.2f);
}

TEST(MixerPlacing, LateSamplesBeforeNextAreDropped)
{
    Mixer mixer;
    mixer.add(constant(48000, 0.1f), 0.0, Side::host);
    mixer.add(constant(48000, 0.1f), 0.0, Side::guests);
    ASSERT_EQ(takeAll(mixer, false).size(), 48000u);

    // Reaches 0.5 s back into what has been handed out; only its last 0.5 s remains.
    mixer.add(constant(48000, 0.3f), 0.5, Side::guests);
    mixer.add(constant(24000, 0.1f), 1.0, Side::host);
    const auto mixed = takeAll(mixer, true);
    ASSERT_EQ(mixed.size(), 24000u);
    EXPECT_EQ(mixed.front(), 0.1f + 0.3f);
    EXPECT_EQ(mixed.back(), 0.1f + 0.3f);

    // Entirely in the past, yet the side's cursor moves with it: the next chunk snaps
    // to where this one ended, so its part past `next` begins 23520 samples in.
    mixer.add(constant(480, 0.3f), 1.0, Side::guests);
    EXPECT_FALSE(mixer.take(true));
    const auto late = ramp(48000, 0.1f);
    mixer.add(late, 1.0 + 0.06, Side::guests);
    const auto rest = takeAll(mixer, true);
    ASSERT_EQ(rest.size(), 48000u - 23520u);
    EXPECT_EQ(rest.front(), late[23520]);
}

TEST(MixerTaking, WaitsForTheSlowerSideAtMostAThirdOfASecond)
{
    Mixer mixer;
    mixer.add(constant(48000, 0.25f), 0.0, Side::host);
    auto chunk = mixer.take(false);
    ASSERT_TRUE(chunk);
    EXPECT_EQ(chunk->firstSample, 0);
    EXPECT_EQ(chunk->samples, constant(48000 - 14400, 0.25f)); // the guests add silence
    EXPECT_FALSE(mixer.take(false));

    mixer.add(constant(48000, 0.5f), 0.0, Side::guests);
    chunk = mixer.take(false);
    ASSERT_TRUE(chunk);
    EXPECT_EQ(chunk->firstSample, 48000 - 14400);
    EXPECT_EQ(chunk->samples, constant(14400, 0.75f));
    EXPECT_FALSE(mixer.take(false));
    EXPECT_FALSE(mixer.take(true));
}

TEST(MixerBadInput, UnplaceableTimesDropTheChunkAndKeepTheTimeline)
{
    const double unplaceable[] = {NAN, INFINITY, -INFINITY, 1e300, -1e300, 2e14, -2e14};
    for (double atSec : unplaceable) {
        Mixer mixer;
        mixer.add(constant(1000, 0.1f), 0.0, Side::host);
        mixer.add(constant(1000, 0.9f), atSec, Side::host);
        // Had the cursor moved, this one would not snap back to sample 1000.
        mixer.add(constant(1000, 0.2f), secondsAt(1000 + 100), Side::host);
        const auto mixed = takeAll(mixer, true);
        ASSERT_EQ(mixed.size(), 2000u) << atSec;
        EXPECT_EQ(mixed[999], 0.1f) << atSec;
        EXPECT_EQ(mixed[1000], 0.2f) << atSec;
    }
}

TEST(MixerBadInput, AChunkStampedFarAheadContinuesItsSide)
{
    // An hour ahead (a clock jump of the sound server) and 31 years ahead, both with and
    // without earlier sound of that side.
    for (const double aheadSec : {3600.0, 1e9}) {
        for (const bool sideHadSound : {false, true}) {
            Mixer mixer;
            mixer.add(constant(1000, 0.1f), 0.0, Side::host);
            if (sideHadSound)
                mixer.add(constant(1000, 0.2f), 0.0, Side::guests);
            mixer.add(constant(1000, 0.4f), aheadSec, Side::guests);
            const auto mixed = takeAll(mixer, true);
            const std::size_t expectedSize = sideHadSound ? 2000u : 1000u;
            ASSERT_EQ(mixed.size(), expectedSize) << aheadSec;
            EXPECT_FLOAT_EQ(mixed.back(), sideHadSound ? 0.4f : 0.1f + 0.4f) << aheadSec;
            EXPECT_LT(mixer.reservedSamples(), 48000u) << aheadSec;
        }
    }
}

TEST(MixerBadInput, StorageOfALongLeadIsReleasedOnceHandedOut)
{
    Mixer mixer;
    mixer.add(constant(480, 0.1f), 9.0, Side::guests); // within the lead: nine seconds of silence
    EXPECT_EQ(takeAll(mixer, true).size(), 9u * 48000u + 480u);
    EXPECT_LT(mixer.reservedSamples(), 48000u);
}

TEST(MixerBadInput, MixIsClampedAndNonFiniteSamplesAreSilence)
{
    constexpr float huge = std::numeric_limits<float>::max();
    Mixer mixer;
    mixer.add(std::vector<float>{0.8f, -0.7f, 0.3f, -2.0f, NAN, INFINITY, -INFINITY, 0.25f, huge}, 0.0, Side::host);
    mixer.add(std::vector<float>{0.5f, -0.6f, 0.2f, 0.5f, 0.5f, NAN, 0.5f, NAN, huge}, 0.0, Side::guests);
    // Overlapping extremes of each side must not meet in the mix as +inf and -inf.
    mixer.add(constant(4802, huge), secondsAt(9), Side::host);
    mixer.add(constant(4802, huge), secondsAt(9), Side::host); // too far back to snap
    mixer.add(constant(4802, -huge), secondsAt(9), Side::guests);
    mixer.add(constant(4802, -huge), secondsAt(9), Side::guests);
    const auto chunk = mixer.take(true);
    ASSERT_TRUE(chunk);
    ASSERT_EQ(chunk->samples.size(), 9u + 4802u);
    const std::vector<float> expected{1.0f, -1.0f, 0.3f + 0.2f, -1.0f, 0.5f, 0.0f, 0.5f, 0.25f, 1.0f};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(chunk->samples[i], expected[i]) << i;
    EXPECT_EQ(chunk->samples[9], 0.0f);
    EXPECT_EQ(chunk->samples.back(), 0.0f);
}

TEST(MixerBadInput, NonFiniteSamplesDoNotSpeak)
{
    Mixer mixer;
    mixer.add(constant(96000, NAN), 0.0, Side::host);
    mixer.add(constant(96000, INFINITY), 0.0, Side::guests);
    takeAll(mixer, true);
    EXPECT_TRUE(mixer.finish().empty());
}

} // namespace
} // namespace murva
