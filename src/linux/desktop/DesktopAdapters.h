#pragma once

#include "desktop/Autostart.h"
#include "desktop/BrowserOpener.h"
#include "desktop/Permissions.h"
#include "desktop/Relauncher.h"
#include "update/UpdateSource.h"

#include <QString>
#include <QStringList>

#include <memory>

// The Linux adapters of the desktop ports. The executable's path is this process's own
// (QCoreApplication must exist).
namespace murva::Adapters {

// xdg-open, which honours $BROWSER where no desktop is detected.
std::unique_ptr<BrowserOpener> browserOpener();

// "$XDG_CONFIG_HOME/autostart/murva-recorder.desktop" starting `executablePath` (saved
// at start-up); nothing can be registered when it is not an installed program.
std::unique_ptr<Autostart> autostart(const QString &executablePath);

// Newer builds installed over the program at `executablePath`; none when it is not an
// installed program (a build folder).
std::unique_ptr<UpdateSource> installedUpdates(const QString &executablePath, const QStringList &arguments,
                                               const QString &compiledVersion);

// The sound server's default input and the X display; asking opens the sound settings.
std::unique_ptr<Permissions> permissions();

// `executablePath` (saved at start-up) with `arguments`, a second after the process has
// quit.
std::unique_ptr<Relauncher> relauncher(const QString &executablePath, const QStringList &arguments);

} // namespace murva::Adapters
