// The mixer on the capture's hot path: hours of two-sided, speech-like sound fed as it
// arrives from the sound server (uneven chunk sizes, jittered timestamps), with the
// recording's calling order: add + take(false) per chunk, then take(true) + finish.

#include "turns/Mixer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace murva {
namespace {

constexpr std::size_t smallestChunk = 480;
constexpr std::size_t largestChunk = 2048;
constexpr double jitterSec = 0.005;

// Noise to cut chunks from: speech-loud and room-quiet, both far longer than a chunk
// so that chunks differ.
struct SoundPool {
    std::vector<float> loud;
    std::vector<float> quiet;
};

SoundPool makePool(std::mt19937 &random)
{
    constexpr std::size_t length = 2 * 48000;
    std::normal_distribution<float> noise(0.0f, 1.0f);
    SoundPool pool{std::vector<float>(length), std::vector<float>(length)};
    for (std::size_t i = 0; i < length; ++i) {
        // A slow swell makes the loud pool rise and fall like a voice.
        const float swell = 0.05f + 0.15f * static_cast<float>(i % 9600) / 9600.0f;
        pool.loud[i] = swell * noise(random);
        pool.quiet[i] = 0.002f * noise(random);
    }
    return pool;
}

// Who talks when: stretches of 1 to 8 s, mostly alternating, sometimes both at once,
// with short pauses that turns should bridge.
struct Conversation {
    std::vector<double> boundariesSec;
    std::vector<std::uint8_t> speakers; // bit 0: host, bit 1: guests

    bool speaking(Side side, double atSec) const
    {
        const auto stretch = std::upper_bound(boundariesSec.begin(), boundariesSec.end(), atSec) - boundariesSec.begin();
        const std::uint8_t bit = side == Side::host ? 1 : 2;
        return stretch < static_cast<std::ptrdiff_t>(speakers.size()) && (speakers[stretch] & bit) != 0;
    }
};

Conversation makeConversation(double totalSec, std::mt19937 &random)
{
    std::uniform_real_distribution<double> lengthSec(1.0, 8.0);
    std::uniform_int_distribution<int> dice(0, 9);
    Conversation conversation;
    std::uint8_t speaker = 1;
    for (double atSec = 0; atSec < totalSec;) {
        atSec += lengthSec(random);
        conversation.boundariesSec.push_back(atSec);
        const int roll = dice(random);
        conversation.speakers.push_back(roll == 0 ? 0 : roll == 1 ? 3 : speaker);
        if (roll > 3)
            speaker ^= 3;
    }
    return conversation;
}

struct Arrival {
    Side side;
    const float *samples;
    std::uint32_t count;
    double atSec;
};

// Both sides' chunks in the order they would arrive, each side gapless on the
// timeline but stamped with jitter.
std::vector<Arrival> makeArrivals(double totalSec, const SoundPool &pool, std::mt19937 &random)
{
    const Conversation conversation = makeConversation(totalSec, random);
    std::uniform_int_distribution<std::size_t> chunkSize(smallestChunk, largestChunk);
    std::uniform_int_distribution<std::size_t> poolOffset(0, pool.loud.size() - largestChunk);
    std::uniform_real_distribution<double> jitter(-jitterSec, jitterSec);
    const auto totalSamples = static_cast<std::int64_t>(totalSec * Mixer::rate);

    std::vector<Arrival> arrivals;
    std::int64_t written[2] = {0, 0};
    while (written[0] < totalSamples || written[1] < totalSamples) {
        const Side side = written[0] <= written[1] ? Side::host : Side::guests;
        std::int64_t &position = written[sideIndex(side)];
        const double atSec = static_cast<double>(position) / Mixer::rate;
        const auto count = chunkSize(random);
        const auto &source = conversation.speaking(side, atSec) ? pool.loud : pool.quiet;
        arrivals.push_back({side, source.data() + poolOffset(random), static_cast<std::uint32_t>(count),
                            std::max(0.0, atSec + jitter(random))});
        position += static_cast<std::int64_t>(count);
    }
    return arrivals;
}

// This thread's processor time: on a shared machine, wall time also counts the
// others' work.
double threadCpuSec()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6));
    }
    return 0;
}

void BM_MixerHours(benchmark::State &state)
{
    const double hours = static_cast<double>(state.range(0));
    std::mt19937 random(20240611);
    const SoundPool pool = makePool(random);
    const std::vector<Arrival> arrivals = makeArrivals(hours * 3600, pool, random);

    double elapsedSec = 0;
    double cpuSec = 0;
    std::size_t largestReserved = 0;
    std::size_t turnCount = 0;
    std::int64_t handedOut = 0;
    double rssGrowthKiB = 0;
    for (auto _ : state) {
        const double rssBefore = residentKiB();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuSec();
        Mixer mixer;
        handedOut = 0;
        for (const Arrival &arrival : arrivals) {
            mixer.add(std::span(arrival.samples, arrival.count), arrival.atSec, arrival.side);
            if (auto chunk = mixer.take(false))
                handedOut += static_cast<std::int64_t>(chunk->samples.size());
            largestReserved = std::max(largestReserved, mixer.reservedSamples());
        }
        if (auto chunk = mixer.take(true))
            handedOut += static_cast<std::int64_t>(chunk->samples.size());
        turnCount = mixer.finish().size();
        cpuSec += threadCpuSec() - cpuStart;
        elapsedSec += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rssGrowthKiB = std::max(rssGrowthKiB, residentKiB() - rssBefore);
        benchmark::DoNotOptimize(turnCount);
    }

    const double runs = static_cast<double>(state.iterations());
    state.counters["cpu_sec_per_hour"] = cpuSec / runs / hours;
    state.counters["cpu_x_realtime"] = hours * 3600 * runs / cpuSec;
    state.counters["wall_sec_per_hour"] = elapsedSec / runs / hours;
    state.counters["wall_x_realtime"] = hours * 3600 * runs / elapsedSec;
    state.counters["largest_reserved_samples"] = static_cast<double>(largestReserved);
    state.counters["rss_growth_KiB"] = rssGrowthKiB;
    state.counters["turns"] = static_cast<double>(turnCount);
    state.counters["handed_out_sec"] = static_cast<double>(handedOut) / Mixer::rate;
}

BENCHMARK(BM_MixerHours)->Arg(1)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace murva

BENCHMARK_MAIN();
