#pragma once

namespace murva {

// Whether the recorder opens by itself when the user logs in. Called on the main thread.
class Autostart {
public:
    virtual ~Autostart() = default;

    virtual bool registered() = 0;

    // Both return false when the change could not be made; the state is then unchanged.
    virtual bool registerAtLogin() = 0;
    virtual bool unregisterAtLogin() = 0;
};

} // namespace murva
