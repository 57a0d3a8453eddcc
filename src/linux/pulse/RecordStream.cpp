#include "pulse/RecordStream.h"

#include "pulse/PulseProperties.h"

#include <pulse/error.h>
#include <pulse/introspect.h>

#include <cstring>
#include <ctime>
#include <span>

namespace murva {
namespace {

// What we ask for; the server converts whatever its source has.
constexpr pa_sample_spec wantedFormat{PA_SAMPLE_FLOAT32NE, Resampler::outputRate, 1};

// Short enough for a live level meter and prompt turns, long enough that the read
// callback does not run more than about 50 times a second.
constexpr pa_usec_t fragmentUsec = 20'000;

// libpulse's own timing updates back off to one every 1.5 s. A sink's latency changes
// within that time, and a stale figure shifts every stamp by the difference.
constexpr std::int64_t timingRefreshNs = 100'000'000;

std::int64_t monotonicNowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

bool isWanted(const pa_sample_spec &given)
{
    return given.format == wantedFormat.format && given.rate == wantedFormat.rate
        && given.channels == wantedFormat.channels;
}

std::optional<PcmFormat> pcmFormatOf(const pa_sample_spec &given)
{
    std::optional<PcmFormat::Sample> sample;
    switch (given.format) {
    case PA_SAMPLE_U8:
        sample = PcmFormat::Sample::u8;
        break;
    case PA_SAMPLE_S16NE:
        sample = PcmFormat::Sample::s16;
        break;
    case PA_SAMPLE_S32NE:
        sample = PcmFormat::Sample::s32;
        break;
    case PA_SAMPLE_FLOAT32NE:
        sample = PcmFormat::Sample::f32;
        break;
    default:
        break;
    }
    if (!sample || given.rate == 0 || given.channels == 0)
        return std::nullopt;
    return PcmFormat{*sample, static_cast<int>(given.rate), static_cast<int>(given.channels)};
}

} // namespace

RecordStream::RecordStream(pa_context *context, Side side, Events events)
    : side_(side)
    , events_(std::move(events))
{
    pa_channel_map mono;
    pa_channel_map_init_mono(&mono);
    const auto properties = PulseProperties::forStream(side);
    stream_ = pa_stream_new_with_proplist(context, PulseProperties::streamName(side), &wantedFormat, &mono,
                                          properties.get());
    if (!stream_)
        return;
    pa_stream_set_state_callback(stream_, &RecordStream::onState, this);
    pa_stream_set_read_callback(stream_, &RecordStream::onRead, this);
    pa_stream_set_moved_callback(stream_, &RecordStream::onMoved, this);
}

RecordStream::~RecordStream()
{
    if (!stream_)
        return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_moved_callback(stream_, nullptr, nullptr);
    pa_stream_unref(stream_);
}

std::optional<QString> RecordStream::connect(const char *device, pa_stream_flags_t extraFlags)
{
    if (!stream_)
        return QStringLiteral("cannot create the %1 stream").arg(PulseProperties::streamName(side_));
    pa_buffer_attr buffering{};
    buffering.maxlength = static_cast<std::uint32_t>(-1);
    buffering.tlength = static_cast<std::uint32_t>(-1);
    buffering.prebuf = static_cast<std::uint32_t>(-1);
    buffering.minreq = static_cast<std::uint32_t>(-1);
    buffering.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(fragmentUsec, &wantedFormat));
    // ADJUST_LATENCY makes fragsize the source's latency rather than our buffer's;
    // AUTO_TIMING_UPDATE keeps the device and transport latencies current.
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE
                                                      | extraFlags);
    if (pa_stream_connect_record(stream_, device, &buffering, flags) < 0)
        return QStringLiteral("cannot record %1: %2")
            .arg(PulseProperties::streamName(side_),
                 QString::fromUtf8(pa_strerror(pa_context_errno(pa_stream_get_context(stream_)))));
    return std::nullopt;
}

pa_stream_state_t RecordStream::state() const
{
    return stream_ ? pa_stream_get_state(stream_) : PA_STREAM_FAILED;
}

bool RecordStream::hasEnded() const
{
    const pa_stream_state_t now = state();
    return now == PA_STREAM_FAILED || now == PA_STREAM_TERMINATED;
}

std::string RecordStream::deviceName() const
{
    const char *name = isReady() ? pa_stream_get_device_name(stream_) : nullptr;
    return name ? name : std::string();
}

void RecordStream::pinTo(std::string device)
{
    pinnedDevice_ = std::move(device);
}

void RecordStream::moveTo(const std::string &device)
{
    if (!isReady())
        return;
    pa_context *context = pa_stream_get_context(stream_);
    pa_operation *operation
        = pa_context_move_source_output_by_name(context, pa_stream_get_index(stream_), device.c_str(), nullptr, nullptr);
    if (operation)
        pa_operation_unref(operation);
}

bool RecordStream::isOnPinnedDevice() const
{
    return !pinnedDevice_ || (!pinnedDevice_->empty() && deviceName() == *pinnedDevice_);
}

std::optional<QString> RecordStream::prepareFormat()
{
    const pa_sample_spec *given = pa_stream_get_sample_spec(stream_);
    if (!given || isWanted(*given))
        return std::nullopt;
    if (const std::optional<PcmFormat> format = pcmFormatOf(*given)) {
        resampler_ = std::make_unique<Resampler>(*format);
        if (resampler_->isValid())
            return std::nullopt;
    }
    char text[PA_SAMPLE_SPEC_SNPRINT_MAX];
    return QStringLiteral("unreadable sound format %1 for %2")
        .arg(QString::fromUtf8(pa_sample_spec_snprint(text, sizeof text, given)),
             PulseProperties::streamName(side_));
}

void RecordStream::onRead(pa_stream *, size_t, void *self)
{
    static_cast<RecordStream *>(self)->readAll();
}

void RecordStream::onState(pa_stream *stream, void *self)
{
    auto *record = static_cast<RecordStream *>(self);
    if (record->events_.stateChanged)
        record->events_.stateChanged(pa_stream_get_state(stream));
}

// The new device's latency differs from the old one's: sound is stamped again only with
// figures the server gave after the move, and what is held came from the old device.
void RecordStream::onMoved(pa_stream *, void *self)
{
    auto *record = static_cast<RecordStream *>(self);
    record->timingSettled_ = false;
    record->timingAskedNs_ = 0;
    record->held_.clear();
    if (record->events_.moved)
        record->events_.moved();
}

void RecordStream::readAll()
{
    refreshTiming();
    if (!isOnPinnedDevice()) {
        held_.clear();
        discardAll();
        return;
    }
    // Everything queued is taken in one go, and consecutive pieces become one buffer:
    // the server hands over sound in uneven pieces, often several per fragment.
    std::optional<SoundBuffer> pending;
    while (pa_stream_readable_size(stream_) > 0) {
        const std::size_t queuedBytes = pa_stream_readable_size(stream_);
        const void *data = nullptr;
        std::size_t bytes = 0;
        if (pa_stream_peek(stream_, &data, &bytes) < 0 || bytes == 0)
            break;
        if (!data) {
            // A hole in the server's buffer: what follows is stamped afresh, so it lands
            // after the gap, and the gap stays silent.
            held_.clear();
            deliver(pending);
            pa_stream_drop(stream_);
            continue;
        }
        double delaySec = 0;
        std::vector<float> samples = toMono(data, bytes, delaySec);
        pa_stream_drop(stream_);
        if (!timingSettled_) {
            hold(samples);
            continue;
        }
        if (!pending) {
            pending.emplace();
            pending->side = side_;
            pending->monotonicNs = firstSampleNs(queuedBytes) - static_cast<std::int64_t>(delaySec * 1e9);
            takeHeld(*pending);
        }
        pending->samples.insert(pending->samples.end(), samples.begin(), samples.end());
    }
    deliver(pending);
}

void RecordStream::hold(const std::vector<float> &samples)
{
    held_.insert(held_.end(), samples.begin(), samples.end());
    if (held_.size() > maxHeldSamples)
        held_.erase(held_.begin(), held_.end() - static_cast<std::ptrdiff_t>(maxHeldSamples));
}

// What was held runs without a break into the first stamped sound, so it ends where
// that begins. `buffer` holds no samples yet.
void RecordStream::takeHeld(SoundBuffer &buffer)
{
    if (held_.empty())
        return;
    buffer.monotonicNs -= static_cast<std::int64_t>(static_cast<double>(held_.size()) * 1e9 / Resampler::outputRate);
    buffer.samples = std::move(held_);
    held_.clear();
}

void RecordStream::refreshTiming()
{
    const std::int64_t nowNs = monotonicNowNs();
    if (nowNs - timingAskedNs_ < timingRefreshNs)
        return;
    timingAskedNs_ = nowNs;
    pa_operation *operation = pa_stream_update_timing_info(stream_, &RecordStream::onTiming, this);
    if (!operation) {
        // Nothing better will come; the stamps make do with what there is.
        timingSettled_ = true;
        return;
    }
    pa_operation_unref(operation);
}

void RecordStream::onTiming(pa_stream *, int, void *self)
{
    static_cast<RecordStream *>(self)->timingSettled_ = true;
}

void RecordStream::discardAll()
{
    while (pa_stream_readable_size(stream_) > 0) {
        const void *data = nullptr;
        std::size_t bytes = 0;
        if (pa_stream_peek(stream_, &data, &bytes) < 0 || bytes == 0)
            return;
        pa_stream_drop(stream_);
    }
}

void RecordStream::deliver(std::optional<SoundBuffer> &pending)
{
    if (pending && !pending->samples.empty() && events_.deliver)
        events_.deliver(std::move(*pending));
    pending.reset();
}

std::int64_t RecordStream::firstSampleNs(std::size_t queuedBytes) const
{
    // The newest queued sample has only just arrived, so the first one was captured the
    // queue's length ago, plus the time it spent in the source's device buffer and on
    // the way to us. A monitor hands out sound before its sink has played it: that
    // part lies in the future. pa_stream_get_latency is avoided on purpose: its
    // interpolated clock may not run backwards, so after an overestimate it stands
    // still while we read on, and stamps drifted ahead by a few hundred milliseconds.
    const pa_sample_spec *given = pa_stream_get_sample_spec(stream_);
    auto ageUsec = static_cast<std::int64_t>(pa_bytes_to_usec(queuedBytes, given));
    if (const pa_timing_info *timing = pa_stream_get_timing_info(stream_)) {
        ageUsec += static_cast<std::int64_t>(timing->transport_usec)
            + static_cast<std::int64_t>(timing->source_usec) - static_cast<std::int64_t>(timing->sink_usec);
    }
    return monotonicNowNs() - ageUsec * 1000;
}

std::vector<float> RecordStream::toMono(const void *data, std::size_t bytes, double &delaySec)
{
    const pa_sample_spec *given = pa_stream_get_sample_spec(stream_);
    if (isWanted(*given)) {
        std::vector<float> samples(bytes / sizeof(float));
        std::memcpy(samples.data(), data, samples.size() * sizeof(float));
        return samples;
    }
    const std::optional<PcmFormat> format = pcmFormatOf(*given);
    if (!format)
        return {};
    if (!resampler_ || resampler_->input() != *format)
        resampler_ = std::make_unique<Resampler>(*format);
    delaySec = resampler_->delaySec();
    return resampler_->convert(std::span(static_cast<const std::byte *>(data), bytes));
}

} // namespace murva
