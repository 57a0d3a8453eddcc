#pragma once

#include "identity/ProcessFacts.h"
#include "screen/ScreenContentSource.h"

#include <QDeadlineTimer>
#include <QString>

#include <chrono>
#include <memory>

namespace murva {

class X11Connection;
class X11ConnectionOpener;

// The desktop's windows, displays and programs, read from the X display named by
// DISPLAY. Keeps one connection and opens a new one when it broke or DISPLAY changed.
// Used on one thread at a time (the main thread).
class X11ScreenContent : public ScreenContentSource {
public:
    // A local display answers in about a millisecond; one that takes `deadline` is hung.
    static constexpr std::chrono::milliseconds kDefaultDeadline{2000};

    // `procRoot` is where process facts are read (tests hand in a fake tree).
    explicit X11ScreenContent(QString procRoot = kProcRoot, std::chrono::milliseconds deadline = kDefaultDeadline);
    ~X11ScreenContent() override;

    // Answers at once; a display that stops answering is given up after the deadline.
    QCoro::Task<std::optional<ShareableContent>> content(bool onScreenOnly) override;

    std::optional<ShareableContent> contentNow(bool onScreenOnly);

private:
    X11Connection *connection(QDeadlineTimer deadline);

    QString procRoot_;
    std::chrono::milliseconds deadline_;
    std::unique_ptr<X11ConnectionOpener> opener_;
    std::unique_ptr<X11Connection> connection_;
};

} // namespace murva
