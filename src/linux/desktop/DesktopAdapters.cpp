#include "desktop/DesktopAdapters.h"

#include "desktop/DesktopPermissions.h"
#include "desktop/ShellRelauncher.h"
#include "desktop/XdgAutostart.h"
#include "desktop/XdgBrowserOpener.h"

#include <QCoreApplication>

namespace murva::Adapters {

std::unique_ptr<BrowserOpener> browserOpener()
{
    return std::make_unique<XdgBrowserOpener>();
}

std::unique_ptr<Autostart> autostart()
{
    return std::make_unique<XdgAutostart>(QCoreApplication::applicationFilePath());
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
