#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <cstdint>

namespace murva::test {

// Watches the event loop of the thread it lives on, turning every 10 ms, and keeps the
// longest time it did not turn: some work blocked that thread. Time the thread only
// waited for a processor (the run delay of /proc/thread-self/schedstat) is left out,
// so a busy machine does not look like a blocked loop.
class LoopWatchdog {
public:
    // A stall longer than this fails the test that awaits with the watchdog on.
    static constexpr std::chrono::milliseconds stallLimit{100};

    // Turned on for the whole test program by the tests of code that must never block
    // the main thread (see WatchLoop.cpp).
    static bool &onForEveryAwait();

    LoopWatchdog();

    // Stops watching, counting the time since the last turn too (work that never
    // returned to the loop at all); the longest stall seen.
    std::chrono::milliseconds stop();

private:
    void tick();

    QTimer ticker_;
    QElapsedTimer sinceTick_;
    std::int64_t runDelayNs_ = 0;
    std::int64_t longestStallNs_ = 0;
};

} // namespace murva::test
