#include "screen/ScreenAccess.h"

#include "log/Log.h"
#include "settings/Settings.h"

namespace murva {

ScreenAccess::ScreenAccess(std::shared_ptr<ScreenContentSource> source) : source_(std::move(source)) {}

void ScreenAccess::setOnBlocked(std::function<void()> callback)
{
    onBlocked_ = std::move(callback);
}

void ScreenAccess::block()
{
    if (blocked_) {
        return;
    }
    Log::write(QStringLiteral("screen: the system refused it; nothing reads the screen until Allow"));
    blocked_ = true;
    Settings().setScreenChecked(false);
    if (onBlocked_) {
        onBlocked_();
    }
}

void ScreenAccess::unblock()
{
    blocked_ = false;
}

QCoro::Task<std::optional<ShareableContent>> ScreenAccess::content(bool onScreenOnly)
{
    if (blocked_ || !source_) {
        co_return std::nullopt;
    }
    // Whoever asked may let go of the gate during the wait; it stays until the answer.
    const std::shared_ptr<ScreenAccess> self = shared_from_this();
    const std::shared_ptr<ScreenContentSource> source = source_;
    std::optional<ShareableContent> content = co_await source->content(onScreenOnly);
    if (!content) {
        block();
    }
    co_return content;
}

} // namespace murva
