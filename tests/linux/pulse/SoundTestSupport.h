#pragma once

#include "capture/SoundCapture.h"
#include "support/PrivateServers.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace murva::test {

// Everything a capture hands out, kept per side for later inspection.
class SoundLog {
public:
    SoundCapture::Callbacks callbacks();

    std::vector<SoundBuffer> buffers(Side side) const;
    int deliveredCount() const { return delivered_; }
    int brokenCount() const { return broken_; }

private:
    mutable std::mutex mutex_;
    std::vector<SoundBuffer> buffers_;
    std::atomic<int> delivered_{0};
    std::atomic<int> broken_{0};
};

// Time of the first sample louder than `threshold`, not before `fromNs`, in
// CLOCK_MONOTONIC nanoseconds.
std::optional<std::int64_t> firstLoudNs(const std::vector<SoundBuffer> &buffers, float threshold = 0.1f,
                                        std::int64_t fromNs = 0);
// Same, of the last such sample.
std::optional<std::int64_t> lastLoudNs(const std::vector<SoundBuffer> &buffers, float threshold = 0.1f);

// A WAV file of kToneLeadSec silence, kToneSec of a loud 1-kHz tone and kToneTailSec
// silence, made once per test process; empty when sox failed.
inline constexpr double kToneLeadSec = 0.3, kToneSec = 0.5, kToneTailSec = 0.2;
QString toneFile();

// Plays a file into a sink and returns when it has played: the monotonic times just
// before the player started and just after it ended.
struct PlayWindow {
    std::int64_t beforeNs = 0;
    std::int64_t afterNs = 0;
    bool played = false;
};
PlayWindow playInto(const QString &sink, const QString &path, const QString &server = {});

// The latency a sink reports now, in seconds; nothing when it is not there.
std::optional<double> sinkLatencySec(const QString &sink, const QString &server = {});

// The properties of this process's record streams on the server, one map each.
std::vector<std::map<QString, QString>> ownSourceOutputs();

} // namespace murva::test
