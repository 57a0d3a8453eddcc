#include "identity/ProcessFacts.h"

#include "identity/FlatpakId.h"

#include <QFile>

#include <unistd.h>

#include <climits>

namespace murva {
namespace {

// Small pseudo-files only; anything bigger is not what we look for.
constexpr qint64 kMaxFileBytes = 64 * 1024;

QByteArray readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.read(kMaxFileBytes);
}

QString baseName(QByteArray path)
{
    // The kernel marks an executable replaced since the start, as after an upgrade.
    static constexpr QByteArrayView kDeleted = " (deleted)";
    if (path.endsWith(kDeleted)) {
        path.chop(kDeleted.size());
    }
    return QString::fromLocal8Bit(path.mid(path.lastIndexOf('/') + 1));
}

QString executableName(const QString &processFolder)
{
    char target[PATH_MAX];
    const ssize_t length = ::readlink(QFile::encodeName(processFolder + "/exe").constData(), target, sizeof target);
    if (length > 0) {
        return baseName(QByteArray(target, length));
    }
    // Another user's executable link cannot be read, but its command name can (cut to
    // 15 bytes by the kernel).
    return QString::fromLocal8Bit(readSmallFile(processFolder + "/comm").trimmed());
}

QString flatpakId(const QString &processFolder)
{
    if (auto id = FlatpakId::fromCgroup(readSmallFile(processFolder + "/cgroup"))) {
        return *id;
    }
    if (auto id = FlatpakId::fromFlatpakInfo(readSmallFile(processFolder + "/root/.flatpak-info"))) {
        return *id;
    }
    return {};
}

} // namespace

ProcessFacts readProcessFacts(qint64 pid, const QString &procRoot)
{
    if (pid <= 0) {
        return {};
    }
    const QString processFolder = procRoot + '/' + QString::number(pid);
    return {flatpakId(processFolder), executableName(processFolder)};
}

} // namespace murva
