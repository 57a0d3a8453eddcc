#pragma once

#include "pulse/PulseConnection.h"

#include <pulse/introspect.h>

#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace murva {

// What the sound server tells about one stream of a client, before anything is
// looked up in /proc. Empty texts are properties the stream does not carry.
struct PulseStreamFacts {
    bool isRecording = false; // a source output; otherwise a sink input (playback)
    bool isCorked = false;    // paused by its program: not running
    QString processID;        // "application.process.id"
    QString applicationID;    // "application.id"
    QString processBinary;    // "application.process.binary"

    bool operator==(const PulseStreamFacts &) const = default;
};

// How a listing ended. `notReady`: the context was still connecting at the time limit;
// `failed`: the context failed, refused to list, or did not send both lists complete
// within the time limit.
enum class PulseListingEnd { complete, notReady, failed };

using PulseListingDone = std::function<void(PulseListingEnd, std::vector<PulseStreamFacts>)>;

// One listing of every playback and record stream on the server, driven by the loop
// thread so that nobody waits for it. Waits for a context that is still connecting.
class PulseStreamListing {
public:
    // Lock held. `done` runs exactly once with the lock held: on the loop thread, or
    // at once when the context has already failed, or in `abandon`. The listing frees
    // itself after it. `*running` names the listing until then, and null after.
    static void start(PulseConnection &connection, std::chrono::milliseconds timeLimit, PulseListingDone done,
                      PulseStreamListing **running);

    // Lock held: ends the listing as failed now.
    void abandon();

private:
    PulseStreamListing(PulseConnection &connection, PulseListingDone done, PulseStreamListing **running);
    ~PulseStreamListing();

    void askWhenReady();
    void ask();
    void end(PulseListingEnd how);
    void endOfList(int last, bool &complete);

    static void onPlayback(pa_context *, const pa_sink_input_info *info, int last, void *self);
    static void onRecording(pa_context *, const pa_source_output_info *info, int last, void *self);
    static void onTimeLimit(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self);
    static void onRetry(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self);

    PulseConnection &connection_;
    PulseListingDone done_;
    PulseStreamListing **running_;
    std::vector<PulseStreamFacts> streams_;
    pa_operation *playback_ = nullptr;
    pa_operation *recording_ = nullptr;
    pa_time_event *timeLimit_ = nullptr;
    pa_time_event *retry_ = nullptr;
    bool playbackComplete_ = false;
    bool recordingComplete_ = false;
    bool failed_ = false;
};

} // namespace murva
