// Termination signals reach the app as a Qt signal on its own thread, once each.

#include "SignalRelay.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace murva {
namespace {

// Runs the event loop for `ms` milliseconds.
void runLoop(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

TEST(SignalRelay, EachSignalArrivesOnceOnTheMainThreadInOrder)
{
    SignalRelay relay;
    ASSERT_TRUE(relay.isActive());
    std::vector<int> received;
    QObject::connect(&relay, &SignalRelay::quitRequested, [&received](int signalNumber) {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        received.push_back(signalNumber);
    });

    std::raise(SIGTERM);
    EXPECT_TRUE(received.empty()) << "never from inside the handler";
    runLoop(200);
    EXPECT_EQ(received, std::vector<int>{SIGTERM});

    std::raise(SIGINT);
    std::raise(SIGHUP);
    runLoop(200);
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
}

volatile std::sig_atomic_t earlierHandlerRan = 0;
extern "C" void earlierHandler(int) { earlierHandlerRan = 1; }

TEST(SignalRelay, GivesTheSignalsBackWhenGoneAndOnlyOneRelaysAtATime)
{
    struct sigaction earlier {};
    earlier.sa_handler = &earlierHandler;
    struct sigaction before {};
    ASSERT_EQ(sigaction(SIGHUP, &earlier, &before), 0);
    {
        SignalRelay relay;
        SignalRelay second;
        EXPECT_TRUE(relay.isActive());
        EXPECT_FALSE(second.isActive()) << "a second relay would steal the first one's pipe";
    }
    std::raise(SIGHUP);
    EXPECT_EQ(earlierHandlerRan, 1);
    sigaction(SIGHUP, &before, nullptr);
}

} // namespace
} // namespace murva
