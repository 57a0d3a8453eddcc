#pragma once

#include <QString>

namespace murva::InstallLayout {

// The version file installed with the program at `executablePath`.
QString versionFileBeside(const QString &executablePath);

// Whether `executablePath` is an installed program (its version file lies beside it)
// rather than one in a build folder.
bool isInstalled(const QString &executablePath);

} // namespace murva::InstallLayout
