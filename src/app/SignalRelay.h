#pragma once

#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

namespace murva {

// Turns SIGTERM, SIGINT and SIGHUP into one Qt signal on the thread that created the
// relay (the main thread), so that a termination request or Ctrl-C ends the app through
// its normal quit path, and a running recording is ended and kept as on a quit from the
// menu. The handler itself only writes the signal's number into a pipe (all a signal
// handler may safely do); a socket notifier reads it back in the event loop.
//
// One relay at a time per process; the previous handlers come back when it is destroyed.
class SignalRelay : public QObject {
    Q_OBJECT
public:
    static constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

    explicit SignalRelay(QObject *parent = nullptr);
    ~SignalRelay() override;

    // False when the pipe or a handler could not be set up; then nothing is relayed.
    bool isActive() const { return active_; }

signals:
    // Once per signal delivered, in the order delivered.
    void quitRequested(int signalNumber);

private:
    void readPending();
    void restoreHandlers();

    int readFd_ = -1;
    int writeFd_ = -1;
    QSocketNotifier *notifier_ = nullptr;
    std::array<struct sigaction, kSignals.size()> previous_{};
    bool active_ = false;
};

} // namespace murva
