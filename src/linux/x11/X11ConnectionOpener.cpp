#include "x11/X11ConnectionOpener.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace murva {

struct X11ConnectionOpener::Attempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    xcb_connection_t *connection = nullptr;
    int screenNumber = 0;
};

std::unique_ptr<X11Connection> X11ConnectionOpener::open(const QByteArray &displayName, QDeadlineTimer deadline)
{
    if (displayName.isEmpty()) {
        return nullptr;
    }
    if (stuck_) {
        const std::lock_guard lock(stuck_->mutex);
        if (!stuck_->done) {
            return nullptr;
        }
    }
    stuck_.reset();

    auto attempt = std::make_shared<Attempt>();
    std::thread([attempt, displayName] {
        int screenNumber = 0;
        xcb_connection_t *connection = xcb_connect(displayName.constData(), &screenNumber);
        const std::lock_guard lock(attempt->mutex);
        attempt->done = true;
        if (attempt->abandoned) {
            xcb_disconnect(connection);
            return;
        }
        attempt->connection = connection;
        attempt->screenNumber = screenNumber;
        attempt->finished.notify_all();
    }).detach();

    std::unique_lock lock(attempt->mutex);
    const std::chrono::milliseconds remaining(std::max<qint64>(0, deadline.remainingTime()));
    const bool done = attempt->finished.wait_for(lock, remaining, [&] { return attempt->done; });
    if (!done) {
        attempt->abandoned = true;
        stuck_ = attempt;
        return nullptr;
    }
    if (xcb_connection_has_error(attempt->connection)) {
        xcb_disconnect(attempt->connection); // XCB wants even a failed connection freed
        return nullptr;
    }
    return X11Connection::adopt(attempt->connection, attempt->screenNumber, displayName, deadline);
}

} // namespace murva
