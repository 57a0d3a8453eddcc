#include "turns/Mixer.h"

#include "TurnPrinting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace murva {
namespace {

constexpr std::size_t samplesPerSec = 48000;

// A side's sound: `level` over the given half-open stretches of seconds, silence
// elsewhere, `totalSec` long.
std::vector<float> speech(double totalSec, std::initializer_list<std::pair<double, double>> stretches, float level)
{
    std::vector<float> samples(static_cast<std::size_t>(totalSec * samplesPerSec), 0.0f);
    for (const auto &[fromSec, toSec] : stretches) {
        std::fill(samples.begin() + static_cast<std::ptrdiff_t>(fromSec * samplesPerSec),
                  samples.begin() + static_cast<std::ptrdiff_t>(toSec * samplesPerSec), level);
    }
    return samples;
}

struct Result {
    std::vector<float> mixed;
    std::vector<Turn> turns;
};

// Feeds both sides in chunks of the given sizes, taken in turn, with `take(false)`
// after every chunk, then ends the mixer as a recording does.
Result run(const std::vector<float> &host, const std::vector<float> &guests, std::vector<std::size_t> chunkSizes)
{
    Mixer mixer;
    Result result;
    const auto collect = [&](bool final) {
        while (auto chunk = mixer.take(final))
            result.mixed.insert(result.mixed.end(), chunk->samples.begin(), chunk->samples.end());
    };
    std::size_t done = 0;
    for (std::size_t i = 0; done < host.size(); ++i) {
        const std::size_t count = std::min(chunkSizes[i % chunkSizes.size()], host.size() - done);
        const double atSec = static_cast<double>(done) / Mixer::rate;
        mixer.add(std::span(host).subspan(done, count), atSec, Side::host);
        collect(false);
        mixer.add(std::span(guests).subspan(done, count), atSec, Side::guests);
        collect(false);
        done += count;
    }
    collect(true);
    result.turns = mixer.finish();
    return result;
}

TEST(MixerTurns, PhrasesOfBothSidesBecomeTurns)
{
    const auto host = speech(6.0, {{0.0, 1.5}, {4.0, 5.0}}, 0.3f);
    const auto guests = speech(6.0, {{2.0, 3.5}}, 0.3f);
    const std::vector<Turn> expected{
        {0.0, 2.4, Side::host},   // 50 loud frames and 31 silent ones
        {2.0, 4.4, Side::guests}, // starts in frame 66, at 1.98 s
        {4.0, 5.9, Side::host},   // from 3.99 s: too far from the first turn to join it
    };

    const Result whole = run(host, guests, {10 * Mixer::frameSamples});
    EXPECT_EQ(whole.turns, expected);

    // Chunks that cut frames anywhere give the same mix and the same turns.
    const Result pieces = run(host, guests, {480, 1000, 2048, 1439, 1441, 7});
    EXPECT_EQ(pieces.turns, expected);
    EXPECT_EQ(pieces.mixed, whole.mixed);
}

TEST(MixerTurns, HostSpeaksOnlyWhenMoreThanTwiceAsLoudAsTheGuests)
{
    const float guestsLevel = 0.02f;
    const auto guests = speech(3.0, {{0.0, 1.0}}, guestsLevel);
    const Turn guestsTurn{0.0, 2.0, Side::guests};

    // Exactly twice as loud: the levels double exactly, and the host stays muted.
    const auto echo = speech(3.0, {{0.0, 1.0}}, 2.0f * guestsLevel);
    EXPECT_EQ(run(echo, guests, {1024}).turns, std::vector<Turn>{guestsTurn});

    const auto voice = speech(3.0, {{0.0, 1.0}}, 2.0f * guestsLevel + 0.0001f);
    EXPECT_EQ(run(voice, guests, {1024}).turns, (std::vector<Turn>{{0.0, 2.0, Side::host}, guestsTurn}));
}

TEST(MixerTurns, FinishClosesTheHostBeforeTheGuests)
{
    const auto host = speech(1.0, {{0.0, 1.0}}, 0.5f);
    const auto guests = speech(1.0, {{0.0, 1.0}}, 0.2f);
    // 33 frames analysed; the last 480 samples make no frame.
    const std::vector<Turn> expected{{0.0, 1.0, Side::host}, {0.0, 1.0, Side::guests}};
    EXPECT_EQ(run(host, guests, {4096}).turns, expected);
}

TEST(MixerTurns, StorageDoesNotGrowWithTheRecording)
{
    // The guests' sound arrives 50 ms after the host's, in other chunk sizes, so the
    // host's buffer is never emptied outright.
    const std::size_t sizes[2] = {1009, 1499};
    std::int64_t written[2] = {0, 0};
    Mixer mixer;
    std::size_t largest = 0;
    for (int i = 0; written[0] < 3 * 60 * 48000; ++i) {
        const Side side = written[0] <= written[1] + 2400 ? Side::host : Side::guests;
        std::int64_t &position = written[sideIndex(side)];
        const double jitterSec = (i % 7 - 3) * 0.001;
        const std::vector<float> chunk(sizes[sideIndex(side)], 0.1f);
        mixer.add(chunk, static_cast<double>(position) / Mixer::rate + jitterSec, side);
        while (mixer.take(false)) {
        }
        largest = std::max(largest, mixer.reservedSamples());
        position += static_cast<std::int64_t>(chunk.size());
    }
    EXPECT_GT(mixer.next(), 3 * 60 * 48000 - 2400 - 2 * 1499);
    EXPECT_LT(largest, 20000u);
}

} // namespace
} // namespace murva
