#pragma once

#include <cstdint>
#include <optional>

namespace murva {

// A stretch of one side's speech, in seconds on the caller's timeline.
struct Phrase {
    double startSec = 0;
    double endSec = 0;

    bool operator==(const Phrase &) const = default;
};

// Voice-activity detector of one side: fed one loudness value per frame, it groups
// loud frames into phrases. A phrase opens on a loud frame, closes after a pause or
// at a maximum length, and is dropped when it holds too little speech.
//
// Every duration is a frame count times `frameSec` in double arithmetic, compared
// with >=. The rounding of those products decides the edges (30 × 0.03 is just under
// 0.9, so a pause needs 31 silent frames) and is kept on purpose.
//
// A plain value, used by one thread at a time.
struct Segmenter {
    // One frame: 1440 samples at 48000 per second.
    static constexpr double frameSec = 0.03;

    // Settings; may be changed before use.
    float threshold = 0.01f;   // loudness at or above this is speech
    double pauseSec = 0.9;     // silence this long closes the open phrase
    double maxSec = 20.0;      // a phrase this long is closed even while speech goes on
    double minSpeechSec = 0.5; // a closed phrase with less speech is dropped

    // State of the open phrase; `frames` is 0 when none is open.
    std::int64_t frames = 0;       // since the phrase opened, the opening frame included
    std::int64_t speechFrames = 0; // loud frames in the phrase
    std::int64_t silentFrames = 0; // silent frames since the last loud one
    double startSec = 0;           // time of the opening frame; kept after the phrase closes

    // One frame's loudness and time. A NaN loudness is not loud.
    std::optional<Phrase> push(float rms, double atSec);

    // Closes whatever is open.
    std::optional<Phrase> flush();
};

} // namespace murva
