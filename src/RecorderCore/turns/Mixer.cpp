#include "turns/Mixer.h"

#include "turns/Rms.h"

#include <algorithm>
#include <cmath>

namespace murva {

namespace {

// Nearest sample, halves away from zero; nothing when the time is not finite or the
// position does not fit 64 bits (llround would be undefined there).
std::optional<std::int64_t> samplePosition(double atSec)
{
    const double position = atSec * Mixer::rate;
    if (!std::isfinite(position) || position < -0x1p63 || position >= 0x1p63)
        return std::nullopt;
    return std::llround(position);
}

// |a - b| without overflow: the true distance always fits 64 unsigned bits.
std::uint64_t distance(std::int64_t a, std::int64_t b)
{
    return a >= b ? static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b)
                  : static_cast<std::uint64_t>(b) - static_cast<std::uint64_t>(a);
}

std::vector<float> mix(std::span<const float> host, std::span<const float> guests)
{
    // Buffered samples are finite, so the sum is never NaN.
    std::vector<float> mixed(host.size());
    for (std::size_t i = 0; i < mixed.size(); ++i)
        mixed[i] = std::clamp(host[i] + guests[i], -1.0f, 1.0f);
    return mixed;
}

} // namespace

void Mixer::add(std::span<const float> samples, double atSec, Side side)
{
    const std::optional<std::int64_t> placed = samplePosition(atSec);
    if (!placed)
        return;
    Track &sideTrack = track(side);
    std::int64_t start = *placed;
    if (sideTrack.cursor && distance(start, *sideTrack.cursor) < static_cast<std::uint64_t>(snapSamples))
        start = *sideTrack.cursor;
    if (start > next_ && distance(start, next_) > static_cast<std::uint64_t>(maxLeadSamples))
        start = std::max(sideTrack.cursor.value_or(next_), next_);

    sideTrack.cursor = start + static_cast<std::int64_t>(samples.size());

    if (start < next_) {
        // That stretch of the timeline has been handed out already.
        const auto late = std::min<std::uint64_t>(distance(next_, start), samples.size());
        samples = samples.subspan(static_cast<std::size_t>(late));
        start = next_;
    }
    if (samples.empty())
        return;

    sideTrack.buffer.addAt(static_cast<std::size_t>(start - next_), samples);
    sideTrack.end = std::max(sideTrack.end.value_or(0), start + static_cast<std::int64_t>(samples.size()));
}

std::int64_t Mixer::endOf(Side side) const
{
    return tracks_[sideIndex(side)].end.value_or(next_);
}

std::optional<Mixer::Chunk> Mixer::take(bool final)
{
    const std::int64_t earlier = std::min(endOf(Side::host), endOf(Side::guests));
    const std::int64_t later = std::max(endOf(Side::host), endOf(Side::guests));
    const std::int64_t target = final ? later : std::max(earlier, later - holdBackSamples);
    if (target <= next_)
        return std::nullopt;

    const auto count = static_cast<std::size_t>(target - next_);
    for (Track &side : tracks_)
        side.buffer.extendTo(count);
    const std::span<const float> host(track(Side::host).buffer.data(), count);
    const std::span<const float> guests(track(Side::guests).buffer.data(), count);

    Chunk chunk{next_, mix(host, guests)};
    analyse(host, guests);
    for (Track &side : tracks_)
        side.buffer.dropFront(count);
    next_ = target;
    return chunk;
}

void Mixer::analyse(std::span<const float> host, std::span<const float> guests)
{
    constexpr auto frameLength = static_cast<std::size_t>(frameSamples);
    std::vector<float> &hostFrame = track(Side::host).frame;
    std::vector<float> &guestsFrame = track(Side::guests).frame;
    // Both sides are handed out in equal lengths, so their partial frames stay equal.
    std::size_t used = 0;
    if (!hostFrame.empty()) {
        used = std::min(host.size(), frameLength - hostFrame.size());
        hostFrame.insert(hostFrame.end(), host.begin(), host.begin() + used);
        guestsFrame.insert(guestsFrame.end(), guests.begin(), guests.begin() + used);
        if (hostFrame.size() < frameLength)
            return;
        analyseFrame(hostFrame, guestsFrame);
        hostFrame.clear();
        guestsFrame.clear();
    }
    for (; host.size() - used >= frameLength; used += frameLength)
        analyseFrame(host.subspan(used, frameLength), guests.subspan(used, frameLength));
    hostFrame.assign(host.begin() + used, host.end());
    guestsFrame.assign(guests.begin() + used, guests.end());
}

void Mixer::analyseFrame(std::span<const float> host, std::span<const float> guests)
{
    const auto [hostLevel, guestsLevel] = rmsOfPair(host, guests);
    const double atSec = static_cast<double>(framesDone_) * Segmenter::frameSec;
    ++framesDone_;
    // The microphone also picks up the speakers: the host only counts as speaking when
    // it is more than twice as loud as the guests.
    const float hostLoudness = guestsLevel + guestsLevel < hostLevel ? hostLevel : 0.0f;
    merge(Side::host, track(Side::host).segmenter.push(hostLoudness, atSec));
    merge(Side::guests, track(Side::guests).segmenter.push(guestsLevel, atSec));
}

void Mixer::merge(Side side, const std::optional<Phrase> &phrase)
{
    if (phrase)
        turns_ = addTurn(std::move(turns_), side, phrase->startSec, phrase->endSec);
}

std::vector<Turn> Mixer::finish()
{
    for (Side side : bothSides)
        merge(side, track(side).segmenter.flush());
    return turns_;
}

std::size_t Mixer::reservedSamples() const
{
    std::size_t total = 0;
    for (const Track &side : tracks_)
        total += side.buffer.capacity() + side.frame.capacity();
    return total;
}

} // namespace murva
