#pragma once

#include "recordings/RecordingStore.h"
#include "support/Files.h"

#include <atomic>
#include <ostream>

namespace murva {

inline void PrintTo(const Recording &recording, std::ostream *out)
{
    *out << encodeRecording(recording).toStdString();
}

namespace test {

// 2025-12-06 10:00:00.00025 UTC plus `minutes`: a fraction of a millisecond on purpose.
inline SystemTime morning(int minutes = 0)
{
    return timeFromMillisecondsSince1970(1765015200000.25) + std::chrono::minutes(minutes);
}

// A clock the test sets by hand, readable from any thread.
struct ManualClock {
    std::atomic<SystemTime> now{morning(60)};
    RecordingStore::Clock function()
    {
        return [this] { return now.load(); };
    }
};

inline Recording sampleRecording(const QString &id, SystemTime at, Recording::Status status = Recording::Status::failed)
{
    Recording recording(id, "Weekly sync", CallApp::meet, at, QUrl("https://meet.google.com/abc-defg-hij"));
    recording.durationSec = 1834.57;
    recording.turns = {{0.0, 12.3, Side::host}, {11.9, 40.1, Side::guests}};
    recording.status = status;
    return recording;
}

} // namespace test
} // namespace murva
