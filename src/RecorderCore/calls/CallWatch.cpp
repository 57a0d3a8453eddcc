#include "calls/CallWatch.h"

namespace murva {

std::optional<CallEvent> CallWatch::observe(const Snapshot &snapshot, Time now)
{
    if (!current_) {
        current_ = call(snapshot);
        if (!current_)
            return std::nullopt;
        quietSince_.reset();
        return CallEvent::started(*current_);
    }
    if (ended(*current_, snapshot, now)) {
        current_.reset();
        quietSince_.reset();
        return CallEvent::ended();
    }
    return improvement(snapshot);
}

std::optional<Call> CallWatch::call(const Snapshot &in)
{
    for (CallApp app : allCases<CallApp>()) {
        if (in.input.contains(AudioOwner::app(app)))
            return Call{app, std::nullopt, true, AudioOwner::app(app)};
    }
    if (!in.input.contains(AudioOwner::browser()))
        return std::nullopt;
    if (in.page)
        return Call{in.page->app, in.page->joinUrl, true, AudioOwner::browser()};
    return Call{CallApp::other, std::nullopt, false, AudioOwner::browser()};
}

// Nothing while the call is active; otherwise how long it may stay quiet.
std::optional<double> CallWatch::quietLimitSec(const Call &call, const Snapshot &snapshot) const
{
    const bool inMicrophone = snapshot.input.contains(call.owner);
    const bool inSound = snapshot.output.contains(call.owner);
    if (inMicrophone)
        return std::nullopt;
    if (!call.owner.isBrowser())
        return inSound ? std::nullopt : std::optional(quietSec);
    if (!inSound)
        return quietSec;
    // The browser plays sound without the microphone: a visible call page means the user
    // is still in the call (muted, or listening only).
    return snapshot.page ? std::nullopt : std::optional(browserQuietSec);
}

bool CallWatch::ended(const Call &call, const Snapshot &snapshot, Time now)
{
    const std::optional<double> limitSec = quietLimitSec(call, snapshot);
    if (!limitSec) {
        quietSince_.reset();
        return false;
    }
    if (!quietSince_)
        quietSince_ = now;
    const std::chrono::duration<double> quiet = now - *quietSince_;
    return quiet.count() >= *limitSec;
}

// Only a browser call without a join address can learn more about itself; it never
// switches owner, and once the address is known it stays.
std::optional<CallEvent> CallWatch::improvement(const Snapshot &snapshot)
{
    if (!current_->owner.isBrowser() || current_->joinUrl || !snapshot.page)
        return std::nullopt;
    if (!snapshot.page->joinUrl && current_->sure)
        return std::nullopt;
    current_ = Call{snapshot.page->app, snapshot.page->joinUrl, true, AudioOwner::browser()};
    return CallEvent::changed(*current_);
}

} // namespace murva
