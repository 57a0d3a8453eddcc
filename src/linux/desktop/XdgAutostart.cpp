#include "desktop/XdgAutostart.h"

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

// A user switches an autostart entry off by editing it rather than removing it.
bool switchedOff(const QByteArray &entry)
{
    for (const QByteArray &rawLine : entry.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") {
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
    // A relative path would start whatever lies there in the session's folder.
    if (!QFileInfo(executablePath_).isAbsolute()) {
        return false;
    }
    const QString path = entryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    // Written whole or not at all: a half-written entry could start nothing, or garbage.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(entryText(executablePath_));
    return file.commit();
}

bool XdgAutostart::unregisterAtLogin()
{
    const QString path = entryPath();
    return QFile::remove(path) || !QFileInfo::exists(path);
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
        "Exec=%1\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(executablePath));
    return text.toUtf8();
}

} // namespace murva
