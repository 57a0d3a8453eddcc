#include "pulse/PulseAudioProcesses.h"

#include "pulse/AudioStreamOwners.h"
#include "pulse/PulseConnection.h"
#include "pulse/PulseStreamListing.h"

#include <QCoroFuture>
#include <QPromise>

#include <unistd.h>

namespace murva {
namespace {

bool hasEnded(const PulseConnection &connection)
{
    const pa_context_state_t state = pa_context_get_state(connection.context());
    return state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
}

} // namespace

PulseAudioProcesses::PulseAudioProcesses(std::string serverAddress, qint64 ownProcessID, QString procRoot)
    : serverAddress_(std::move(serverAddress)), ownProcessID_(ownProcessID), procRoot_(std::move(procRoot))
{
}

PulseAudioProcesses::~PulseAudioProcesses()
{
    if (!connection_) {
        return;
    }
    // Its waiters get an empty answer rather than none.
    PulseConnection::Lock lock(*connection_);
    if (running_) {
        running_->abandon();
    }
}

qint64 PulseAudioProcesses::currentProcessID()
{
    return ::getpid();
}

QCoro::Task<std::vector<AudioProcess>> PulseAudioProcesses::processes()
{
    if (!listing_.isValid() || listing_.isFinished()) {
        listing_ = startListing();
    }
    const Listing listing = listing_;
    // Nothing of `this` is touched after the wait: the source may be gone by then.
    co_return co_await listing;
}

void PulseAudioProcesses::keepUsableConnection()
{
    if (connection_ && isUnusable()) {
        connection_.reset();
    }
    if (!connection_) {
        stoppedAnswering_ = false;
        connection_ = std::make_unique<PulseConnection>();
        // Without waiting: the listing waits on the loop thread for the context to be
        // ready. A missing server fails at once; a mute one stays connecting and later
        // polls look at it again.
        connection_->connect(serverAddress_, PulseConnection::Deadline());
    }
}

bool PulseAudioProcesses::isUnusable()
{
    if (!connection_->context()) {
        return true;
    }
    PulseConnection::Lock lock(*connection_);
    return stoppedAnswering_ || hasEnded(*connection_);
}

PulseAudioProcesses::Listing PulseAudioProcesses::startListing()
{
    keepUsableConnection();
    auto promise = std::make_shared<QPromise<std::vector<AudioProcess>>>();
    Listing listing = promise->future();
    promise->start();
    // Loop thread, lock held: the owners are looked up in /proc there too, off the
    // caller's thread.
    auto done = [this, promise, ownProcessID = ownProcessID_, procRoot = procRoot_](
                    PulseListingEnd how, std::vector<PulseStreamFacts> streams) {
        if (how == PulseListingEnd::failed) {
            stoppedAnswering_ = true;
        }
        promise->addResult(how == PulseListingEnd::complete ? audioProcessesOf(streams, ownProcessID, procRoot)
                                                             : std::vector<AudioProcess>());
        promise->finish();
    };
    PulseConnection::Lock lock(*connection_);
    PulseStreamListing::start(*connection_, kAnswerWait, std::move(done), &running_);
    return listing;
}

} // namespace murva
