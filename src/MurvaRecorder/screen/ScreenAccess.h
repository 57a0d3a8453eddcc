#pragma once

#include "screen/ScreenContentSource.h"

#include <functional>
#include <memory>

// The process-wide gate in front of the screen: it hands out the desktop's windows and
// displays and, once the system has refused them in this run, asks nothing more until
// the user allows it again. Used on the main thread only.
namespace murva::ScreenAccess {

// Where the content comes from; set once at start (the X11 adapter, or a fake in tests).
void setSource(std::shared_ptr<ScreenContentSource> source);

bool blocked();

// Called after a refusal; the model reopens the welcome window from it.
void setOnBlocked(std::function<void()> callback);

// Marks access as refused: logs once, forgets the check of this version, tells the model.
void block();

// Clears a refusal once the user allows the screen again.
void unblock();

// The desktop's content, or nothing while blocked, without a source, or when the
// source fails (which blocks).
QCoro::Task<std::optional<ShareableContent>> content(bool onScreenOnly);

} // namespace murva::ScreenAccess
