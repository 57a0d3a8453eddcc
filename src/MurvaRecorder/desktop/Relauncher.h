#pragma once

namespace murva {

// Starts this program again shortly after the current process has quit, so that a
// permission granted meanwhile applies (it applies only to new processes). Called on
// the main thread; the caller quits right after.
class Relauncher {
public:
    virtual ~Relauncher() = default;

    // False when the new process could not be arranged; the caller quits anyway.
    virtual bool relaunchSoon() = 0;
};

} // namespace murva
