#pragma once

#include "calls/CallWatch.h"
#include "capture/CaptureTarget.h"

#include <QCoroTask>
#include <QString>

#include <memory>
#include <optional>

namespace murva {

class ScreenAccess;

// What to record for a call, and the recorder's own program (left out of a display).
struct ChosenTarget {
    CaptureTarget target;
    std::optional<RunningApplication> own;
};

// A recording started by hand with no call found: there is no window to follow, so it
// records the main display.
inline Call noCall()
{
    return Call{CallApp::other, std::nullopt, true, AudioOwner::app(CallApp::other)};
}

// The call's largest on-screen window: a window of the call's own app, or for a browser
// call a browser window (preferring those whose title is a call page).
std::optional<ShareableWindow> callWindow(const ShareableContent &content, const Call &call);

// The call's window, else the main display, else the first display. Throws
// SaveError::failed without screen content or without any display.
QCoro::Task<ChosenTarget> targetFor(std::shared_ptr<ScreenAccess> screen, const Call &call);

// The same choice over content already at hand.
ChosenTarget targetIn(const ShareableContent &content, const Call &call);

// The recorder's own program among the content's applications.
std::optional<RunningApplication> ownApplication(const ShareableContent &content);

// A frame's width and height as whole numbers: "1280×720".
QString sizeText(const QRectF &frame);

// For the log: "screen 1 1920×1080" or "window Zoom “Zoom Meeting” 1280×720".
QString describe(const CaptureTarget &target);
QString describe(const ShareableWindow &window);
QString describe(const ShareableDisplay &display);

} // namespace murva
