#include "desktop/XdgBrowserOpener.h"

#include "log/Log.h"

#include <QProcess>

namespace murva {

XdgBrowserOpener::XdgBrowserOpener(QString program)
    : program_(std::move(program))
{
}

// $BROWSER names the user's choice of browser: a colon-separated list of commands, each
// with "%s" where the address goes (else the address comes last). xdg-open reads it too,
// but only where it detects no desktop, and prefers any registered handler, so the
// user's explicit choice is honoured here first.
bool XdgBrowserOpener::startChosenBrowser(const QString &address)
{
    const QString chosen = qEnvironmentVariable("BROWSER");
    for (const QString &entry : chosen.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        QStringList words = QProcess::splitCommand(entry);
        if (words.isEmpty()) {
            continue;
        }
        bool placed = false;
        for (QString &word : words) {
            if (word.contains(QLatin1String("%s"))) {
                word.replace(QLatin1String("%s"), address);
                placed = true;
            }
        }
        if (!placed) {
            words << address;
        }
        const QString program = words.takeFirst();
        if (QProcess::startDetached(program, words)) {
            return true;
        }
    }
    return false;
}

bool XdgBrowserOpener::open(const QUrl &address)
{
    const QString scheme = address.scheme();
    if (!address.isValid() || address.host().isEmpty() || (scheme != "http" && scheme != "https")) {
        Log::write(QStringLiteral("browser: not a web address, not opened"));
        return false;
    }
    const QString text = address.toString(QUrl::FullyEncoded);
    if (startChosenBrowser(text)) {
        return true;
    }
    // Detached, so the browser is not our child: it neither holds up our exit nor goes
    // with it. The address is one argument, never parsed by a shell.
    if (!QProcess::startDetached(program_, {text})) {
        Log::write(QStringLiteral("browser: cannot start ") + program_);
        return false;
    }
    return true;
}

} // namespace murva
