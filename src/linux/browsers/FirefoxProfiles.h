#pragma once

#include <QString>
#include <QStringList>

// Where the Firefox family keeps its profiles for one user.
namespace murva::FirefoxProfiles {

// The folders that may hold a profiles.ini, newest layout first: the XDG config folder
// (`configHome`, where current Firefox makes new profiles), then `~/.mozilla`, each for
// the distribution's package, the Flatpak and the Snap.
QStringList profileRoots(const QString &home, const QString &configHome);

// The profile folders that a profiles.ini lists, in its order; nothing when it cannot
// be read. `Path` is relative to the file's folder when `IsRelative=1`.
QStringList profilesIn(const QString &iniPath);

// Every profile folder of every root, each once even when two roots reach it (a
// `~/.mozilla` linked to the XDG folder, an absolute path listed twice).
QStringList profileFolders(const QString &home, const QString &configHome);

// Whether a running Firefox has the profile open, wherever it runs (package, Flatpak,
// Snap). A profile left by a crash is not in use.
bool isInUse(const QString &profileFolder);

} // namespace murva::FirefoxProfiles
