#include "browsers/FirefoxProfiles.h"

#include "KeyFileEntries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace murva::FirefoxProfiles {
namespace {

// A profiles.ini lists a few profiles; anything far bigger is not one.
constexpr qint64 kMaxIniBytes = 1024 * 1024;

struct ProfileEntry {
    QString path;
    bool isRelative = false;
};

QString folderOf(const ProfileEntry &entry, const QString &iniFolder)
{
    if (entry.path.isEmpty()) {
        return {};
    }
    if (entry.isRelative) {
        return QDir::cleanPath(QDir(iniFolder).filePath(entry.path));
    }
    return QDir::isAbsolutePath(entry.path) ? QDir::cleanPath(entry.path) : QString();
}

// The [ProfileN] groups; the install and general groups name no other folders.
std::vector<ProfileEntry> readEntries(const QByteArray &text)
{
    std::vector<ProfileEntry> entries;
    QString group;
    for (const KeyFileEntry &line : keyFileEntries(text)) {
        if (!line.group.startsWith(QLatin1String("Profile"))) {
            continue;
        }
        if (line.group != group) {
            group = line.group;
            entries.emplace_back();
        }
        if (line.key == QLatin1String("Path")) {
            entries.back().path = line.value;
        } else if (line.key == QLatin1String("IsRelative")) {
            entries.back().isRelative = line.value == QLatin1String("1");
        }
    }
    return entries;
}

} // namespace

QStringList profileRoots(const QString &home, const QString &configHome)
{
    // Flatpak and Snap give the browser config and home folders of their own.
    return {configHome + QStringLiteral("/mozilla/firefox"),
            home + QStringLiteral("/.var/app/org.mozilla.firefox/config/mozilla/firefox"),
            home + QStringLiteral("/snap/firefox/common/.config/mozilla/firefox"),
            home + QStringLiteral("/.mozilla/firefox"),
            home + QStringLiteral("/.var/app/org.mozilla.firefox/.mozilla/firefox"),
            home + QStringLiteral("/snap/firefox/common/.mozilla/firefox")};
}

QStringList profilesIn(const QString &iniPath)
{
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxIniBytes) {
        return {};
    }
    const QString iniFolder = QFileInfo(iniPath).absolutePath();
    QStringList folders;
    for (const ProfileEntry &entry : readEntries(file.read(kMaxIniBytes))) {
        const QString folder = folderOf(entry, iniFolder);
        if (!folder.isEmpty()) {
            folders.append(folder);
        }
    }
    return folders;
}

QStringList profileFolders(const QString &home, const QString &configHome)
{
    QStringList folders;
    QStringList seen;
    for (const QString &root : profileRoots(home, configHome)) {
        for (const QString &folder : profilesIn(root + QStringLiteral("/profiles.ini"))) {
            // Links resolved, so that one profile reached by two roots is read once.
            const QString canonical = QFileInfo(folder).canonicalFilePath();
            const QString identity = canonical.isEmpty() ? folder : canonical;
            if (!seen.contains(identity)) {
                seen.append(identity);
                folders.append(folder);
            }
        }
    }
    return folders;
}

bool isInUse(const QString &profileFolder)
{
    // Firefox holds a POSIX record lock on ".parentlock" while the profile is open; the
    // kernel drops it when the process ends, however it ends. Only asked, never taken.
    const int descriptor = ::open(QFile::encodeName(profileFolder + QStringLiteral("/.parentlock")).constData(),
                                  O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    struct flock wanted {};
    wanted.l_type = F_WRLCK;
    wanted.l_whence = SEEK_SET;
    const bool held = ::fcntl(descriptor, F_GETLK, &wanted) == 0 && wanted.l_type != F_UNLCK;
    ::close(descriptor);
    return held;
}

} // namespace murva::FirefoxProfiles
