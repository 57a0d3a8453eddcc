#pragma once

#include <QString>
#include <QStringList>

namespace murva {

// Starts `executablePath` with `arguments` once this process has ended, so that the new
// one finds the single-instance name free. The program inherits no descriptor beyond
// the standard three. False when the waiting shell could not be started.
bool restartAfterExit(const QString &executablePath, const QStringList &arguments);

} // namespace murva
