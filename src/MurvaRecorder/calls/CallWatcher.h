#pragma once

#include "calls/AudioProcessSource.h"
#include "calls/CallWatch.h"

#include <QCoroTask>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace murva {

class ScreenAccess;

// Connects the call watch to the running computer: every poll it asks which programs
// use the microphone and which play sound, looks for a call page among the browsers'
// windows when a browser is involved, and hands the watch's events to `onEvent`.
// Lives on the main thread.
class CallWatcher : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<CallWatch::Time()>;
    static constexpr std::chrono::milliseconds kPollInterval{2000};

    // The browsers' windows come through `screen`. `clock` defaults to the monotonic
    // clock; tests hand in their own, and may poll more often than every two seconds.
    CallWatcher(std::unique_ptr<AudioProcessSource> processes, std::shared_ptr<ScreenAccess> screen, Clock clock = {},
                         std::chrono::milliseconds pollInterval = kPollInterval, QObject *parent = nullptr);
    ~CallWatcher() override;

    // Set by the recording flow before `start`; runs on the main thread.
    std::function<void(const CallEvent &)> onEvent;

    // Polls from now on for as long as the watcher lives. Polls are not serialised: one
    // that waits for the windows lets the next one run meanwhile.
    void start();

    // One poll. The timer runs it; it may also be run directly.
    QCoro::Task<> tick();

    // Who uses the microphone and who plays sound right now; never a page.
    QCoro::Task<Snapshot> sound() const;

    // The first call page among the browsers' windows, those off screen included.
    static QCoro::Task<std::optional<CallPage>> callPage(std::shared_ptr<ScreenAccess> screen);

    const CallWatch &watch() const { return watch_; }

private:
    static Snapshot snapshotOf(const std::vector<AudioProcess> &processes);

    std::unique_ptr<AudioProcessSource> processes_;
    std::shared_ptr<ScreenAccess> screen_;
    Clock clock_;
    std::chrono::milliseconds pollInterval_;
    CallWatch watch_;
    QTimer *timer_ = nullptr;
};

} // namespace murva
