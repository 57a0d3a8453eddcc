#include "SignalRelay.h"

#include <QPointer>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace murva {
namespace {

// Read by the handler; lock-free so that reading it there is safe.
std::atomic<int> relayWriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void relaySignal(int signalNumber)
{
    const int savedErrno = errno; // the interrupted code may be about to read errno
    const int fd = relayWriteFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const unsigned char number = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(fd, &number, 1);
    }
    errno = savedErrno;
}

} // namespace

SignalRelay::SignalRelay(QObject *parent)
    : QObject(parent)
{
    int fds[2];
    // Non-blocking both ways: a flood of signals must never block the handler, and
    // draining must stop when the pipe is empty.
    if (relayWriteFd.load() >= 0 || ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    notifier_ = new QSocketNotifier(readFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalRelay::readPending);
    relayWriteFd.store(writeFd_);

    struct sigaction action {};
    action.sa_handler = &relaySignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // blocking calls elsewhere carry on rather than fail with EINTR
    active_ = true;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], &action, &previous_[i]) != 0) {
            active_ = false;
        }
    }
}

SignalRelay::~SignalRelay()
{
    if (readFd_ < 0) {
        return;
    }
    restoreHandlers();
    relayWriteFd.store(-1);
    delete notifier_;
    ::close(writeFd_);
    ::close(readFd_);
}

void SignalRelay::restoreHandlers()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &previous_[i], nullptr);
    }
}

void SignalRelay::readPending()
{
    std::vector<int> delivered;
    unsigned char numbers[64];
    ssize_t count;
    while ((count = ::read(readFd_, numbers, sizeof numbers)) > 0) {
        delivered.insert(delivered.end(), numbers, numbers + count);
    }
    // A receiver may quit and delete the relay from its slot.
    const QPointer<SignalRelay> alive(this);
    for (const int signalNumber : delivered) {
        if (!alive) {
            return;
        }
        emit quitRequested(signalNumber);
    }
}

} // namespace murva
