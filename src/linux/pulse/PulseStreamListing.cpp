#include "pulse/PulseStreamListing.h"

#include <pulse/rtclock.h>
#include <pulse/timeval.h>

namespace murva {
namespace {

// A context still connecting is looked at again this often; connecting takes a few
// round trips, so a handful of looks at most.
constexpr pa_usec_t kRetryUsec = 10 * PA_USEC_PER_MSEC;

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

bool isOver(pa_context_state_t state)
{
    return state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
}

void freeEvent(PulseConnection &connection, pa_time_event *&event)
{
    if (event) {
        pa_threaded_mainloop_get_api(connection.loop())->time_free(event);
        event = nullptr;
    }
}

// Cancelled, its callback never runs again.
void cancel(pa_operation *&operation)
{
    if (operation) {
        pa_operation_cancel(operation);
        pa_operation_unref(operation);
        operation = nullptr;
    }
}

} // namespace

void PulseStreamListing::start(PulseConnection &connection, std::chrono::milliseconds timeLimit,
                               PulseListingDone done, PulseStreamListing **running)
{
    auto *listing = new PulseStreamListing(connection, std::move(done), running);
    if (!connection.context()) {
        listing->end(PulseListingEnd::failed);
        return;
    }
    const auto limitUsec = pa_usec_t(std::chrono::duration_cast<std::chrono::microseconds>(timeLimit).count());
    listing->timeLimit_ = pa_context_rttime_new(connection.context(), pa_rtclock_now() + limitUsec, &onTimeLimit,
                                                listing);
    listing->askWhenReady();
}

PulseStreamListing::PulseStreamListing(PulseConnection &connection, PulseListingDone done,
                                       PulseStreamListing **running)
    : connection_(connection), done_(std::move(done)), running_(running)
{
    *running_ = this;
}

PulseStreamListing::~PulseStreamListing() = default;

void PulseStreamListing::abandon()
{
    end(PulseListingEnd::failed);
}

void PulseStreamListing::askWhenReady()
{
    const pa_context_state_t state = pa_context_get_state(connection_.context());
    if (state == PA_CONTEXT_READY) {
        ask();
    } else if (isOver(state)) {
        end(PulseListingEnd::failed);
    } else {
        retry_ = pa_context_rttime_new(connection_.context(), pa_rtclock_now() + kRetryUsec, &onRetry, this);
    }
}

void PulseStreamListing::ask()
{
    pa_context *context = connection_.context();
    // Both questions go out at once: one round trip instead of two.
    playback_ = pa_context_get_sink_input_info_list(context, &onPlayback, this);
    recording_ = pa_context_get_source_output_info_list(context, &onRecording, this);
    if (!playback_ || !recording_) {
        end(PulseListingEnd::failed);
    }
}

void PulseStreamListing::end(PulseListingEnd how)
{
    cancel(playback_);
    cancel(recording_);
    freeEvent(connection_, timeLimit_);
    freeEvent(connection_, retry_);
    *running_ = nullptr;
    PulseListingDone done = std::move(done_);
    done(how, how == PulseListingEnd::complete ? std::move(streams_) : std::vector<PulseStreamFacts>());
    delete this;
}

// `last` is 1 after the final entry and negative on an error.
void PulseStreamListing::endOfList(int last, bool &complete)
{
    if (last < 0) {
        failed_ = true;
    }
    complete = true;
    if (playbackComplete_ && recordingComplete_) {
        end(failed_ ? PulseListingEnd::failed : PulseListingEnd::complete);
    }
}

void PulseStreamListing::onPlayback(pa_context *, const pa_sink_input_info *info, int last, void *self)
{
    auto &listing = *static_cast<PulseStreamListing *>(self);
    if (last != 0) {
        listing.endOfList(last, listing.playbackComplete_);
    } else if (info) {
        listing.streams_.push_back(factsOf(false, info->corked, info->proplist));
    }
}

void PulseStreamListing::onRecording(pa_context *, const pa_source_output_info *info, int last, void *self)
{
    auto &listing = *static_cast<PulseStreamListing *>(self);
    if (last != 0) {
        listing.endOfList(last, listing.recordingComplete_);
    } else if (info) {
        listing.streams_.push_back(factsOf(true, info->corked, info->proplist));
    }
}

void PulseStreamListing::onTimeLimit(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self)
{
    auto &listing = *static_cast<PulseStreamListing *>(self);
    listing.end(listing.retry_ ? PulseListingEnd::notReady : PulseListingEnd::failed);
}

void PulseStreamListing::onRetry(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self)
{
    auto &listing = *static_cast<PulseStreamListing *>(self);
    freeEvent(listing.connection_, listing.retry_);
    listing.askWhenReady();
}

} // namespace murva
