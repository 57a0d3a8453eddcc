#include "pulse/PulseAudioProcesses.h"

#include "pulse/AudioStreamOwners.h"
#include "pulse/PulseConnection.h"
#include "pulse/PulseStreamListing.h"

#include <unistd.h>

namespace murva {
namespace {

pa_context_state_t stateOf(PulseConnection &connection)
{
    if (!connection.context()) {
        return PA_CONTEXT_FAILED;
    }
    PulseConnection::Lock lock(connection);
    return pa_context_get_state(connection.context());
}

bool hasEnded(PulseConnection &connection)
{
    const pa_context_state_t state = stateOf(connection);
    return state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
}

} // namespace

PulseAudioProcesses::PulseAudioProcesses(std::string serverAddress, qint64 ownProcessID, QString procRoot)
    : serverAddress_(std::move(serverAddress)), ownProcessID_(ownProcessID), procRoot_(std::move(procRoot))
{
}

PulseAudioProcesses::~PulseAudioProcesses() = default;

qint64 PulseAudioProcesses::currentProcessID()
{
    return ::getpid();
}

std::vector<AudioProcess> PulseAudioProcesses::processes()
{
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    if (!haveReadyConnection(deadline)) {
        return {};
    }
    std::optional<std::vector<PulseStreamFacts>> streams;
    {
        PulseConnection::Lock lock(*connection_);
        streams = listStreams(*connection_, deadline);
    }
    if (!streams) {
        // Gone, or stopped answering: start afresh at the next poll rather than wait for
        // this connection at every one.
        connection_.reset();
        return {};
    }
    return audioProcessesOf(*streams, ownProcessID_, procRoot_);
}

bool PulseAudioProcesses::haveReadyConnection(std::chrono::steady_clock::time_point deadline)
{
    if (connection_ && hasEnded(*connection_)) {
        connection_.reset();
    }
    if (!connection_) {
        connection_ = std::make_unique<PulseConnection>();
        // A missing server fails at once. One that has not answered by the deadline
        // stays connecting on the loop thread; later polls look at it without waiting.
        connection_->connect(serverAddress_, deadline);
    }
    return stateOf(*connection_) == PA_CONTEXT_READY;
}

} // namespace murva
