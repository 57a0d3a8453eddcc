#include "support/UserFolders.h"

#include <QDir>

namespace murva::UserFolders {
namespace {

// The XDG base directory rules: a relative or empty value is ignored.
QString fromEnvironment(const char *name, const char *fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(name);
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) {
        return QDir::cleanPath(value);
    }
    return QDir::cleanPath(home() + "/" + fallbackUnderHome);
}

} // namespace

QString home()
{
    return QDir::homePath();
}

QString stateHome()
{
    return fromEnvironment("XDG_STATE_HOME", ".local/state");
}

QString dataHome()
{
    return fromEnvironment("XDG_DATA_HOME", ".local/share");
}

QString configHome()
{
    return fromEnvironment("XDG_CONFIG_HOME", ".config");
}

QString recordingsFolder()
{
    return dataHome() + QStringLiteral("/Murva Recorder/Recordings");
}

} // namespace murva::UserFolders
