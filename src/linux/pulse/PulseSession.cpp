#include "pulse/PulseSession.h"

namespace murva {

PulseSession::PulseSession(SoundCapture::Callbacks callbacks)
    : callbacks_(std::move(callbacks))
{
    connection_.onLost = [this] { reportBroken(); };
}

PulseSession::~PulseSession()
{
    // The streams' callbacks must be over before the streams go.
    connection_.stopLoop();
}

std::optional<QString> PulseSession::open(const std::string &server, PulseConnection::Deadline deadline)
{
    if (auto error = connection_.connect(server, deadline))
        return error;
    PulseConnection::Lock lock(connection_);
    const std::optional<std::string> monitor = connection_.defaultSinkMonitor(deadline);
    if (!monitor) {
        if (!connection_.isReady())
            return QStringLiteral("the sound server went away: ") + connection_.lastError();
        return QStringLiteral("no default output to record the computer's sound from");
    }
    if (auto error = connectStreams(*monitor, deadline))
        return error;
    running_ = true;
    defaults_ = std::make_unique<DefaultDevices>(connection_.context(),
                                                 [this](const DefaultDevices::Defaults &now) { follow(now); });
    defaults_->start();
    return std::nullopt;
}

std::optional<QString> PulseSession::connectStreams(const std::string &monitor, PulseConnection::Deadline deadline)
{
    host_ = std::make_unique<RecordStream>(connection_.context(), Side::host, eventsFor());
    guests_ = std::make_unique<RecordStream>(connection_.context(), Side::guests, eventsFor());
    if (auto error = host_->connect(nullptr, PA_STREAM_NOFLAGS))
        return error;
    guests_->pinTo(monitor);
    if (auto error = guests_->connect(monitor.c_str(), PA_STREAM_NOFLAGS))
        return error;

    const auto settled = [this] {
        return (host_->isReady() && guests_->isReady()) || host_->hasEnded() || guests_->hasEnded();
    };
    connection_.waitUntil(settled, deadline);
    for (RecordStream *stream : {host_.get(), guests_.get()}) {
        const QString which = stream == host_.get() ? QStringLiteral("microphone") : QStringLiteral("computer sound");
        if (stream->hasEnded() || !connection_.isReady())
            return QStringLiteral("cannot record the %1: %2").arg(which, connection_.lastError());
        if (!stream->isReady())
            return QStringLiteral("the %1 stream did not start in time").arg(which);
        if (auto error = stream->prepareFormat())
            return error;
    }
    return std::nullopt;
}

// Loop thread, lock held: brings the streams in line with the server's defaults.
void PulseSession::follow(const DefaultDevices::Defaults &defaults)
{
    if (!running_ || silenced_ || !connection_.isReady())
        return;
    keepOn(host_, Side::host, defaults.source);
    keepOn(guests_, Side::guests, defaults.sinkMonitor);
}

// Loop thread, lock held. Moving also serves servers that do not move streams to a new
// default themselves. A stream that cannot start again leaves its side silent; the next
// change of the devices tries again.
void PulseSession::keepOn(std::unique_ptr<RecordStream> &stream, Side side, const std::string &device)
{
    stream->pinTo(device);
    if (device.empty())
        return;
    // A stream whose connection could not even be asked for stays unconnected.
    if (stream->hasEnded() || stream->state() == PA_STREAM_UNCONNECTED) {
        stream = std::make_unique<RecordStream>(connection_.context(), side, eventsFor());
        stream->pinTo(device);
        stream->connect(device.c_str(), PA_STREAM_NOFLAGS);
    } else if (stream->isReady() && stream->deviceName() != device) {
        stream->moveTo(device);
    }
}

void PulseSession::silence()
{
    PulseConnection::Lock lock(connection_);
    silenced_ = true;
}

RecordStream::Events PulseSession::eventsFor()
{
    RecordStream::Events events;
    events.deliver = [this](SoundBuffer buffer) {
        if (running_ && !silenced_ && callbacks_.deliver)
            callbacks_.deliver(std::move(buffer));
    };
    // Only the server's end breaks a recording (the connection reports that). A stream
    // that ended with its device is opened again by `follow`; one that never ran waits
    // for the next change of the devices, so that a refusing server is not asked again
    // and again.
    events.stateChanged = [this, ran = std::make_shared<bool>(false)](pa_stream_state_t state) {
        if (state == PA_STREAM_READY)
            *ran = true;
        const bool ended = state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED;
        if (ended && *ran && running_ && connection_.isReady() && defaults_)
            defaults_->ask();
        connection_.wake();
    };
    events.moved = [this] {
        if (running_ && defaults_)
            defaults_->ask();
    };
    return events;
}

void PulseSession::reportBroken()
{
    if (!running_ || silenced_ || brokenReported_)
        return;
    brokenReported_ = true;
    if (callbacks_.broken)
        callbacks_.broken();
}

} // namespace murva
