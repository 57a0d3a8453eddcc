#include "pulse/PulseStreamListing.h"

#include <pulse/introspect.h>

namespace murva {
namespace {

// Filled on the loop thread, read by the waiting thread once both lists are over.
struct Listing {
    PulseConnection *connection;
    std::vector<PulseStreamFacts> streams;
    bool playbackComplete = false;
    bool recordingComplete = false;
    bool failed = false;
};

QString property(const pa_proplist *properties, const char *key)
{
    const char *value = properties ? pa_proplist_gets(properties, key) : nullptr;
    return value ? QString::fromUtf8(value) : QString();
}

PulseStreamFacts factsOf(bool isRecording, int corked, const pa_proplist *properties)
{
    PulseStreamFacts facts;
    facts.isRecording = isRecording;
    facts.isCorked = corked != 0;
    facts.processID = property(properties, PA_PROP_APPLICATION_PROCESS_ID);
    facts.applicationID = property(properties, PA_PROP_APPLICATION_ID);
    facts.processBinary = property(properties, PA_PROP_APPLICATION_PROCESS_BINARY);
    return facts;
}

// Loop thread, lock held: `last` is 1 after the final entry and negative on an error.
void endOfList(Listing &listing, int last, bool &complete)
{
    if (last < 0) {
        listing.failed = true;
    }
    complete = true;
    listing.connection->wake();
}

void onPlayback(pa_context *, const pa_sink_input_info *info, int last, void *data)
{
    auto &listing = *static_cast<Listing *>(data);
    if (last != 0) {
        endOfList(listing, last, listing.playbackComplete);
    } else if (info) {
        listing.streams.push_back(factsOf(false, info->corked, info->proplist));
    }
}

void onRecording(pa_context *, const pa_source_output_info *info, int last, void *data)
{
    auto &listing = *static_cast<Listing *>(data);
    if (last != 0) {
        endOfList(listing, last, listing.recordingComplete);
    } else if (info) {
        listing.streams.push_back(factsOf(true, info->corked, info->proplist));
    }
}

} // namespace

std::optional<std::vector<PulseStreamFacts>> listStreams(PulseConnection &connection,
                                                         PulseConnection::Deadline deadline)
{
    Listing listing{&connection, {}};
    pa_context *context = connection.context();
    // Both questions go out at once: one round trip instead of two.
    pa_operation *playback = pa_context_get_sink_input_info_list(context, &onPlayback, &listing);
    pa_operation *recording = pa_context_get_source_output_info_list(context, &onRecording, &listing);
    // `finish` cancels an operation that is late, so no callback touches `listing`
    // after this returns. An operation cancelled because the server went away never
    // reaches the end of its list.
    const bool playbackDone = connection.finish(playback, deadline);
    const bool recordingDone = connection.finish(recording, deadline);
    if (!playbackDone || !recordingDone || listing.failed || !listing.playbackComplete
        || !listing.recordingComplete) {
        return std::nullopt;
    }
    return std::move(listing.streams);
}

} // namespace murva
