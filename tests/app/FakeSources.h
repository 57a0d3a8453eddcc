#pragma once

// The desktop as the tests make it up: its windows and displays, and the programs using
// sound. Header only, without GoogleTest, as the benchmarks use it too.

#include "calls/AudioProcessSource.h"
#include "screen/ScreenContentSource.h"

#include <QTimer>
#include <qcorotimer.h>

#include <chrono>
#include <functional>

namespace murva::test {

// A window on screen; without an application identifier it has no owner.
inline ShareableWindow window(std::uint32_t id, QRectF frame, const QString &bundleID = QStringLiteral("us.zoom.xos"),
                              const QString &title = QStringLiteral("Zoom Meeting"), bool onScreen = true, int layer = 0)
{
    ShareableWindow made;
    made.windowID = id;
    made.title = title;
    made.frame = frame;
    made.isOnScreen = onScreen;
    made.windowLayer = layer;
    if (!bundleID.isEmpty()) {
        made.owningApplication = RunningApplication{bundleID, QStringLiteral("App"), 100 + id};
    }
    return made;
}

// Answers `shown`; none is a refusal of the display. May take its time, like a slow one.
struct FakeScreen : ScreenContentSource {
    std::optional<ShareableContent> shown = ShareableContent{};
    std::chrono::milliseconds delay{0};
    std::function<void()> whileAsked;
    int asked = 0;
    std::optional<bool> askedOnScreenOnly;

    QCoro::Task<std::optional<ShareableContent>> content(bool onScreenOnly) override
    {
        ++asked;
        askedOnScreenOnly = onScreenOnly;
        if (whileAsked) {
            whileAsked();
        }
        if (delay > std::chrono::milliseconds(0)) {
            QTimer timer;
            timer.setSingleShot(true);
            timer.start(delay);
            co_await timer;
        }
        std::optional<ShareableContent> copy = shown; // a copy: QCoro 0.8 moves a co_returned lvalue away
        co_return copy;
    }
};

struct FakeProcesses : AudioProcessSource {
    std::vector<AudioProcess> now;
    QCoro::Task<std::vector<AudioProcess>> processes() override
    {
        std::vector<AudioProcess> copy = now;
        co_return copy;
    }
};

} // namespace murva::test
