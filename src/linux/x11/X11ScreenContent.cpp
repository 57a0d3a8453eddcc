#include "x11/X11ScreenContent.h"

#include "x11/X11ContentReader.h"

#include <QCoroFuture>
#include <QPromise>
#include <QThreadPool>

#include <algorithm>
#include <utility>

namespace murva {
namespace {

// Every reading lists all windows; each caller keeps what it asked for.
std::optional<ShareableContent> keptFor(std::optional<ShareableContent> content, bool onScreenOnly)
{
    if (content && onScreenOnly) {
        std::erase_if(content->windows, [](const ShareableWindow &window) { return !window.isOnScreen; });
    }
    return content;
}

} // namespace

X11ScreenContent::X11ScreenContent(QString procRoot, std::chrono::milliseconds deadline)
    : reader_(std::make_shared<X11ContentReader>(std::move(procRoot), deadline))
{
}

X11ScreenContent::~X11ScreenContent() = default;

QCoro::Task<std::optional<ShareableContent>> X11ScreenContent::content(bool onScreenOnly)
{
    if (!running_.isValid() || running_.isFinished()) {
        running_ = startReading();
    }
    const Reading reading = running_;
    // Nothing of `this` is touched after the wait: the source may be gone by then.
    std::optional<ShareableContent> content = co_await reading;
    co_return keptFor(std::move(content), onScreenOnly);
}

std::optional<ShareableContent> X11ScreenContent::contentNow(bool onScreenOnly)
{
    return reader_->read(onScreenOnly);
}

X11ScreenContent::Reading X11ScreenContent::startReading()
{
    auto promise = std::make_shared<QPromise<std::optional<ShareableContent>>>();
    Reading reading = promise->future();
    promise->start();
    // The global pool is waited for when the application ends, so no reading outlives it.
    QThreadPool::globalInstance()->start([reader = reader_, promise] {
        promise->addResult(reader->read(false));
        promise->finish();
    });
    return reading;
}

} // namespace murva
