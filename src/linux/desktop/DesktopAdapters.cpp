#include "desktop/DesktopAdapters.h"

#include "desktop/DesktopPermissions.h"
#include "desktop/InstallLayout.h"
#include "desktop/InstalledUpdates.h"
#include "desktop/ShellRelauncher.h"
#include "desktop/XdgAutostart.h"
#include "desktop/XdgBrowserOpener.h"

namespace murva::Adapters {

std::unique_ptr<BrowserOpener> browserOpener()
{
    return std::make_unique<XdgBrowserOpener>();
}

std::unique_ptr<Autostart> autostart(const QString &executablePath)
{
    // An entry pointing into a build folder would start a stale build, or nothing.
    return std::make_unique<XdgAutostart>(InstallLayout::isInstalled(executablePath) ? executablePath : QString());
}

std::unique_ptr<UpdateSource> installedUpdates(const QString &executablePath, const QStringList &arguments,
                                               const QString &compiledVersion)
{
    if (!InstallLayout::isInstalled(executablePath)) {
        return nullptr;
    }
    return std::make_unique<InstalledUpdates>(executablePath, arguments,
                                              InstallLayout::versionFileBeside(executablePath), compiledVersion);
}

std::unique_ptr<Permissions> permissions()
{
    return std::make_unique<DesktopPermissions>();
}

std::unique_ptr<Relauncher> relauncher(const QString &executablePath, const QStringList &arguments)
{
    return std::make_unique<ShellRelauncher>(executablePath, arguments);
}

} // namespace murva::Adapters
