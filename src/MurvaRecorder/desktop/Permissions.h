#pragma once

namespace murva {

// What the system lets the recorder use. Reading asks nothing and shows nothing, so it
// may be done as often as the model likes (at launch, before each recording, when the
// app comes to the front). Called on the main thread.
class Permissions {
public:
    virtual ~Permissions() = default;

    // The microphone can be recorded now.
    virtual bool microphoneAllowed() = 0;

    // Windows and displays can be listed and recorded now.
    virtual bool screenAllowed() = 0;

    // Asks for the microphone or shows the user where to allow it. Returns at once; the
    // answer shows at a later read of microphoneAllowed(). False when there was nothing
    // to ask and nowhere to send the user.
    virtual bool askForMicrophone() = 0;
};

} // namespace murva
