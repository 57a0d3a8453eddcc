#pragma once

#include "identity/ProcessFacts.h"
#include "screen/ScreenContentSource.h"

#include <QFuture>
#include <QString>

#include <chrono>
#include <memory>

namespace murva {

class X11ContentReader;

// The desktop's windows, displays and programs, read from the X display named by
// DISPLAY on a worker thread, so that neither the display nor /proc can keep the
// calling thread waiting. Used on one thread (the main thread).
class X11ScreenContent : public ScreenContentSource {
public:
    // A local display answers in about a millisecond; one that takes `deadline` is hung.
    static constexpr std::chrono::milliseconds kDefaultDeadline{2000};

    // `procRoot` is where process facts are read (tests hand in a fake tree).
    explicit X11ScreenContent(QString procRoot = kProcRoot, std::chrono::milliseconds deadline = kDefaultDeadline);
    ~X11ScreenContent() override;

    // Suspends while a worker reads; resumes on the calling thread. Callers that ask
    // while a reading runs share it rather than start another, so readings never
    // overlap. A display that stops answering gives nothing after the deadline.
    QCoro::Task<std::optional<ShareableContent>> content(bool onScreenOnly) override;

    // The same, read on the calling thread (for tools and tests).
    std::optional<ShareableContent> contentNow(bool onScreenOnly);

private:
    using Reading = QFuture<std::optional<ShareableContent>>;
    Reading startReading();

    // Shared with the worker, which may outlive this object by one reading.
    std::shared_ptr<X11ContentReader> reader_;
    Reading running_;
};

} // namespace murva
