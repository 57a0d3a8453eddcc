#pragma once

#include "capture/Capture.h"

#include <QCoroTask>
#include <QString>

#include <functional>
#include <memory>

namespace murva {

class ScreenAccess;

// Proves, once per version of the recorder, that the screen can really be recorded: a
// half-second capture aimed where a recording with no call would aim, into a scratch
// file that is removed again. A pass is stored under "screenChecked-" + version, so an
// update checks again. A refusal of the screen blocks screen access for the run.
// Used on the main thread.
class ScreenCheck {
public:
    // Builds the ports of one capture without video (the Linux adapters, or fakes).
    using MakePorts = std::function<CapturePorts()>;

    ScreenCheck(std::shared_ptr<ScreenAccess> screen, MakePorts makePorts, double captureSec = 0.5);

    // Whether the check passed in this version (read from the settings).
    bool checked() const;
    // Whether a check is under way.
    bool checking() const { return checking_; }

    // Runs the check unless it passed already in this version or is under way, and
    // answers whether it has passed. The caller asks for permission first and shows the
    // result afterwards; this never throws.
    QCoro::Task<bool> checkScreen();

    // "murva-recorder-check.mp4" in the user's temporary folder.
    static QString filePath();

private:
    QCoro::Task<bool> captureBriefly();

    std::shared_ptr<ScreenAccess> screen_;
    MakePorts makePorts_;
    double captureSec_;
    bool checking_ = false;
};

} // namespace murva
