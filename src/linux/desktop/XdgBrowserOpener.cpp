#include "desktop/XdgBrowserOpener.h"

#include "log/Log.h"

#include <QProcess>

namespace murva {

XdgBrowserOpener::XdgBrowserOpener(QString program)
    : program_(std::move(program))
{
}

bool XdgBrowserOpener::open(const QUrl &address)
{
    const QString scheme = address.scheme();
    if (!address.isValid() || address.host().isEmpty() || (scheme != "http" && scheme != "https")) {
        Log::write(QStringLiteral("browser: not a web address, not opened"));
        return false;
    }
    // Detached, so the browser is not our child: it neither holds up our exit nor goes
    // with it. The address is one argument, never parsed by a shell.
    if (!QProcess::startDetached(program_, {address.toString(QUrl::FullyEncoded)})) {
        Log::write(QStringLiteral("browser: cannot start ") + program_);
        return false;
    }
    return true;
}

} // namespace murva
