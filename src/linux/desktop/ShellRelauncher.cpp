#include "desktop/ShellRelauncher.h"

#include "log/Log.h"

#include <QProcess>

namespace murva {

ShellRelauncher::ShellRelauncher(QString executablePath, QStringList arguments, int delaySec)
    : executablePath_(std::move(executablePath)), arguments_(std::move(arguments)), delaySec_(delaySec)
{
}

bool ShellRelauncher::relaunchSoon()
{
    Log::write(QStringLiteral("reopening for the screen permission"));
    // The path and the arguments are the script's $0 and $@, never part of the script
    // text, so no quoting of them can go wrong.
    const QString script = QStringLiteral("sleep %1; exec \"$0\" \"$@\"").arg(delaySec_);
    return QProcess::startDetached(QStringLiteral("/bin/sh"),
                                   QStringList{QStringLiteral("-c"), script, executablePath_} + arguments_);
}

} // namespace murva
