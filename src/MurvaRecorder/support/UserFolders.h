#pragma once

#include <QString>

namespace murva::UserFolders {

// The XDG base folders, read from the environment each time (tests point them elsewhere).
QString home();
QString stateHome();  // $XDG_STATE_HOME, else ~/.local/state
QString dataHome();   // $XDG_DATA_HOME, else ~/.local/share
QString configHome(); // $XDG_CONFIG_HOME, else ~/.config

// Where recordings wait until they are saved: "Murva Recorder/Recordings" in dataHome().
QString recordingsFolder();

} // namespace murva::UserFolders
