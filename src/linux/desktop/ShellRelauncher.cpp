#include "desktop/ShellRelauncher.h"

#include "log/Log.h"

#include <QProcess>

namespace murva {

ShellRelauncher::ShellRelauncher(QString executablePath, int delaySec)
    : executablePath_(std::move(executablePath)), delaySec_(delaySec)
{
}

bool ShellRelauncher::relaunchSoon()
{
    Log::write(QStringLiteral("reopening for the screen permission"));
    // The path is the script's $0, never part of the script text, so no quoting of it
    // can go wrong.
    const QString script = QStringLiteral("sleep %1; exec \"$0\"").arg(delaySec_);
    return QProcess::startDetached(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, executablePath_});
}

} // namespace murva
