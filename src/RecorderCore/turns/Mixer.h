#pragma once

#include "turns/SampleBuffer.h"
#include "turns/Segmenter.h"
#include "turns/Side.h"
#include "turns/Turn.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace murva {

// Puts the microphone (host) and the computer's sound (guests) on one sample timeline,
// hands out their clamped sum as one gapless mono stream from sample 0, and measures
// both sides frame by frame to find who spoke when.
//
// Positions are sample counts at `rate` from the recording's start. The mixer keeps
// only what it has not handed out or analysed yet, so its memory does not grow with
// the length of a recording (the turns aside).
//
// No locking: the owner calls it from one serial queue.
class Mixer {
public:
    static constexpr double rate = 48000.0;
    // One analysis frame, `Segmenter::frameSec` long.
    static constexpr std::int64_t frameSamples = 1440;
    // Chunks of one side this close to where its previous chunk ended are joined to it.
    static constexpr std::int64_t snapSamples = 4800;
    // The most `take(false)` holds back behind the side that is ahead.
    static constexpr std::int64_t holdBackSamples = 14400;
    // How far beyond what was handed out a chunk may start. Real leads stay under a
    // few seconds: a side that starts late, or a monitor stamping sound its sink has not
    // played yet (an idle sink runs up to two seconds ahead). Further out the stamp is
    // broken, such as after a jump of the sound server's clock, and trusting it would
    // mean holding the whole gap as silence: an hour is 1.3 GB. Ten seconds cost 2 MB.
    static constexpr std::int64_t maxLeadSamples = 10 * 48000;

    struct Chunk {
        std::int64_t firstSample = 0;
        std::vector<float> samples;

        bool operator==(const Chunk &) const = default;
    };

    // Places mono samples of one side starting `atSec` seconds after the recording's
    // start. A chunk whose time is not finite or does not fit the timeline is dropped
    // whole, and the side's timeline is left as it was. A chunk beyond `maxLeadSamples`
    // goes where the side's sound left off: after a clock jump every later stamp is off
    // by the same amount, and this keeps the side's sound gapless instead of losing all
    // of it. Samples that are not finite are taken as silence.
    void add(std::span<const float> samples, double atSec, Side side);

    // The next stretch of the mix, or nothing when there is nothing to hand out.
    // Without `final` it waits for the slower side, up to `holdBackSamples`; with it,
    // everything that has arrived goes out.
    std::optional<Chunk> take(bool final);

    // Closes both sides' phrases; returns all the turns.
    std::vector<Turn> finish();

    // Timeline position of the first sample not yet handed out.
    std::int64_t next() const { return next_; }

    // Storage held for samples not yet handed out or not yet analysed, in samples.
    std::size_t reservedSamples() const;

private:
    struct Track {
        SampleBuffer buffer;               // not yet handed out; element 0 is at `next_`
        std::optional<std::int64_t> end;    // one past the furthest position written
        std::optional<std::int64_t> cursor; // where the previous chunk ended
        Segmenter segmenter;
        std::vector<float> frame;           // handed out, not yet analysed; under one frame
    };

    Track &track(Side side) { return tracks_[sideIndex(side)]; }
    std::int64_t endOf(Side side) const;
    void analyse(std::span<const float> host, std::span<const float> guests);
    void analyseFrame(std::span<const float> host, std::span<const float> guests);
    void merge(Side side, const std::optional<Phrase> &phrase);

    std::int64_t next_ = 0;
    std::array<Track, 2> tracks_;
    std::int64_t framesDone_ = 0;
    std::vector<Turn> turns_;
};

} // namespace murva
