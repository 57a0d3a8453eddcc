#include "desktop/DesktopPermissions.h"

#include "desktop/DefaultMicrophone.h"
#include "desktop/SoundSettings.h"
#include "x11/X11ConnectionOpener.h"

namespace murva {

DesktopPermissions::DesktopPermissions(std::string serverAddress)
    : serverAddress_(std::move(serverAddress)), opener_(std::make_unique<X11ConnectionOpener>())
{
}

DesktopPermissions::~DesktopPermissions() = default;

bool DesktopPermissions::microphoneAllowed()
{
    return hasDefaultMicrophone(serverAddress_, kAnswerWait);
}

// DISPLAY is read at each call: the session may gain or lose its display meanwhile.
bool DesktopPermissions::screenAllowed()
{
    return opener_->open(qgetenv("DISPLAY"), QDeadlineTimer(kAnswerWait)) != nullptr;
}

bool DesktopPermissions::askForMicrophone()
{
    return openSoundSettings();
}

} // namespace murva
