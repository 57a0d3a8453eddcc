#include "calls/CallWatcher.h"

#include "screen/ScreenAccess.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace murva {
namespace {

bool involvesBrowser(const Snapshot &snapshot)
{
    return snapshot.input.contains(AudioOwner::browser()) || snapshot.output.contains(AudioOwner::browser());
}

bool isBrowserWindow(const ShareableWindow &window)
{
    if (!window.owningApplication) {
        return false;
    }
    const std::optional<AudioOwner> owner = audioOwner(window.owningApplication->bundleIdentifier);
    return owner && owner->isBrowser();
}

} // namespace

CallWatcher::CallWatcher(std::unique_ptr<AudioProcessSource> processes, std::shared_ptr<ScreenAccess> screen,
                         Clock clock, std::chrono::milliseconds pollInterval, QObject *parent)
    : QObject(parent), processes_(std::move(processes)), screen_(std::move(screen)), clock_(std::move(clock)),
      pollInterval_(pollInterval)
{
    if (!clock_) {
        clock_ = [] { return std::chrono::steady_clock::now(); };
    }
}

CallWatcher::~CallWatcher() = default;

void CallWatcher::start()
{
    delete timer_;
    timer_ = new QTimer(this);
    timer_->setInterval(pollInterval_);
    // The timer dies with the watcher, so a firing never reaches a destroyed one; a poll
    // already waiting checks for itself (see `tick`).
    connect(timer_, &QTimer::timeout, this, [this] { tick(); });
    timer_->start();
}

QCoro::Task<> CallWatcher::tick()
{
    const QPointer<CallWatcher> alive(this);
    QCoro::Task<Snapshot> hearing = sound();
    Snapshot snapshot = co_await hearing;
    if (!alive) {
        co_return;
    }
    // Without a proven screen capture a browser call stays `other`, not sure.
    if (involvesBrowser(snapshot) && Settings().screenChecked()) {
        QCoro::Task<std::optional<CallPage>> finding = callPage(screen_);
        std::optional<CallPage> page = co_await finding;
        if (!alive) {
            co_return;
        }
        snapshot.page = std::move(page);
    }
    // Taken after the wait, so that the quiet is measured up to what was seen.
    const CallWatch::Time now = clock_();
    const std::optional<CallEvent> event = watch_.observe(snapshot, now);
    if (event && onEvent) {
        onEvent(*event);
    }
}

QCoro::Task<Snapshot> CallWatcher::sound() const
{
    QCoro::Task<std::vector<AudioProcess>> asking = processes_->processes();
    const std::vector<AudioProcess> processes = co_await asking;
    co_return snapshotOf(processes);
}

Snapshot CallWatcher::snapshotOf(const std::vector<AudioProcess> &processes)
{
    Snapshot snapshot;
    // The recorder's own capture must never look like a call.
    const qint64 ownProcessID = QCoreApplication::applicationPid();
    for (const AudioProcess &process : processes) {
        if (process.processID == ownProcessID) {
            continue;
        }
        const std::optional<AudioOwner> owner = audioOwner(process.bundleIdentifier);
        if (!owner) {
            continue;
        }
        if (process.isRunningInput) {
            snapshot.input.insert(*owner);
        }
        if (process.isRunningOutput) {
            snapshot.output.insert(*owner);
        }
    }
    return snapshot;
}

QCoro::Task<std::optional<CallPage>> CallWatcher::callPage(std::shared_ptr<ScreenAccess> screen)
{
    QCoro::Task<std::optional<ShareableContent>> asking = screen->content(false);
    const std::optional<ShareableContent> content = co_await asking;
    if (!content) {
        co_return std::nullopt;
    }
    for (const ShareableWindow &window : content->windows) {
        if (!isBrowserWindow(window) || window.title.isEmpty()) {
            continue;
        }
        if (std::optional<CallPage> page = murva::callPage(window.title)) {
            co_return page;
        }
    }
    co_return std::nullopt;
}

} // namespace murva
