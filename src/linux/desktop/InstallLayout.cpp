#include "desktop/InstallLayout.h"

#include <QDir>
#include <QFileInfo>

namespace murva::InstallLayout {

QString versionFileBeside(const QString &executablePath)
{
    return QDir::cleanPath(QFileInfo(executablePath).absolutePath() + QStringLiteral("/" MURVA_VERSION_FILE_FROM_BINDIR));
}

bool isInstalled(const QString &executablePath)
{
    return !executablePath.isEmpty() && QFileInfo::exists(versionFileBeside(executablePath));
}

} // namespace murva::InstallLayout
