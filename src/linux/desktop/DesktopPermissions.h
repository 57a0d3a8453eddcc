#pragma once

#include "desktop/Permissions.h"

#include <chrono>
#include <memory>
#include <string>

namespace murva {

class X11ConnectionOpener;

// The recorder's permissions on a Linux desktop, where nothing prompts: the microphone
// is allowed when the sound server has a default input, the screen when the X display
// ($DISPLAY) can be opened. A Wayland-only session has no screen access.
class DesktopPermissions final : public Permissions {
public:
    // The longest a read waits for the sound server or the X display.
    static constexpr std::chrono::milliseconds kAnswerWait{500};

    // `serverAddress` as libpulse takes it; empty for the user's default server.
    explicit DesktopPermissions(std::string serverAddress = {});
    ~DesktopPermissions() override;

    bool microphoneAllowed() override;
    bool screenAllowed() override;
    // Opens the desktop's sound settings, where the user picks an input.
    bool askForMicrophone() override;

private:
    std::string serverAddress_;
    // Kept, so that a display that accepted and never answered is not waited for again.
    std::unique_ptr<X11ConnectionOpener> opener_;
};

} // namespace murva
