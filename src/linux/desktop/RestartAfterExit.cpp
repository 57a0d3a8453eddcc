#include "desktop/RestartAfterExit.h"

#include <QCoreApplication>
#include <QProcess>

#include <linux/close_range.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace murva {

bool restartAfterExit(const QString &executablePath, const QStringList &arguments)
{
    // The path and the arguments are the script's $0 and $@, never part of its text, so
    // no quoting can go wrong. A process that has ended but not been reaped still answers
    // kill -0, which only delays the start until its parent reaps it.
    const QString script = QStringLiteral("pid=$1; shift; while kill -0 \"$pid\" 2>/dev/null; do sleep 0.2; done; "
                                          "exec \"$0\" \"$@\"");
    QProcess process;
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments(QStringList{QStringLiteral("-c"), script, executablePath,
                                     QString::number(QCoreApplication::applicationPid())}
                         + arguments);
    // Descriptors of this process (sound server, display, log) stay out of the new one;
    // marked close-on-exec rather than closed, so that QProcess's own pipes still work.
    process.setChildProcessModifier([] { ::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC); });
    return process.startDetached();
}

} // namespace murva
