#pragma once

#include "identity/ProcessFacts.h"
#include "screen/ShareableContent.h"

#include <QDeadlineTimer>
#include <QString>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

namespace murva {

class X11Connection;
class X11ConnectionOpener;

// Reads the desktop's windows, displays and programs from the X display named by
// DISPLAY, waiting for the display (at most `deadline`) and reading /proc: never on the
// main thread. Keeps one connection and opens a new one when it broke or DISPLAY
// changed. Safe to call from any thread; calls run one at a time.
class X11ContentReader {
public:
    // `procRoot` is where process facts are read (tests hand in a fake tree).
    X11ContentReader(QString procRoot, std::chrono::milliseconds deadline);
    ~X11ContentReader();

    // Nothing when the display cannot be reached or misses the deadline.
    std::optional<ShareableContent> read(bool onScreenOnly);

private:
    X11Connection *connection(QDeadlineTimer deadline);

    std::mutex reading_;
    QString procRoot_;
    std::chrono::milliseconds deadline_;
    std::unique_ptr<X11ConnectionOpener> opener_;
    std::unique_ptr<X11Connection> connection_;
};

} // namespace murva
