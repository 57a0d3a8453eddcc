#include "pulse/PulseSoundCapture.h"

#include "pulse/PulseSession.h"

#include <chrono>
#include <thread>

namespace murva {

PulseSoundCapture::PulseSoundCapture(std::string serverAddress)
    : serverAddress_(std::move(serverAddress))
{
}

PulseSoundCapture::~PulseSoundCapture()
{
    stop();
}

std::optional<QString> PulseSoundCapture::start(Callbacks callbacks)
{
    stop();
    const auto deadline = std::chrono::steady_clock::now()
        + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                          std::chrono::duration<double>(startTimeoutSec));
    auto session = std::make_unique<PulseSession>(std::move(callbacks));
    if (auto error = session->open(serverAddress_, deadline))
        return error;
    session_ = std::move(session);
    return std::nullopt;
}

void PulseSoundCapture::stop()
{
    if (!session_)
        return;
    std::unique_ptr<PulseSession> session = std::move(session_);
    session->silence();
    if (session->inLoopThread()) {
        // Called from our own callback: the loop thread cannot join itself, so another
        // thread finishes the teardown as soon as this callback returns.
        std::thread([ending = std::move(session)]() mutable { ending.reset(); }).detach();
        return;
    }
    session.reset();
}

} // namespace murva
