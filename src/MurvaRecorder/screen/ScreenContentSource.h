#pragma once

#include "screen/ShareableContent.h"

#include <QCoroTask>

#include <optional>

namespace murva {

// Port: the windows, displays and programs of the desktop. The X11 adapter lives with
// the Linux adapters; tests use a fake.
class ScreenContentSource {
public:
    virtual ~ScreenContentSource() = default;

    // Nothing when the content cannot be had (no display, or the display refused).
    virtual QCoro::Task<std::optional<ShareableContent>> content(bool onScreenOnly) = 0;
};

} // namespace murva
