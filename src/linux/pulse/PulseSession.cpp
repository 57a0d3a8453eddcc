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
    return std::nullopt;
}

std::optional<QString> PulseSession::connectStreams(const std::string &monitor, PulseConnection::Deadline deadline)
{
    host_ = std::make_unique<RecordStream>(connection_.context(), Side::host, eventsFor());
    guests_ = std::make_unique<RecordStream>(connection_.context(), Side::guests, eventsFor());
    // The microphone follows the default source when the user changes it. The computer's
    // sound must not: when its output disappears the server would move the stream to
    // the default source, the microphone, and the user would be heard as the guests.
    // Pinned, it fails instead and the capture reports itself broken.
    if (auto error = host_->connect(nullptr, PA_STREAM_NOFLAGS))
        return error;
    if (auto error = guests_->connect(monitor.c_str(), PA_STREAM_DONT_MOVE))
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
    events.stateChanged = [this](pa_stream_state_t state) {
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
            reportBroken();
        connection_.wake();
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
