#include "desktop/XdgAutostart.h"

#include "KeyFileEntries.h"
#include "log/Log.h"
#include "support/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace murva {
namespace {

const QString kEntryName = QStringLiteral("murva-recorder.desktop");

// Characters that make an Exec argument need double quotes in a desktop entry; the
// launcher would otherwise split or expand them.
bool needsQuotes(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return argument.isEmpty()
        || std::any_of(argument.begin(), argument.end(), [](QChar c) { return reserved.contains(c); });
}

// The escapes every string value of a desktop entry takes, applied after the Exec
// quoting.
QString escapeValue(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == '\\') {
            escaped += QStringLiteral("\\\\");
        } else if (c == '\n') {
            escaped += QStringLiteral("\\n");
        } else if (c == '\t') {
            escaped += QStringLiteral("\\t");
        } else if (c == '\r') {
            escaped += QStringLiteral("\\r");
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// Desktops switch an entry off by editing it rather than removing it: XFCE and LXQt set
// Hidden, GNOME's start-up settings and Cinnamon X-GNOME-Autostart-enabled, MATE its own
// key. Only the main group counts; booleans are read as GLib's key files read them.
bool switchedOff(const QByteArray &entry)
{
    static const QList<QPair<QString, QString>> offKeys{{QStringLiteral("Hidden"), QStringLiteral("true")},
                                                        {QStringLiteral("X-GNOME-Autostart-enabled"), QStringLiteral("false")},
                                                        {QStringLiteral("X-MATE-Autostart-enabled"), QStringLiteral("false")}};
    for (const KeyFileEntry &line : keyFileEntries(entry)) {
        if (line.group != QLatin1String("Desktop Entry")) {
            continue;
        }
        const QString value = line.value == QLatin1String("1")   ? QStringLiteral("true")
                              : line.value == QLatin1String("0") ? QStringLiteral("false")
                                                                 : line.value;
        if (offKeys.contains({line.key, value})) {
            return true;
        }
    }
    return false;
}

} // namespace

XdgAutostart::XdgAutostart(QString executablePath, QString configHome)
    : executablePath_(std::move(executablePath)), configHome_(std::move(configHome))
{
}

QString XdgAutostart::entryPath() const
{
    const QString configHome = configHome_.isEmpty() ? UserFolders::configHome() : configHome_;
    return QDir(configHome).filePath(QStringLiteral("autostart/") + kEntryName);
}

bool XdgAutostart::registered()
{
    QFile entry(entryPath());
    if (!entry.open(QIODevice::ReadOnly)) {
        return false;
    }
    return !switchedOff(entry.readAll());
}

bool XdgAutostart::registerAtLogin()
{
    // A relative path would start whatever lies there in the session's folder; an empty
    // one is a program that is not installed.
    if (!QFileInfo(executablePath_).isAbsolute()) {
        Log::write(QStringLiteral("open at login: only an installed program opens at login"));
        return false;
    }
    const QString path = entryPath();
    // Written whole or not at all: a half-written entry could start nothing, or garbage.
    QSaveFile file(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly)
        || file.write(entryText(executablePath_)) < 0 || !file.commit()) {
        Log::write(QStringLiteral("open at login: cannot write %1 (%2)").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool XdgAutostart::unregisterAtLogin()
{
    const QString path = entryPath();
    QFile entry(path);
    if (entry.remove() || !QFileInfo::exists(path)) {
        return true;
    }
    Log::write(QStringLiteral("open at login: cannot remove %1 (%2)").arg(path, entry.errorString()));
    return false;
}

QString XdgAutostart::execArgument(const QString &argument)
{
    QString quoted = argument;
    if (needsQuotes(argument)) {
        quoted.clear();
        for (const QChar c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') {
                quoted += '\\';
            }
            quoted += c;
        }
        quoted = '"' + quoted + '"';
    }
    quoted.replace('%', QStringLiteral("%%")); // a lone % starts a field code
    return escapeValue(quoted);
}

QByteArray XdgAutostart::entryText(const QString &executablePath)
{
    const QString text = QStringLiteral(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Version=1.0\n"
        "Name=Murva Recorder\n"
        "Comment=Records your calls and saves them to your meeting notes\n"
        "TryExec=%2\n"
        "Exec=%1\n"
        "Icon=dev.murva.recorder\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(executablePath), escapeValue(executablePath));
    return text.toUtf8();
}

} // namespace murva
