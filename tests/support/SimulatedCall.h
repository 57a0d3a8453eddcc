#pragma once

#include <QProcess>

namespace murva::test {

// scripts/simulate-call on the private desktop: a Zoom window, a program posing as Zoom
// holding the microphone, and voices on both sides. It runs in a process group of its
// own so that hangUp() releases the microphone at once, wherever the script stands.
class SimulatedCall {
public:
    // On `display` (an X display name) instead of the test's own DISPLAY when given.
    explicit SimulatedCall(int seconds, const QString &display = {});
    ~SimulatedCall();

    SimulatedCall(const SimulatedCall &) = delete;
    SimulatedCall &operator=(const SimulatedCall &) = delete;

    // Waits for the script's "call started" line; false if it failed to start.
    bool waitUntilStarted(double limitSec = 20);
    // Waits for the script to hang up by itself after its seconds.
    bool waitUntilHungUp(double limitSec);
    // Ends the call now: every program of the call gets SIGTERM.
    void hangUp();

private:
    QProcess process_;
    QByteArray output_;
};

} // namespace murva::test
