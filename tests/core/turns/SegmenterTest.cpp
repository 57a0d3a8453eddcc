#include "turns/Rms.h"
#include "turns/Segmenter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

namespace murva {
namespace {

constexpr float loud = 0.5f;
constexpr float silent = 0.0f;

double frameTime(double startSec, int index)
{
    return startSec + index * Segmenter::frameSec;
}

// Feeds `loudFrames` loud frames from `startSec`, then up to 40 silent ones; returns
// the phrase that came out and the number of the push that returned it.
std::pair<std::optional<Phrase>, int> speakThenListen(Segmenter &segmenter, double startSec, int loudFrames)
{
    for (int i = 0; i < loudFrames + 40; ++i) {
        if (auto phrase = segmenter.push(i < loudFrames ? loud : silent, frameTime(startSec, i)))
            return {phrase, i + 1};
    }
    return {std::nullopt, 0};
}

TEST(Rms, SumsSquaresInFloatInIndexOrder)
{
    EXPECT_EQ(rms({}), 0.0f);
    EXPECT_EQ(rms(std::vector<float>{3.0f, 4.0f}), std::sqrt(12.5f));

    // 4096² is 2^24: a following 1 is lost in float, but 100 leading ones are kept.
    std::vector<float> bigFirst{4096.0f};
    bigFirst.resize(101, 1.0f);
    std::vector<float> bigLast(100, 1.0f);
    bigLast.push_back(4096.0f);
    EXPECT_EQ(rms(bigFirst), std::sqrt(16777216.0f / 101.0f));
    EXPECT_EQ(rms(bigLast), std::sqrt(16777316.0f / 101.0f));
    EXPECT_EQ(rmsOfPair(bigFirst, bigLast), (std::array{rms(bigFirst), rms(bigLast)}));
}

TEST(Segmenter, ThresholdIsInclusiveAndNaNIsSilence)
{
    Segmenter segmenter;
    segmenter.push(0.0099999f, 1.0);
    segmenter.push(NAN, 1.0);
    EXPECT_EQ(segmenter.frames, 0);

    segmenter.push(0.01f, 1.0);
    segmenter.push(NAN, 1.03);
    EXPECT_EQ(segmenter.frames, 2);
    EXPECT_EQ(segmenter.speechFrames, 1);
    EXPECT_EQ(segmenter.silentFrames, 1);
    EXPECT_EQ(segmenter.startSec, 1.0);
}

TEST(Segmenter, PauseClosesOnThe31stSilentFrameKeepingEnoughSpeech)
{
    Segmenter segmenter;
    const auto [phrase, push] = speakThenListen(segmenter, 10.0, 17);
    EXPECT_EQ(phrase, (Phrase{10.0, 10.0 + 48 * Segmenter::frameSec}));
    EXPECT_EQ(push, 17 + 31);
    EXPECT_EQ(segmenter.frames, 0);

    for (int loudFrames : {1, 16}) {
        EXPECT_FALSE(speakThenListen(segmenter, 20.0, loudFrames).first) << loudFrames;
        EXPECT_EQ(segmenter.frames, 0) << loudFrames;
    }
}

TEST(Segmenter, LongSpeechIsCutAtFrame667AndStartsAfresh)
{
    Segmenter segmenter;
    std::vector<std::pair<int, Phrase>> phrases;
    for (int i = 0; i < 2 * 667; ++i) {
        if (auto phrase = segmenter.push(loud, frameTime(0.0, i)))
            phrases.emplace_back(i + 1, *phrase);
    }
    const double secondStart = frameTime(0.0, 667);
    ASSERT_EQ(phrases.size(), 2u);
    EXPECT_EQ(phrases[0], std::pair(667, Phrase{0.0, 667 * Segmenter::frameSec}));
    EXPECT_EQ(phrases[1], std::pair(2 * 667, Phrase{secondStart, secondStart + 667 * Segmenter::frameSec}));
}

TEST(Segmenter, ScatteredPausesOfThirtyFramesNeverClose)
{
    Segmenter segmenter;
    int closedAt = 0;
    for (int i = 0; i < 700 && closedAt == 0; ++i) {
        const float level = i % 31 == 0 ? loud : silent; // one loud frame, then 30 silent
        if (segmenter.push(level, frameTime(0.0, i)))
            closedAt = i + 1;
    }
    EXPECT_EQ(closedAt, 667);
}

TEST(Segmenter, FlushClosesWhateverIsOpen)
{
    Segmenter segmenter;
    EXPECT_FALSE(segmenter.flush());
    for (int i = 0; i < 20; ++i)
        ASSERT_FALSE(segmenter.push(loud, frameTime(5.0, i)));
    EXPECT_EQ(segmenter.flush(), (Phrase{5.0, 5.0 + 20 * Segmenter::frameSec}));

    // Too little speech: nothing, and the counters are reset all the same.
    segmenter.push(loud, 9.0);
    segmenter.push(silent, 9.03);
    EXPECT_FALSE(segmenter.flush());
    EXPECT_EQ(segmenter.frames + segmenter.speechFrames + segmenter.silentFrames, 0);
    EXPECT_EQ(segmenter.startSec, 9.0);

    // Exactly the minimum of speech (one frame here) is enough.
    segmenter.minSpeechSec = Segmenter::frameSec;
    segmenter.push(loud, 12.0);
    EXPECT_EQ(segmenter.flush(), (Phrase{12.0, 12.0 + Segmenter::frameSec}));
}

} // namespace
} // namespace murva
