#pragma once

#include "screen/ScreenContentSource.h"

#include <functional>
#include <memory>

namespace murva {

// The gate in front of the screen: it hands out the desktop's windows and displays and,
// once the system has refused them in this run, asks nothing more until the user allows
// it again. One is shared by everything that reads the screen, so a refusal seen by one
// holds for all. Used on the main thread only, and always held by a shared pointer.
class ScreenAccess : public std::enable_shared_from_this<ScreenAccess> {
public:
    // Without a source there is no content, and no refusal either.
    explicit ScreenAccess(std::shared_ptr<ScreenContentSource> source = nullptr);

    bool blocked() const { return blocked_; }

    // Called after a refusal; the model reopens the welcome window from it.
    void setOnBlocked(std::function<void()> callback);

    // Marks access as refused: logs once, forgets the check of this version, tells the model.
    void block();

    // Clears a refusal once the user allows the screen again.
    void unblock();

    // The desktop's content, or nothing while blocked, without a source, or when the
    // source fails (which blocks).
    QCoro::Task<std::optional<ShareableContent>> content(bool onScreenOnly);

private:
    std::shared_ptr<ScreenContentSource> source_;
    std::function<void()> onBlocked_;
    bool blocked_ = false;
};

} // namespace murva
