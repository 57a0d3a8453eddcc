#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace murva {

// A program that shows the desktop's sound settings, with its arguments.
struct SoundSettingsCommand {
    QString program; // found in PATH, absolute
    QStringList arguments;
};

// The sound settings of the running desktop when installed, else a stand-alone mixer.
// `currentDesktop` is $XDG_CURRENT_DESKTOP (a colon-separated list such as "ubuntu:GNOME").
std::optional<SoundSettingsCommand> findSoundSettings(const QString &currentDesktop);

// Starts the sound settings detached. False when none is installed or it cannot start.
bool openSoundSettings();

} // namespace murva
