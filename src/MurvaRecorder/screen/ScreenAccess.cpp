#include "screen/ScreenAccess.h"

#include "log/Log.h"
#include "settings/Settings.h"

namespace murva::ScreenAccess {
namespace {

struct State {
    std::shared_ptr<ScreenContentSource> source;
    std::function<void()> onBlocked;
    bool blocked = false;
};

State &state()
{
    static State shared;
    return shared;
}

} // namespace

void setSource(std::shared_ptr<ScreenContentSource> source)
{
    state().source = std::move(source);
}

bool blocked()
{
    return state().blocked;
}

void setOnBlocked(std::function<void()> callback)
{
    state().onBlocked = std::move(callback);
}

void block()
{
    if (state().blocked) {
        return;
    }
    Log::write(QStringLiteral("screen: the system refused it; nothing reads the screen until Allow"));
    state().blocked = true;
    Settings().setScreenChecked(false);
    if (state().onBlocked) {
        state().onBlocked();
    }
}

void unblock()
{
    state().blocked = false;
}

QCoro::Task<std::optional<ShareableContent>> content(bool onScreenOnly)
{
    if (state().blocked || !state().source) {
        co_return std::nullopt;
    }
    // Keep the source alive across the wait even if it is replaced meanwhile.
    const std::shared_ptr<ScreenContentSource> source = state().source;
    std::optional<ShareableContent> content = co_await source->content(onScreenOnly);
    if (!content) {
        block();
    }
    co_return content;
}

} // namespace murva::ScreenAccess
